#include "testengine/RunSummary.h"

#include <sstream>

#include "testengine/ReportFacts.h"
#include "testengine/ReportJson.h"

namespace bw::testengine {

namespace {

const char* side_name(Side s) { return s == Side::Read ? "read" : "write"; }

// Visits every side of every type and block that filed a sample, in type then block order.
template <typename Visit>
void each_ran(const TestParameters& params, const TestSamples& samples, Visit visit) {
    for (const TestTypeRow& row : kTestTypes)
        for (char code : params.block_codes) {
            const int block = block_index_from_code(code);
            if (block == 0) continue;
            for (Side s : {row.side, other_side(row.side)}) {
                const SideSamples& side = samples.side(row.number, block, s);
                if (side.ran()) visit(row, block, s, side);
            }
        }
}

// The groups of a read or write text (separated by lines of "R") whose header names the block.
std::string groups_of_block(const std::string& text, int block) {
    const std::string tag = "for Block Size " + std::string(block_size(block)->name);
    std::string out, group;
    std::istringstream lines(text);
    auto flush = [&] {
        const auto first_end = group.find('\n');
        const std::string header = group.substr(0, first_end);
        // "... 4KB" must not match "... 4096KB": the name ends the header line.
        const std::string trimmed = header.substr(0, header.find_last_not_of("\r") + 1);
        if (trimmed.size() >= tag.size() && trimmed.ends_with(tag)) out += group;
        group.clear();
    };
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of("R\r") == std::string::npos) {
            flush();
            continue;
        }
        group += line + "\n";
    }
    flush();
    return out;
}

}  // namespace

FinishedTest EndOfRun(const TestRun& run) {
    const ReportFacts facts =
        run.env().report_facts
            ? run.env().report_facts(run.params())
            : gather_report_facts(run.params(), system_query(), local_time_now());
    return finish_main_test(run.params(), run.samples(), facts);
}

std::string finished_text(const FinishedTest& finished) {
    return finished.report.OverallText + "\r\n" + written_files_text(finished.files);
}

std::string written_files_text(const WrittenFiles& files) {
    std::string out;
    if (!files.written.empty()) out += "Result files written:\r\n";
    for (const auto& path : files.written) out += "   " + path.string() + "\r\n";
    if (!files.errors.empty()) out += "Result files NOT written:\r\n";
    for (const auto& error : files.errors) out += "   " + error + "\r\n";
    return out;
}

std::string block_report(const ReportResult& report, int block) {
    std::string out;
    for (const BlockLabels& l : report.texts.labels) {
        if (l.block != block) continue;
        out += "Read:  peak " + l.PReadTime + "   average " + l.AReadTime + "\r\n";
        out += "Write: peak " + l.PWriteTime + "   average " + l.AWriteTime + "\r\n";
        out += "Multi-task operations: read " + l.MMIORead + " / " + l.MMMIORead + ", write " +
               l.MMIOWrite + " / " + l.MMMIOWrite + "\r\n";
        out += "Best read " + l.BestRead + "   Best write " + l.BestWrite + "\r\n\r\n";
    }
    out += groups_of_block(report.texts.ReadText, block);
    out += groups_of_block(report.texts.WriteText, block);
    return out;
}

nlohmann::ordered_json samples_json(const TestParameters& params, const TestSamples& samples) {
    nlohmann::ordered_json j;
    j["schema"] = "brantwell.test/1";
    j["drive"] = params.drive;
    j["drive_entry"] = params.drive_entry;
    j["test_type"] = type_name(params.type);
    j["read"] = params.read;
    j["write"] = params.write;
    j["multi_task_level"] = params.multi;
    j["block_codes"] = params.block_codes;
    j["seconds_per_block"] = params.seconds_per_block;
    j["estimate_seconds"] = params.estimate_seconds;
    j["peak_read_bytes_per_s"] = samples.peak_read_bytes;
    j["peak_write_bytes_per_s"] = samples.peak_write_bytes;
    auto& results = j["results"] = nlohmann::ordered_json::array();
    each_ran(params, samples, [&](const TestTypeRow& row, int block, Side s, const SideSamples& v) {
        results.push_back({{"type", row.number},
                           {"label", row.label},
                           {"block", block_size(block)->name},
                           {"side", side_name(s)},
                           {"sample_count", v.sample_count},
                           {"peak_throughput_bytes_per_s", v.peak_throughput},
                           {"peak_tester_ops_per_s", v.peak_operations},
                           {"peak_transfers_per_s", v.peak_transfers},
                           {"peak_disk_time_percent", v.peak_disk_time},
                           {"peak_idle_percent", v.peak_idle},
                           {"score", samples.score(row.number, block)},
                           {"throughput_bytes_per_s", v.throughput},
                           {"tester_bytes_per_s", v.tester_bytes}});
    });
    return j;
}

nlohmann::ordered_json EndOfRunJson(const TestParameters& params, const TestSamples& samples,
                                    const FinishedTest& finished) {
    nlohmann::ordered_json j = samples_json(params, samples);
    j["report"] = report_json(params, finished.report);
    j["files"] = written_json(finished.files);
    return j;
}

}  // namespace bw::testengine
