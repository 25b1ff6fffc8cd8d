#include "testengine/Evaluation.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "drives/DriveText.h"

namespace bw::testengine {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kGroupRule = "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR";

std::size_t side_slot(Side s) { return s == Side::Read ? 0 : 1; }

int whole(double v) { return static_cast<int>(std::lround(v)); }

double sum(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0); }

SideFigures side_figures(const SideSamples& s) {
    SideFigures f;
    f.ran = s.ran();
    f.peak_throughput = s.peak_throughput;
    f.peak_side_ops = s.peak_side_ops;
    f.peak_operations = s.peak_operations;
    f.peak_disk_time = s.peak_disk_time;
    f.peak_idle = s.peak_idle;
    f.avg_throughput = average_above_floor(s.throughput, s.peak_throughput);
    f.avg_operations = average_above_floor(s.operations, s.peak_operations);
    f.avg_disk_time = average_above_floor(s.disk_time, s.peak_disk_time);
    // One sample per second: the sum of the per-second rates is the bytes of the block.
    f.tester_bytes = sum(s.tester_bytes);
    f.drive_bytes = sum(s.throughput);
    return f;
}

// The words of one side's lines: the tested side in capitals, a supporting side in lower case.
struct SideWords {
    std::string_view word, io;
};
constexpr SideWords kTestedRead{"Read", "IO READS"}, kTestedWrite{"Write", "IO Writes"},
    kSupportRead{"read", "IO reads"}, kSupportWrite{"write", "IO writes"};

// Group headings per type 1..8 and the sub-headings of the heavy tests with the other side.
constexpr std::string_view kGroupHeaders[] = {
    "Read Test ",           "Multi-Task Read Test ",  "Heavy Multi-Task Read Test ",
    "Heavy Multi-Task Read Test ", "Write Test ",     "Multi-Task write Test ",
    "Heavy Multi-Task write Test ", "Heavy Multi-Task write Test ",
};
struct SubHeadings {
    std::string_view tested, support;
};
constexpr SubHeadings kReadSubHeadings{"      Heavy Multi-Task Read",
                                       "      Standard Write to Support Heavy Multi-Task Read"};
constexpr SubHeadings kWriteSubHeadings{"      Heavy Multi-Task write",
                                        "      Standard Read to Support Heavy Multi-Task Write"};

void add_line(std::string& text, std::string_view line) {
    text.append(line);
    text.append(kCrLf);
}

void add_side_lines(std::string& text, const SideFigures& f, const SideWords& w,
                    double block_bytes) {
    const std::string idle = format_zero(f.peak_idle);
    if (auto remark = idle_remark(f.peak_idle); !remark.empty()) add_line(text, remark);
    const std::string lines[] = {
        fmt::format("   Peak {} Speed {} Bps", w.word, format_grouped(f.peak_throughput)),
        fmt::format("   Peak {} {} Per Sec", w.word, format_grouped(f.peak_side_ops)),
        fmt::format("   Peak {} Time {}%   Peak Idle Time {} %", w.word,
                    format_zero(f.peak_disk_time), idle),
        fmt::format("   Average {} Speed {} Bps", w.word, format_grouped(f.avg_throughput)),
        fmt::format("   Average {} Sec {} Bps", w.word,
                    format_grouped(f.avg_throughput / block_bytes)),
        fmt::format("   Disk {} Time {}%", w.word, format_grouped(f.avg_disk_time)),
        fmt::format("   Peak {} {} Ops", w.io, format_grouped(f.peak_operations)),
        fmt::format("   Average {} {} Ops", w.io, format_grouped(f.avg_operations)),
        fmt::format("   Peak {} Idle Time {}%", w.word, idle),
    };
    for (const auto& line : lines) add_line(text, line);
}

void add_group(std::string& text, const TestParameters& params, const Evaluation& eval, int type,
               int block) {
    const TestTypeRow& row = kTestTypes[type - 1];
    const bool read = row.side == Side::Read;
    const double bytes = static_cast<double>(block_size(block)->report_bytes);
    if (!text.empty()) add_line(text, kGroupRule);
    add_line(text, fmt::format("{} ({}) for Block Size {}KB", kGroupHeaders[type - 1],
                               type_name(params.type), format_zero(bytes / 1000)));
    const bool with_other = row.level == kMaxMultiLevel;
    const SubHeadings& sub = read ? kReadSubHeadings : kWriteSubHeadings;
    if (with_other) add_line(text, sub.tested);
    add_side_lines(text, eval.main(type, block), read ? kTestedRead : kTestedWrite, bytes);
    if (!with_other) return;
    add_line(text, sub.support);
    add_side_lines(text, eval.at(type, block, other_side(row.side)),
                   read ? kSupportWrite : kSupportRead, bytes);
}

BlockLabels labels_of(const Evaluation& eval, int block) {
    BlockLabels l;
    l.block = block;
    const SideFigures& r = eval.main(type_of(Side::Read, 0), block);
    const SideFigures& w = eval.main(type_of(Side::Write, 0), block);
    l.PReadTime = fmt::format("(R) {} %   (I) {} %", format_zero(r.peak_disk_time),
                              format_zero(r.peak_idle));
    l.AReadTime = fmt::format("(P) {}%  (I) {}%", format_grouped(r.avg_disk_time),
                              format_zero(r.peak_idle));
    l.PWriteTime = fmt::format("(W) {} %   (I) {} %", format_zero(w.peak_disk_time),
                               format_zero(w.peak_idle));
    l.AWriteTime = fmt::format("(P) {}%  (I) {}%", format_grouped(w.avg_disk_time),
                               format_zero(w.peak_idle));
    l.MMIORead = format_grouped(eval.main(type_of(Side::Read, 1), block).peak_operations);
    l.MMMIORead = format_grouped(eval.main(type_of(Side::Read, 2), block).peak_operations);
    l.MMIOWrite = format_grouped(eval.main(type_of(Side::Write, 1), block).peak_operations);
    l.MMMIOWrite = format_grouped(eval.main(type_of(Side::Write, 2), block).peak_operations);
    l.BestRead = format_grouped(eval.best_peak(block, Side::Read)) + " Bps";
    l.BestWrite = format_grouped(eval.best_peak(block, Side::Write)) + " Bps";
    return l;
}

}  // namespace

std::string format_zero(double value) {
    return fmt::format("{:.0f}", value < 0 ? -std::round(-value) : std::round(value));
}

double average_above_floor(const std::vector<double>& samples, double peak) {
    const double floor = kAverageFloor * peak;
    double total = 0;
    int count = 0;
    for (double v : samples)
        if (v > floor) {
            total += v;
            ++count;
        }
    return count == 0 ? 0 : std::round(total / count);
}

std::string idle_remark(int idle) {
    if (idle < 2)
        return fmt::format("Peak Idle time was {}%, Maximum Disk Usage for this test", idle);
    if (idle < 5)
        return fmt::format("Peak Idle time was {}%, Near Maximum Disk Usage for this test", idle);
    return {};
}

int type_of(Side side, int level) { return (side == Side::Read ? 1 : 5) + level; }

const SideFigures& Evaluation::at(int type, int block, Side side) const {
    return figures.at(static_cast<std::size_t>(type - 1))
        .at(static_cast<std::size_t>(block - 1))[side_slot(side)];
}

const SideFigures& Evaluation::main(int type, int block) const {
    return at(type, block, kTestTypes[type - 1].side);
}

int Evaluation::peak_score(int type, int block) const {
    const SideFigures& f = main(type, block);
    return whole(f.peak_throughput / kScoreBytesDivisor + f.peak_idle * kScoreIdleFactor);
}

int Evaluation::average_score(int type, int block) const {
    const SideFigures& f = main(type, block);
    return whole(f.avg_throughput / kScoreBytesDivisor + f.peak_idle * kScoreIdleFactor);
}

double Evaluation::best_peak(int block, Side side) const {
    double best = 0;
    for (int level = 0; level <= kMaxMultiLevel; ++level)
        best = std::max(best, main(type_of(side, level), block).peak_throughput);
    return best;
}

double Evaluation::best_average(int block, Side side) const {
    double best = 0;
    for (int level = 0; level <= kMaxMultiLevel; ++level)
        best = std::max(best, main(type_of(side, level), block).avg_throughput);
    return best;
}

int Evaluation::idle_figure(int type) const {
    int idle = 0;
    for (int b = 1; b <= kBlockCount; ++b)
        if (main(type, b).ran) idle = std::max(idle, main(type, b).peak_idle);
    return idle;
}

int Evaluation::load_block(int type) const {
    int block = 0;
    for (int b = 1; b <= kBlockCount; ++b)
        if (main(type, b).ran && (block == 0 || main(type, b).peak_idle < main(type, block).peak_idle))
            block = b;
    return block;
}

namespace {
double largest_peak(const Evaluation& e, Side side, int first_level, int last_level) {
    double best = 0;
    for (int level = first_level; level <= last_level; ++level)
        for (int b = 1; b <= kBlockCount; ++b)
            best = std::max(best, e.main(type_of(side, level), b).peak_throughput);
    return best;
}
}  // namespace

double Evaluation::single_peak(Side side) const { return largest_peak(*this, side, 0, 0); }
double Evaluation::best_speed(Side side) const { return largest_peak(*this, side, 0, 2); }
double Evaluation::multi_task_burst(Side side) const { return largest_peak(*this, side, 1, 3); }

bool Evaluation::side_ran(Side side) const {
    for (int level = 0; level <= kMaxMultiLevel; ++level)
        for (int b = 1; b <= kBlockCount; ++b)
            if (main(type_of(side, level), b).ran) return true;
    return false;
}

Evaluation evaluate(const TestSamples& samples) {
    Evaluation e;
    for (int t = 1; t <= kTestTypeCount; ++t)
        for (int b = 1; b <= kBlockCount; ++b)
            for (Side s : {Side::Read, Side::Write})
                e.figures[static_cast<std::size_t>(t - 1)][static_cast<std::size_t>(b - 1)]
                         [side_slot(s)] = side_figures(samples.side(t, b, s));
    return e;
}

std::vector<int> tested_blocks(const TestParameters& params) {
    std::vector<int> blocks;
    for (char code : params.block_codes)
        if (int b = block_index_from_code(code, true); b > 0) blocks.push_back(b);
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return blocks;
}

EvaluationTexts evaluation_texts(const TestParameters& params, const Evaluation& eval) {
    EvaluationTexts out;
    for (int block : tested_blocks(params)) {
        for (int type = 1; type <= kTestTypeCount; ++type) {
            if (!eval.main(type, block).ran) continue;
            std::string& text =
                kTestTypes[type - 1].side == Side::Read ? out.ReadText : out.WriteText;
            add_group(text, params, eval, type, block);
        }
        out.labels.push_back(labels_of(eval, block));
    }
    return out;
}

}  // namespace bw::testengine
