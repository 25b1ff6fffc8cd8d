#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bw {

// Distinct image names of all running programs that can be inspected, in the order first seen.
std::vector<std::string> ListProcesses();

// The part of a path after the last backslash or slash.
std::string FileNameOnly(std::string_view path);

}  // namespace bw
