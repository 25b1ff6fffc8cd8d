#pragma once

// The one call the test window and `brantwell-cli test` make when the testers report that a main
// test is finished: the facts from this machine, the report, and the result files in the
// program's folders.

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

}  // namespace bw::testengine
