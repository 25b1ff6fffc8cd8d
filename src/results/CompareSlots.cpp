#include "results/CompareSlots.h"

#include <algorithm>
#include <cmath>

#include "drives/DriveText.h"

namespace bw::results {

namespace {

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

double sum4(const double (&v)[4]) { return v[0] + v[1] + v[2] + v[3]; }

// Far above any drive's bytes per second or score: larger figures in a line are damage, and
// summing them could overflow the scale.
constexpr double kLargestFigure = 1e15;

// A figure a hostile line might make unusable for a bar counts as 0.
double usable(double v) { return std::isfinite(v) && v > 0 && v <= kLargestFigure ? v : 0; }

}  // namespace

std::string_view shared_keyword(std::string_view line, std::string_view drive_entry,
                                std::string_view system) {
    for (std::string_view k : kDriveKeywords) {
        const bool drive_has = contains(drive_entry, k) || contains(system, k);
        if (drive_has && contains(line, k)) return k;
    }
    return {};
}

HoldLists fill_hold_lists(const std::vector<std::string>& peak_lines,
                          const std::vector<std::string>& average_lines, bool sort_by_drive,
                          std::string_view drive_entry, std::string_view system) {
    HoldLists lists;
    auto take = [&](const std::vector<std::string>& from, std::vector<std::string>& to) {
        for (const auto& l : from)
            if (!sort_by_drive || !shared_keyword(l, drive_entry, system).empty()) to.push_back(l);
    };
    take(peak_lines, lists.HoldP);
    take(average_lines, lists.HoldA);
    return lists;
}

std::string compare_title(const double (&read)[4]) {
    struct Level {
        int index;
        std::string_view title;
    };
    // The most demanding level that ran names the comparison (texts as the program has them).
    static constexpr Level kLevels[] = {{3, "Compare Basic to Intense Multi-Tasking"},
                                        {2, "Compare Basic to Heavier Mutli-Tasking"},
                                        {1, "Compare Basic to Lite Multi-Task"},
                                        {0, "Compare Basic"}};
    for (const Level& l : kLevels)
        if (usable(read[l.index]) > 0) return std::string(l.title);
    return {};
}

CompareSlot slot_of(const CurrentBlock& block, std::string_view label) {
    CompareSlot s;
    s.label = std::string(label);
    double read[4], write[4];
    for (int i = 0; i < 4; ++i) {
        read[i] = usable(block.read[i]);
        write[i] = usable(block.write[i]);
    }
    s.read = sum4(read);
    s.write = sum4(write);
    s.total = s.read + s.write;
    s.overall = usable(block.overall);
    s.peak_read = usable(block.peak_read);
    s.peak_write = usable(block.peak_write);
    return s;
}

CompareSlot slot_of_line(std::string_view line) {
    const ResultLineFields f = parse_result_line(line);
    CurrentBlock b;
    std::copy(std::begin(f.read), std::end(f.read), b.read);
    std::copy(std::begin(f.write), std::end(f.write), b.write);
    b.overall = f.overall;
    b.peak_read = f.peak_read;
    b.peak_write = f.peak_write;
    return slot_of(b, f.recognised ? std::string_view(f.label) : line.substr(0, 80));
}

double common_scale(const std::vector<CompareSlot>& slots) {
    double scale = 0;
    for (const auto& s : slots) scale = std::max(scale, std::round(s.total));
    return std::max(scale, 1.0);
}

std::string peak_read_text(double bytes) { return "Peak Read: " + format_grouped(bytes) + " Bytes"; }
std::string peak_write_text(double bytes) {
    return "Peak Write: " + format_grouped(bytes) + " Bytes";
}
std::string scale_text(double scale) { return "Graph = 0 to " + format_hash(scale) + " Bytes"; }

std::optional<CurrentRun>& current_run() {
    static std::optional<CurrentRun> run;
    return run;
}

}  // namespace bw::results
