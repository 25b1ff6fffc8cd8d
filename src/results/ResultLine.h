#pragma once

// The one reader of result lines (PeakResults.Dat, AverageResults.Dat, the user's own and the
// downloaded global results): a label, then "Peak" or "Average", the four read figures after "S:",
// "M1:", "M2:", "M3:", "Write" and its four, "Overall:", "PR:" and "PW:". Lines come from files
// anyone may have written: a line without the word or without a field gives 0 for what is
// missing, never a crash, and every figure is a finite number.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw::results {

struct ResultLineFields {
    bool recognised = false;  // the line holds the "Peak" or "Average" word
    bool average = false;     // the word was "Average"
    std::string label;        // the text before the blank before the word
    double read[4] = {}, write[4] = {};  // S, M1, M2, M3
    double overall = 0, peak_read = 0, peak_write = 0;
};

ResultLineFields parse_result_line(std::string_view line);

// The complete lines of a file's text, line ends removed: a last line without its line end is
// what a writer left when it died in the middle of it, and is dropped.
std::vector<std::string> complete_lines(std::string_view text);

// Result files stay small; anything larger is not one.
inline constexpr std::size_t kResultFileCap = std::size_t{16} << 20;

// The complete lines of a result file; nothing (with `error` set, "" when the file is missing)
// when it cannot be read.
std::optional<std::vector<std::string>> read_result_file(const std::filesystem::path& file,
                                                         std::string* error);

}  // namespace bw::results
