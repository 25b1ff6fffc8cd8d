#include "app/ProgramSteps.h"

#include "counters/CounterState.h"
#include "counters/CounterSteps.h"
#include "counters/Counters.h"
#include "drives/DriveInventory.h"
#include "drives/DriveStartup.h"
#include "drives/DriveSteps.h"

namespace bw {

StartSteps program_steps() {
    StartSteps steps;
    provide_tool_file_steps(steps);
    provide_drive_steps(steps);
    provide_counter_steps(steps);

    // The disk lists join the two subsystems: the volume letters come first, since the counters
    // name their disk instances by them, and the inventory reads the lists the counters made.
    steps.provide(StepId::PhysicalDisks, [](StepContext&) {
        PrepareVolumes();
        ListPhysicalDisks();
        drive_inventory().PhysicalList = counters().PhysicalList;
    });
    steps.provide(StepId::LogicalDisks, [](StepContext&) {
        ListLogicalDisks();
        drive_inventory().LogicalList = counters().LogicalList;
    });
    return steps;
}

}  // namespace bw
