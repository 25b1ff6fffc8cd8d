// The built program's steps (declared in core/StartSteps.h).
#include "core/StartSteps.h"
#include "counters/CounterSteps.h"
#include "drives/DriveSteps.h"
#include "standalone/Baseline.h"

namespace bw {

StartSteps program_steps() {
    StartSteps steps;
    provide_tool_file_steps(steps);
    provide_drive_steps(steps);
    provide_counter_steps(steps);
    basic::provide_standalone_steps(steps);
    return steps;
}

}  // namespace bw
