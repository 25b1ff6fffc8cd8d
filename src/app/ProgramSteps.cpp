// The built program's steps (declared in core/StartSteps.h).
#include "core/StartSteps.h"
#include "counters/CounterSteps.h"
#include "drives/DriveSteps.h"
#include "results/CompareResults.h"
#include "testengine/ReportSteps.h"
#include "standalone/Baseline.h"
#include "standalone/TrimSteps.h"

namespace bw {

StartSteps program_steps() {
    StartSteps steps;
    provide_tool_file_steps(steps);
    provide_drive_steps(steps);
    provide_counter_steps(steps);
    results::provide_result_steps(steps);
    testengine::provide_report_steps(steps);
    provide_trim_steps(steps);
    basic::provide_standalone_steps(steps);
    return steps;
}

}  // namespace bw
