#pragma once

// What the results subsystem takes from every finished main test: the drive history records it
// under its drive's identity (and says in the report when it is slower than before), and the
// comparison keeps it as its current run. Both front ends install this once.

#include <string>
#include <vector>

#include "results/CompareSlots.h"
#include "results/DriveHistory.h"
#include "testengine/Report.h"

namespace bw::results {

// The test's entries for the history: one per tested block.
std::vector<HistoryEntry> history_entries(const testengine::TestParameters& params,
                                          const testengine::ReportResult& report,
                                          const testengine::ReportFacts& facts,
                                          const std::string& identity, const std::string& model);

// The test as the comparison's current run.
CurrentRun current_run_of(const testengine::TestParameters& params,
                          const testengine::ReportResult& report,
                          const testengine::ReportFacts& facts);

// Sets testengine's test-end hook: history in the program folder, identity from system_query().
void keep_test_history();

}  // namespace bw::results
