#pragma once

// The one call the test window and `brantwell-cli test` make when the testers report that a main
// test is finished: the facts from this machine, the report, and the result files in the
// program's folders.

#include <functional>
#include <string>
#include <vector>

#include "testengine/ReportFacts.h"
#include "testengine/ResultFiles.h"

namespace bw::testengine {

struct FinishedTest {
    ReportResult report;  // texts, labels, result lines, findings
    WrittenFiles files;   // what was written and what could not be
};

// Writes "Finished" = "2" to the three tester sections first, then builds the report from
// `facts`, and writes the result files into the program and working folders of app().
FinishedTest finish_main_test(const TestParameters& params, const TestSamples& samples,
                              const ReportFacts& facts);

// What another subsystem does with a finished test once its report is built and before its files
// are written (the drive history compares it with the drive's earlier tests and records it); the
// lines it returns join the report's findings. None is set unless a front end sets one.
using TestEndHook = std::function<std::vector<std::string>(
    const TestParameters& params, const ReportResult& report, const ReportFacts& facts)>;
void set_test_end_hook(TestEndHook hook);

// Adds finding lines to a built report: after the summary, before the system data block.
void add_report_findings(ReportResult& report, const std::vector<std::string>& lines);

}  // namespace bw::testengine
