#include "results/MyTests.h"

#include <algorithm>
#include <tuple>

#include <fmt/format.h>

#include "core/MainMenuActions.h"
#include "results/ResultLine.h"

namespace bw::results {

namespace {

constexpr std::string_view kMyAverageFile = "MyAResults.Dat";
constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool digits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The parts of a label "name [hhmmss dd mmm yyyy] (64KB)".
struct LabelParts {
    std::string name, when, block;
};
LabelParts label_parts(std::string_view label) {
    LabelParts p;
    const auto open = label.rfind(" [");
    const auto close = label.rfind(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        p.name = std::string(label);
        return p;
    }
    p.name = std::string(label.substr(0, open));
    p.when = line_time(label.substr(open + 2, close - open - 2));
    const auto b_open = label.find('(', close), b_close = label.find(')', close);
    if (b_open != std::string_view::npos && b_close != std::string_view::npos && b_close > b_open)
        p.block = std::string(label.substr(b_open + 1, b_close - b_open - 1));
    return p;
}

void add_lines(const std::vector<std::string>& lines, std::vector<OwnTest>& tests, bool average) {
    for (const auto& line : lines) {
        const ResultLineFields f = parse_result_line(line);
        if (!f.recognised) continue;
        const LabelParts p = label_parts(f.label);
        auto same = [&](const OwnTest& t) {
            return !p.when.empty() && t.when == p.when && t.block == p.block;
        };
        auto it = std::find_if(tests.begin(), tests.end(), same);
        if (it == tests.end()) {
            if (average) continue;  // an average line goes with its peak line
            OwnTest t;
            t.group = "name: " + p.name;
            t.title = p.name;
            t.block = p.block;
            t.when = p.when;
            tests.push_back(t);
            it = tests.end() - 1;
        }
        if (average) {
            it->average_read = f.peak_read;
            it->average_write = f.peak_write;
        } else {
            it->peak_read = f.peak_read;
            it->peak_write = f.peak_write;
            it->overall = f.overall;
        }
    }
}

std::vector<std::string> lines_of(const std::filesystem::path& file, std::vector<std::string>& notes,
                                  bool* exists) {
    std::string error;
    auto lines = read_result_file(file, &error);
    if (!lines && !error.empty()) notes.push_back(file.filename().string() + ": " + error);
    if (exists) *exists = lines.has_value();
    return lines.value_or(std::vector<std::string>{});
}

}  // namespace

std::string line_time(std::string_view bracket) {
    // "hhmmss dd mmm yyyy"
    if (bracket.size() != 18 || bracket[6] != ' ' || bracket[9] != ' ' || bracket[13] != ' ')
        return {};
    const auto time = bracket.substr(0, 6), day = bracket.substr(7, 2), year = bracket.substr(14, 4);
    const auto month = std::find(std::begin(kMonths), std::end(kMonths), bracket.substr(10, 3));
    if (!digits(time) || !digits(day) || !digits(year) || month == std::end(kMonths)) return {};
    return fmt::format("{}-{:02}-{} {}:{}:{}", year, month - std::begin(kMonths) + 1, day,
                       time.substr(0, 2), time.substr(2, 2), time.substr(4, 2));
}

std::vector<OwnTest> own_tests(const std::vector<std::string>& peak_lines,
                               const std::vector<std::string>& average_lines,
                               const std::vector<HistoryEntry>& history) {
    std::vector<OwnTest> tests;
    for (const auto& e : history) {
        OwnTest t;
        t.group = e.identity;
        t.title = e.model.empty() ? e.identity : e.model + " (" + e.drive + ")";
        t.block = e.block;
        t.when = e.when;
        t.peak_read = e.peak_read;
        t.peak_write = e.peak_write;
        tests.push_back(t);
    }
    add_lines(peak_lines, tests, false);
    add_lines(average_lines, tests, true);
    std::stable_sort(tests.begin(), tests.end(), [](const OwnTest& a, const OwnTest& b) {
        return std::tie(a.group, a.block, a.when) < std::tie(b.group, b.block, b.when);
    });
    return tests;
}

OwnTestFiles read_own_tests(const std::filesystem::path& program_folder) {
    OwnTestFiles out;
    bool peak_exists = false;
    const auto peak = lines_of(program_folder / kMyResultsFile, out.notes, &peak_exists);
    const auto average = lines_of(program_folder / kMyAverageFile, out.notes, nullptr);
    std::string error;
    const auto history = read_history(program_folder / kDriveHistoryFile, &error);
    if (!history && !error.empty())
        out.notes.push_back(std::string(kDriveHistoryFile) + ": " + error);
    if (history && history->skipped)
        out.notes.push_back(fmt::format("{}: {} lines are not history lines and were left out",
                                        kDriveHistoryFile, history->skipped));
    out.any_file = peak_exists || history.has_value();
    out.tests = own_tests(peak, average, history ? history->entries : std::vector<HistoryEntry>{});
    return out;
}

std::vector<std::string> own_test_groups(const std::vector<OwnTest>& tests) {
    std::vector<std::string> groups;
    for (const auto& t : tests)
        if (std::find(groups.begin(), groups.end(), t.group) == groups.end())
            groups.push_back(t.group);
    return groups;
}

}  // namespace bw::results
