#pragma once

// "Compare My Test": the user's own earlier tests, from the result lines of MyPResults.Dat and
// MyAResults.Dat (each line carries the test's time instead of the system tag) and from the drive
// history, one row per test and block, grouped by the drive's identity. A result line whose test
// the history also holds (same time and block) joins that drive; the others are grouped by the
// drive name the line begins with.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "results/DriveHistory.h"

namespace bw::results {

struct OwnTest {
    std::string group;  // the drive identity, else "name: " + the line's drive name
    std::string title;  // how the group is shown: model and letter, or the drive name
    std::string block;  // "64KB"
    std::string when;   // "2013-03-03 14:05:09", sorts in time order; "" when not readable
    double peak_read = 0, peak_write = 0, overall = 0;  // peak line ("PR:", "PW:", "Overall:")
    double average_read = 0, average_write = 0;         // average line ("PR:", "PW:")
};

// The time in a result line's brackets ("140509 03 Mar 2013") as "2013-03-03 14:05:09", "" when
// it is not one.
std::string line_time(std::string_view bracket);

// The own tests from the two result files' lines and the history entries, sorted by group, block
// and time. Lines that are not result lines are left out.
std::vector<OwnTest> own_tests(const std::vector<std::string>& peak_lines,
                               const std::vector<std::string>& average_lines,
                               const std::vector<HistoryEntry>& history);

struct OwnTestFiles {
    std::vector<OwnTest> tests;
    std::vector<std::string> notes;  // files that could not be read, and why
    bool any_file = false;           // MyPResults.Dat or the history exists
};

// Reads MyPResults.Dat, MyAResults.Dat and the history from the program folder.
OwnTestFiles read_own_tests(const std::filesystem::path& program_folder);

// The groups in `tests`, in order, each once.
std::vector<std::string> own_test_groups(const std::vector<OwnTest>& tests);

}  // namespace bw::results
