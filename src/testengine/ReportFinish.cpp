#include "testengine/ReportFinish.h"

#include <algorithm>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"

namespace bw::testengine {

namespace {

TestEndHook& test_end_hook() {
    static TestEndHook hook;
    return hook;
}

}  // namespace

void set_test_end_hook(TestEndHook hook) { test_end_hook() = std::move(hook); }

void add_report_findings(ReportResult& report, const std::vector<std::string>& lines) {
    std::string added;
    for (const auto& l : lines) added += l + "\r\n";
    if (added.empty()) return;
    // The overall text begins with the summary that the recommendation holds.
    report.OverallText.insert(std::min(report.recommend_text.size(), report.OverallText.size()),
                              added);
    report.recommend_text += added;
    report.findings.insert(report.findings.end(), lines.begin(), lines.end());
}

FinishedTest finish_main_test(const TestParameters& params, const TestSamples& samples,
                              const ReportFacts& facts) {
    FinishedTest done;
    // The testers see that the program has taken the results.
    for (int tester = 1; tester <= 3; ++tester)
        WriteINI(app().working_ini(), keys::hard_drive_test(tester), keys::kFinished, "2");
    done.report = BuildREPORT(params, samples, facts);
    if (const TestEndHook& hook = test_end_hook())
        add_report_findings(done.report, hook(params, done.report, facts));
    done.files = write_result_files({app().program_folder, app().working_folder}, done.report);
    return done;
}

}  // namespace bw::testengine
