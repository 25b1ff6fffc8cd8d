#include "results/DriveHistory.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <fmt/format.h>

#include "drives/DriveText.h"
#include "platform/TextFiles.h"
#include "results/ResultLine.h"

namespace bw::results {

namespace {

constexpr char kSeparator = '\t';
constexpr std::size_t kFieldCount = 8;

std::vector<std::string_view> split_fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find(kSeparator, start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
        if (tab == std::string_view::npos) return out;
        start = tab + 1;
    }
}

// A figure as the writer leaves it: digits with an optional fraction, nothing else.
bool plain_number(std::string_view text, double* value) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value,
                                           std::chars_format::fixed);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(*value);
}

std::string clean(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return out;
}

std::string side_figure(double bytes) { return fmt::format("{:.0f}", std::max(0.0, std::round(bytes))); }

}  // namespace

HistoryFile parse_history(std::string_view text) {
    HistoryFile file;
    for (const auto& line : complete_lines(text)) {
        if (line.empty()) continue;
        const auto f = line.size() > kMaxHistoryLine ? std::vector<std::string_view>{}
                                                     : split_fields(line);
        HistoryEntry e;
        if (f.size() != kFieldCount || f[0].empty() || f[4].empty() ||
            !plain_number(f[5], &e.peak_read) || !plain_number(f[6], &e.peak_write)) {
            ++file.skipped;
            continue;
        }
        e.identity = f[0];
        e.when = f[1];
        e.drive = f[2];
        e.type = f[3];
        e.block = f[4];
        e.model = f[7];
        file.entries.push_back(std::move(e));
    }
    return file;
}

std::string history_line(const HistoryEntry& e) {
    const std::string fields[kFieldCount] = {clean(e.identity), clean(e.when),  clean(e.drive),
                                             clean(e.type),     clean(e.block), side_figure(e.peak_read),
                                             side_figure(e.peak_write), clean(e.model)};
    std::string line;
    for (std::size_t i = 0; i < kFieldCount; ++i) line += (i ? "\t" : "") + fields[i];
    return line;
}

std::vector<HistoryEntry> entries_of(const std::vector<HistoryEntry>& all,
                                     std::string_view identity) {
    std::vector<HistoryEntry> out;
    for (const auto& e : all)
        if (e.identity == identity) out.push_back(e);
    return out;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<SlowerBlock> slower_blocks(const std::vector<HistoryEntry>& earlier,
                                       const std::vector<HistoryEntry>& now) {
    std::vector<SlowerBlock> out;
    for (const auto& n : now)
        for (bool write : {false, true}) {
            const double figure = write ? n.peak_write : n.peak_read;
            if (figure <= 0) continue;
            std::vector<double> before;
            for (const auto& e : earlier) {
                const double v = write ? e.peak_write : e.peak_read;
                if (e.identity == n.identity && e.type == n.type && e.block == n.block && v > 0)
                    before.push_back(v);
            }
            if (before.size() < kMinEarlierTests) continue;
            const double m = median(before);
            if (figure < m * (1 - kSlowerShare))
                out.push_back({n.block, write, figure, m, before.size()});
        }
    return out;
}

std::string slower_line(const std::vector<SlowerBlock>& slower) {
    if (slower.empty()) return {};
    std::string line = "slower than this drive's earlier tests: ";
    for (std::size_t i = 0; i < slower.size(); ++i) {
        const SlowerBlock& s = slower[i];
        line += fmt::format("{}{} {} {} Bps is {:.0f} % below the median {} Bps of {} tests",
                            i ? "; " : "", s.block, s.write ? "write" : "read",
                            format_grouped(s.now), s.percent_below(), format_grouped(s.median),
                            s.earlier);
    }
    return line;
}

std::optional<HistoryFile> read_history(const std::filesystem::path& file, std::string* error) {
    auto text = text_files::read(file, kHistoryFileCap, error);
    if (!text) return std::nullopt;
    return parse_history(*text);
}

Recorded compare_and_record(const std::filesystem::path& file,
                            const std::vector<HistoryEntry>& now) {
    Recorded r;
    if (now.empty()) return r;
    std::string error;
    auto history = read_history(file, &error);
    if (!history && !error.empty()) {
        // Appending to a file that cannot be read would bury what it holds.
        r.report_lines.push_back("This test is not added to the drive's history: " + error);
        return r;
    }
    if (history) {
        const auto mine = entries_of(history->entries, now.front().identity);
        const std::string line = slower_line(slower_blocks(mine, now));
        if (!line.empty()) r.report_lines.push_back(line);
    }
    std::string text;
    for (const auto& e : now) text += history_line(e) + "\r\n";
    if (!text_files::append(file, text, &error))
        r.report_lines.push_back("This test is not added to the drive's history: " + error);
    else
        r.kept = true;
    return r;
}

}  // namespace bw::results
