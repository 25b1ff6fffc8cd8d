#pragma once

// What a finished main test hands on: the report built from the samples, the result files
// written from it, and the same as JSON. The test window and `brantwell-cli test` both end a run
// here, once, so the result files are written once per test.

#include <string>

#include <nlohmann/json.hpp>

#include "testengine/ReportFinish.h"
#include "testengine/TestRun.h"

namespace bw::testengine {

// Builds the report of a finished run from its samples and the facts its environment gives
// (this machine's when it gives none), and writes the result files.
FinishedTest EndOfRun(const TestRun& run);

// The files written and any that could not be, one per line (CR LF), for the end of the report.
std::string written_files_text(const WrittenFiles& files);

// What the test window shows and `brantwell-cli test` prints when a run is finished: the
// overall report, then the files written.
std::string finished_text(const FinishedTest& finished);

// The report of one block for the test window's block buttons: its labels (peak and average
// disk time with idle, the multi-task operations, the best speeds) and the read and write groups
// of that block size.
std::string block_report(const ReportResult& report, int block);

// The run as one JSON document (schema "brantwell.test/1"): the parameters, every side of every
// type and block that ran with its samples and peaks ("results"), the report and the files.
nlohmann::ordered_json samples_json(const TestParameters& params, const TestSamples& samples);
nlohmann::ordered_json EndOfRunJson(const TestParameters& params, const TestSamples& samples,
                                    const FinishedTest& finished);

}  // namespace bw::testengine
