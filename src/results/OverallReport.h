#pragma once

// What the overall report window shows of "Overall.txt", the reports of every drive a run tested:
// the file's text made safe to show, or why there is none. The file lies in the program folder,
// where anything may have been put: it is read only when it is a plain file of bounded size.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace bw::results {

inline constexpr std::string_view kOverallFile = "Overall.txt";
// Far more than the reports of 26 drives.
inline constexpr std::size_t kOverallMaxBytes = 16u << 20;

struct OverallReport {
    std::string text;         // what the window shows
    bool has_report = false;  // false: `text` says why there is none
};

OverallReport read_overall(const std::filesystem::path& program_folder);

// The text with every control character other than tab and line ends shown as "?": a binary
// or damaged file still shows its readable parts.
std::string printable_text(std::string_view raw);

}  // namespace bw::results
