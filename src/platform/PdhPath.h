#pragma once

// Counter paths: "\\HOST\PhysicalDisk(0 C:)\Disk Read Bytes/sec", "\Memory\Available Bytes".

#include <optional>
#include <string>
#include <string_view>

namespace bw {

struct PdhPath {
    std::string machine;   // "" when the path names no machine
    std::string object;    // "PhysicalDisk"
    std::string instance;  // "0 C:"; "" for objects without instances
    bool has_instance = false;
    std::string counter;  // "Disk Read Bytes/sec"
};

// nullopt when the text is not a counter path.
std::optional<PdhPath> ParsePdhPath(std::string_view text);

// Case-insensitive comparison (object, counter and instance names compare without case).
bool pdh_iequals(std::string_view a, std::string_view b);

}  // namespace bw
