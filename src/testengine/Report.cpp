#include "testengine/Report.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/MainOptions.h"
#include "core/SettingsKeys.h"
#include "drives/DriveText.h"

namespace bw::testengine {

namespace {

constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kBanner = "RRRRRRRRRRRRRRRRRR";

// One side's rating rows and headings.
struct RatingWords {
    Side side;
    std::string_view peak, average, peak_rating, average_rating;
    std::string_view rows[4];
};
constexpr RatingWords kRatingWords[] = {
    {Side::Read, "PEAK READ", "AVERAGE READ", "   PEAK READ RATING: ", "   AVERAGE READ RATING: ",
     {"   Single Read: ", "   Multi-Task Read: ", "   Heavy Multi-Task Read: ",
      "   Heavy Multi-Task Read/Write: "}},
    {Side::Write, "PEAK WRITE", "AVERAGE WRITE", "   PEAK WRITE RATING: ",
     "   AVERAGE WRITE RATING: ",
     {"   Single Write: ", "   Multi-Task Write: ", "   Heavy Multi-Task Write: ",
      "   Heavy Multi-Task Write/Read: "}},
};

// The summary's lines of one side.
struct SummaryWords {
    Side side;
    std::string_view burst_single, burst_multi;
    std::string_view load[3];  // Single, Lite, Heavy
};
constexpr SummaryWords kSummaryWords[] = {
    {Side::Read, "Highest Burst Standard Read Speed = ", "Highest Burst Multi-Task Read Speed = ",
     {"Standard Read Test placing Highest Load on the Hard Drive is ",
      "Multi-Task Read Test placing Highest Load on the Hard Drive is ",
      "Heavy Multi-Task Read Test placing Highest Load on the Hard Drive is "}},
    {Side::Write, "Highest Burst Standard Write Speed = ", "Highest Burst Multi-Task Write Speed = ",
     {"Standard Write Test placing Highest Load on the Hard Drive is ",
      "Multi-Task Write Test placing Highest Load on the Hard Drive is ",
      "Heavy Multi-Task Write Test placing Highest Load on the Hard Drive is "}},
};

// The system data block's figure lines of one side.
struct FastestWords {
    Side side;
    std::string_view lines[6];
};
constexpr FastestWords kFastestWords[] = {
    {Side::Read,
     {"Fastest Standard Peak Read ", "   Average Read ", "   Peak Read ", "   Average Read ",
      "   Peak IO Reads ", "   Average IO Reads "}},
    {Side::Write,
     {"Fastest Standard Peak Write ", "   Average Write ", "   Peak Write ", "   Average Write ",
      "   Peak IO Writes ", "   Average IO Writes "}},
};

class Lines {
public:
    void add(std::string_view line) {
        text_.append(line);
        text_.append("\r\n");
    }
    void add(const std::vector<std::string>& lines) {
        for (const auto& l : lines) add(l);
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

bool side_tested(const TestParameters& p, Side side) {
    return side == Side::Read ? p.read : p.write;
}

std::string block_bytes_text(int block) {
    return std::to_string(block_size(block)->report_bytes);
}

// A side's rating of a block: the sum of the scores of the types that ran (Heavy with the other
// side only at level 3); empty when the single score is.
std::string side_rating(const TestParameters& p, const Evaluation& e, Side side, int block,
                        bool average) {
    auto score = [&](int level) {
        const int t = type_of(side, level);
        return average ? e.average_score(t, block) : e.peak_score(t, block);
    };
    if (score(0) == 0) return {};
    double sum = 0;
    for (int level = 0; level <= kMaxMultiLevel; ++level)
        if (level < kMaxMultiLevel || p.multi == kMaxMultiLevel) sum += score(level);
    return format_hash(sum);
}

ResultFigures block_figures(const Evaluation& e, int block, bool average) {
    ResultFigures f;
    for (int level = 0; level <= kMaxMultiLevel; ++level) {
        const int r = type_of(Side::Read, level), w = type_of(Side::Write, level);
        f.read[level] = average ? e.average_score(r, block) : e.peak_score(r, block);
        f.write[level] = average ? e.average_score(w, block) : e.peak_score(w, block);
        f.overall += f.read[level] + f.write[level];
    }
    f.peak_read = average ? e.best_average(block, Side::Read) : e.best_peak(block, Side::Read);
    f.peak_write = average ? e.best_average(block, Side::Write) : e.best_peak(block, Side::Write);
    return f;
}

void add_ratings(Lines& out, const TestParameters& p, const Evaluation& e, int block) {
    out.add("> RATINGS FOR BLOCKSIZE: " + std::string(block_size(block)->name));
    for (const auto& w : kRatingWords) {
        for (bool average : {false, true}) {
            out.add(average ? w.average : w.peak);
            for (int level = 0; level <= kMaxMultiLevel; ++level) {
                const int t = type_of(w.side, level);
                const int score = average ? e.average_score(t, block) : e.peak_score(t, block);
                out.add(std::string(w.rows[level]) + format_hash(score));
            }
            out.add(std::string(average ? w.average_rating : w.peak_rating) +
                    side_rating(p, e, w.side, block, average));
        }
    }
}

void add_multi_task_verdicts(Lines& out, const TestParameters& p, const Evaluation& e,
                             Side side) {
    // A verdict for each test of the chosen level that ran: level 3 runs the heavy test too, so
    // it gets the heavy verdict as well as the one of the heavy test with the other side.
    constexpr IdleTest kTests[] = {IdleTest::Single, IdleTest::Lite, IdleTest::Heavy,
                                   IdleTest::HeavyOther};
    for (int level = 0; level <= p.multi && level <= kMaxMultiLevel; ++level) {
        const int type = type_of(side, level);
        if (e.load_block(type) == 0) continue;
        out.add(multi_task_verdict(kTests[level], side, e.idle_figure(type)));
    }
}

void add_summary_side(Lines& out, const TestParameters& p, const Evaluation& e,
                      const ReportFacts& f, DriveTree tree, const SummaryWords& w) {
    out.add(fmt::format("{}{} MBps ", w.burst_single, mb_per_s(e.single_peak(w.side))));
    if (p.multi > 0)
        out.add(fmt::format("{}{} MBps ", w.burst_multi, mb_per_s(e.multi_task_burst(w.side))));
    for (int level = 0; level < 3; ++level)
        if (int block = e.load_block(type_of(w.side, level)); block > 0)
            out.add(std::string(w.load[level]) + std::string(block_size(block)->name) + ".");
    out.add(sustained_verdict(tree, e.best_speed(w.side), w.side, p.drive, f.usb3_port));
}

bool contains_ram(std::string_view entry) {
    std::string lower(entry);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("ram") != std::string::npos;
}

std::string date_of(const ReportTime& t, int year) {
    const int m = std::clamp(t.month, 1, 12);
    return fmt::format("{:02} {} {}", t.day, kMonths[m - 1], year);
}

std::vector<PerfSection> perf_sections(const TestParameters& p, const Evaluation& e) {
    std::vector<PerfSection> out;
    for (int block : tested_blocks(p)) {
        PerfSection s{p.drive + " " + block_bytes_text(block), {}};
        const double bytes = static_cast<double>(block_size(block)->report_bytes);
        for (Side side : {Side::Read, Side::Write}) {
            // A section keeps the figures of the last type of each side that ran.
            const SideFigures* last = nullptr;
            for (int level = 0; level <= kMaxMultiLevel; ++level)
                if (e.main(type_of(side, level), block).ran) last = &e.main(type_of(side, level), block);
            if (!last) continue;
            const auto& names = side == Side::Read ? keys::kPerfDataReadKeys : keys::kPerfDataWriteKeys;
            const double values[] = {last->peak_throughput, last->peak_side_ops,
                                     static_cast<double>(last->peak_disk_time),
                                     last->avg_throughput,  last->avg_throughput / bytes,
                                     last->avg_disk_time,   last->peak_operations,
                                     last->avg_operations};
            for (std::size_t i = 0; i < std::size(values); ++i)
                s.keys.emplace_back(std::string(names[i]), format_zero(values[i]));
        }
        if (!s.keys.empty()) out.push_back(std::move(s));
    }
    return out;
}

}  // namespace

std::string time_hhmmss(const ReportTime& t) {
    return fmt::format("{:02}{:02}{:02}", t.hour, t.minute, t.second);
}
std::string date_dd_mmm_yyyy(const ReportTime& t) { return date_of(t, t.year); }
std::string date_dd_mmm_yy(const ReportTime& t) {
    return fmt::format("{:02} {} {:02}", t.day, kMonths[std::clamp(t.month, 1, 12) - 1],
                       ((t.year % 100) + 100) % 100);
}

// A hard drive takes the parallel tree only when its link says parallel ATA; a drive whose link
// is not known takes the SATA tree, the one nearly every hard drive of today belongs to.
DriveTree drive_tree(const TestParameters& params, const ReportFacts& facts) {
    if (params.is_ram) return DriveTree::Ram;
    if (params.is_usb) return DriveTree::Usb;
    if (params.is_ssd) return DriveTree::Ssd;
    return facts.parallel_drive ? DriveTree::Parallel : DriveTree::Sata;
}

std::string result_line_name(const TestParameters& params, const ReportFacts& facts,
                             double single_peak_read) {
    // Faster than any drive: the figures are the memory's.
    if (single_peak_read > 2'000'000'000) return "RAM Drive MEM " + facts.memory_description;
    std::string name = params.drive_entry;
    if (auto close = name.find(']'); close != std::string::npos) {
        name.erase(0, close + 1);
        if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    }
    constexpr std::string_view kDevice = " device";
    if (name.size() >= kDevice.size()) {
        std::string tail = name.substr(name.size() - kDevice.size());
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == kDevice) name.erase(name.size() - kDevice.size());
    }
    if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

std::string system_tag(const TestParameters& params, const SystemTag& t) {
    std::string tag;
    auto piece = [&](std::string_view label, const std::string& value) {
        if (!value.empty()) tag += std::string(label) + value;
    };
    piece("MB:", t.mb);
    piece(" B:", t.bios);
    if (!t.cpu.empty()) tag += " CPU/C:" + t.cpu + "/" + t.cores;
    piece(" ", t.extra1);
    piece(" ", t.extra2);
    if (contains_ram(params.drive_entry))
        piece(" MEM:", t.memory);
    else
        piece(" Cntrl:", t.controller);
    return tag;
}

std::string result_line(const std::string& name, const std::string& tag,
                        std::string_view block_name, bool average, const ResultFigures& f) {
    auto h = [](double v) { return format_hash(v); };
    return fmt::format(
        "{} [{}] ({}) {} Read S:{} M1:{} M2:{} M3:{} Write S:{} M1:{} M2:{} M3:{} Overall:{} "
        "PR:{} PW:{}",
        name, tag, block_name, average ? "AVERAGE" : "PEAK", h(f.read[0]), h(f.read[1]),
        h(f.read[2]), h(f.read[3]), h(f.write[0]), h(f.write[1]), h(f.write[2]), h(f.write[3]),
        h(f.overall), h(f.peak_read), h(f.peak_write));
}

std::string DoSUMMARY(const TestParameters& params, const Evaluation& eval,
                      const ReportFacts& facts) {
    Lines out;
    out.add("Drive Specifications:");
    out.add(facts.spec_lines);
    out.add(kBanner);
    out.add("RATINGS");
    out.add(kBanner);
    double overall = 0;
    const auto blocks = tested_blocks(params);
    for (int block : blocks) overall = std::max(overall, block_figures(eval, block, false).overall);
    out.add("Peak Overall Rating is " + format_zero(overall));
    for (int block : blocks) add_ratings(out, params, eval, block);
    for (Side side : {Side::Read, Side::Write})
        if (side_tested(params, side)) add_multi_task_verdicts(out, params, eval, side);
    for (Side side : {Side::Read, Side::Write})
        if (side_tested(params, side)) out.add(peak_class_verdict(eval.single_peak(side), side));
    out.add("Test Results for " + params.drive + " Drive");
    const DriveTree tree = drive_tree(params, facts);
    for (const auto& w : kSummaryWords)
        if (side_tested(params, w.side)) add_summary_side(out, params, eval, facts, tree, w);
    return out.text();
}

std::string DoSummary2(const TestParameters& params, const Evaluation& eval,
                       const ReportFacts& facts) {
    Lines out;
    const SystemData& s = facts.system;
    out.add("System Data");
    out.add("Tested Hard Drive: " + params.drive_entry);
    out.add("Motherboard: " + s.board_product);
    out.add("   " + s.board_manufacturer);
    for (const auto& [label, value] : s.bios)
        if (!value.empty()) out.add(label + value);
    out.add("Slots: ");
    for (const auto& slot : s.pci_slots) out.add("   " + slot);
    out.add("Controllers: ");
    for (const auto& c : s.controllers) out.add("   " + c);
    for (const auto& w : kFastestWords) {
        if (!side_tested(params, w.side)) continue;
        const int type = type_of(w.side, 0);
        int fastest = 0;
        for (int b = 1; b <= kBlockCount; ++b)
            if (eval.main(type, b).ran &&
                (fastest == 0 ||
                 eval.main(type, b).peak_throughput > eval.main(type, fastest).peak_throughput))
                fastest = b;
        const SideFigures none{};
        const SideFigures& f = fastest ? eval.main(type, fastest) : none;
        const double bytes = fastest ? static_cast<double>(block_size(fastest)->report_bytes) : 1;
        out.add(std::string(w.lines[0]) + format_grouped(f.peak_throughput) + " Bps");
        out.add(std::string(w.lines[1]) + format_grouped(f.avg_throughput) + " Bps");
        out.add(std::string(w.lines[2]) + format_grouped(f.peak_side_ops) + " Per Sec");
        out.add(std::string(w.lines[3]) + format_grouped(f.avg_throughput / bytes) + " Per Sec");
        out.add(std::string(w.lines[4]) + format_grouped(f.peak_operations) + " Ops");
        out.add(std::string(w.lines[5]) + format_grouped(f.avg_operations) + " Ops");
    }
    return out.text();
}

ReportResult BuildREPORT(const TestParameters& params, const TestSamples& samples,
                         const ReportFacts& facts) {
    ReportResult r;
    r.eval = evaluate(samples);
    r.texts = evaluation_texts(params, r.eval);
    r.tree = drive_tree(params, facts);
    const auto blocks = tested_blocks(params);

    r.cache = cache_check(r.eval, blocks);
    double best = 0;
    for (int block : blocks)
        best = std::max({best, r.eval.best_peak(block, Side::Read),
                         r.eval.best_peak(block, Side::Write)});
    r.port = port_limit(facts.link, best);

    std::string summary = DoSUMMARY(params, r.eval, facts);
    for (const std::string* line : {&r.cache.line, &r.port.line})
        if (!line->empty()) summary += *line + "\r\n";
    r.recommend_text = summary;
    r.OverallText = summary + DoSummary2(params, r.eval, facts);

    const std::string name = result_line_name(params, facts, r.eval.single_peak(Side::Read));
    const std::string tag = system_tag(params, facts.tag);
    const std::string when = time_hhmmss(facts.when) + " " + date_dd_mmm_yyyy(facts.when);
    double overall = 0;
    for (int block : blocks) {
        const auto name_of_block = block_size(block)->name;
        const ResultFigures peak = block_figures(r.eval, block, false);
        const ResultFigures average = block_figures(r.eval, block, true);
        overall = std::max(overall, peak.overall);
        r.peak_figures.push_back(peak);
        r.average_figures.push_back(average);
        r.lines.peak.push_back(result_line(name, tag, name_of_block, false, peak));
        r.lines.average.push_back(result_line(name, tag, name_of_block, true, average));
        r.lines.my_peak.push_back(result_line(name, when, name_of_block, false, peak));
        r.lines.my_average.push_back(result_line(name, when, name_of_block, true, average));
    }
    r.overall_rating = format_zero(overall);
    r.perf_data = perf_sections(params, r.eval);
    if (params.read && params.drive_entry.size() > 4)
        r.baseline.emplace(std::string(baseline_key(params.drive_entry)),
                           format_zero(r.eval.best_speed(Side::Read) / 1e6));
    if (facts.used_bytes && facts.free_bytes) {
        r.used_text = format_grouped(*facts.used_bytes) + " Bytes Used";
        r.free_text = format_grouped(*facts.free_bytes) + " Bytes Free";
        const double total = *facts.used_bytes + *facts.free_bytes;
        r.used_share = total > 0 ? *facts.used_bytes / total : 0;
    }
    // The file name holds the letter only: an entry is no path.
    const unsigned char first = params.drive.empty() ? 0 : params.drive.front();
    const char letter = std::isalpha(first) ? static_cast<char>(std::toupper(first)) : '_';
    r.dated_report_name = std::string(1, letter) + " Drive " + time_hhmmss(facts.when) + " " +
                          date_dd_mmm_yy(facts.when) + ".txt";
    return r;
}

}  // namespace bw::testengine
