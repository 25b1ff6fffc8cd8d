#include "testengine/RunSummary.h"

#include <sstream>

#include "testengine/ReportJson.h"

namespace bw::testengine {

namespace {

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

FinishedTest EndOfRun(const TestParameters& params, const TestSamples& samples) {
    return finish_main_test(params, samples);
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

nlohmann::json EndOfRunJson(const TestParameters& params, const FinishedTest& finished) {
    return {{"schema", "brantwell.test/1"},
            {"report", report_json(params, finished.report)},
            {"files", written_json(finished.files)}};
}

}  // namespace bw::testengine
