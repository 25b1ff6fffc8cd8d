#pragma once

// What the comparison window shows, in plain C++: the two lists of stored result lines (peak and
// average) with the sort-by-drive keyword rule, the title from the current run's multi-task
// figures, one slot per compared run (slot 0 the current run) and the one scale all bars share.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/ResultLine.h"

namespace bw::results {

// The figures of one tested block of the current run, as its result lines hold them.
struct CurrentBlock {
    std::string block;  // "64KB"
    double read[4] = {}, write[4] = {};  // S, M1, M2, M3 scores
    double overall = 0, peak_read = 0, peak_write = 0;
};

// The main test just run: what the comparison sets beside the stored lines.
struct CurrentRun {
    std::string drive_entry;  // the drive list entry the test ran on
    std::string system;       // the system and drive description (system tag, decoded specs)
    std::vector<CurrentBlock> peak, average;  // per tested block, in block order
};

// The interface keywords of the sort-by-drive rule, in the order they are tried.
inline constexpr std::string_view kDriveKeywords[] = {"USB",  "RAM", "Firewire", "SSD",     "PATA",
                                                      "IDE",  "SATA", "SATA 3G", "SATA 6G"};

// A keyword the current drive has (its entry, else the system and drive description) and the
// line has too; "" when they share none.
std::string_view shared_keyword(std::string_view line, std::string_view drive_entry,
                                std::string_view system);

struct HoldLists {
    std::vector<std::string> HoldP, HoldA;
};

// The lists from the main window's two result lists: every line, or with `sort_by_drive` only
// the lines that share an interface keyword with the current drive; order kept.
HoldLists fill_hold_lists(const std::vector<std::string>& peak_lines,
                          const std::vector<std::string>& average_lines, bool sort_by_drive,
                          std::string_view drive_entry, std::string_view system);

// The title from the current run's read figures: the highest multi-task level that ran, "" when
// not even the single test has a figure.
std::string compare_title(const double (&read)[4]);

// One compared run: the figures each slot shows. read/write are the sums of the four test
// types of their side (what the title's levels add up to), total their sum.
struct CompareSlot {
    std::string label;  // the line's label, or the current run's drive entry
    double read = 0, write = 0, total = 0;
    double overall = 0, peak_read = 0, peak_write = 0;
};

CompareSlot slot_of(const CurrentBlock& block, std::string_view label);
CompareSlot slot_of_line(std::string_view line);

// The shared scale: the largest total among the slots (whole bytes), at least 1 so a bar of an
// all-zero comparison is empty rather than undefined.
double common_scale(const std::vector<CompareSlot>& slots);

// The texts of a slot and of the scale, in the program's wording.
std::string peak_read_text(double bytes);   // "Peak Read: 1,234 Bytes"
std::string peak_write_text(double bytes);  // "Peak Write: 1,234 Bytes"
std::string scale_text(double scale);       // "Graph = 0 to 1234 Bytes"

// The current run as the comparison's slot 0 sees it; nothing before the first finished test.
std::optional<CurrentRun>& current_run();

}  // namespace bw::results
