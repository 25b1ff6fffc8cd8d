#pragma once

// The facts a report needs about the tested drive and the machine, gathered once when a test
// ends: the drive's decoded specification lines, the cached system facts, the link the drive
// sits on, the board and BIOS, and the time. The report itself reads none of them from the
// machine; tests hand it their own.

#include "platform/BoardFacts.h"
#include "platform/SystemQuery.h"
#include "testengine/Report.h"

namespace bw::testengine {

// The facts from what the machine and the program's start-up know; `when` is the end of the test.
ReportFacts gather_report_facts(const TestParameters& params, const SystemQuery& query,
                                const ReportTime& when);

// The system data block's rows from the board facts and the controllers.
SystemData system_data(const BoardFacts& board, const std::vector<IdeController>& controllers);

// The local time now.
ReportTime local_time_now();

}  // namespace bw::testengine
