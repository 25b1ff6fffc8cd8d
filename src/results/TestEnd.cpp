#include "results/TestEnd.h"

#include <algorithm>

#include <fmt/format.h>

#include "core/AppState.h"
#include "platform/SystemQuery.h"
#include "results/DriveIdentity.h"
#include "testengine/ReportFinish.h"

namespace bw::results {

using namespace testengine;

namespace {

std::string iso_time(const ReportTime& t) {
    return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", t.year, t.month, t.day, t.hour,
                       t.minute, t.second);
}

}  // namespace

std::vector<HistoryEntry> history_entries(const TestParameters& params, const ReportResult& report,
                                          const ReportFacts& facts, const std::string& identity,
                                          const std::string& model) {
    std::vector<HistoryEntry> out;
    const auto blocks = tested_blocks(params);
    for (std::size_t i = 0; i < blocks.size() && i < report.peak_figures.size(); ++i) {
        const ResultFigures& f = report.peak_figures[i];
        out.push_back({identity, iso_time(facts.when), params.drive, type_name(params.type),
                       std::string(block_size(blocks[i])->name), model, f.peak_read, f.peak_write});
    }
    return out;
}

CurrentRun current_run_of(const TestParameters& params, const ReportResult& report,
                          const ReportFacts& facts) {
    CurrentRun run;
    run.drive_entry = params.drive_entry;
    run.system = system_tag(params, facts.tag);
    for (const auto& line : facts.spec_lines) run.system += " " + line;
    const auto blocks = tested_blocks(params);
    auto copy = [](const ResultFigures& f, std::string_view name) {
        CurrentBlock b;
        b.block = std::string(name);
        std::copy(std::begin(f.read), std::end(f.read), b.read);
        std::copy(std::begin(f.write), std::end(f.write), b.write);
        b.overall = f.overall;
        b.peak_read = f.peak_read;
        b.peak_write = f.peak_write;
        return b;
    };
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto name = block_size(blocks[i])->name;
        if (i < report.peak_figures.size()) run.peak.push_back(copy(report.peak_figures[i], name));
        if (i < report.average_figures.size())
            run.average.push_back(copy(report.average_figures[i], name));
    }
    return run;
}

void keep_test_history() {
    set_test_end_hook([](const TestParameters& params, const ReportResult& report,
                         const ReportFacts& facts) -> std::vector<std::string> {
        current_run() = current_run_of(params, report, facts);
        const DriveIdentity id = drive_identity(system_query(), params.device);
        if (id.key.empty())
            return {"This test is not added to the drive's history: " + id.reason};
        return compare_and_record(app().program_folder / kDriveHistoryFile,
                                  history_entries(params, report, facts, id.key, id.model))
            .report_lines;
    });
}

}  // namespace bw::results
