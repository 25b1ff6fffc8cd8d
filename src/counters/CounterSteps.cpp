#include "counters/CounterSteps.h"

#include "core/Startup.h"
#include "counters/CounterStartup.h"
#include "counters/CounterState.h"
#include "counters/Counters.h"
#include "counters/MainDisplay.h"
#include "drives/DriveInventory.h"
#include "drives/DriveStartup.h"

namespace bw {

void provide_counter_steps(StartSteps& steps) {
    steps.provide(StepId::CounterQuery, [](StepContext&) { VerifyCounterQueryStep(); });
    // The disk lists: the volume letters come first, since the counters name their disk
    // instances by them; the inventory then reads the lists the counters made.
    steps.provide(StepId::PhysicalDisks, [](StepContext&) {
        PrepareVolumes();
        ListPhysicalDisks();
        drive_inventory().PhysicalList = counters().PhysicalList;
    });
    steps.provide(StepId::LogicalDisks, [](StepContext&) {
        ListLogicalDisks();
        drive_inventory().LogicalList = counters().LogicalList;
    });
    steps.provide(StepId::CounterGroups,
                  [](StepContext& ctx) { StartCounterGroupsStep(ctx.show_step); });
    steps.provide(StepId::ProcessorCounters, [](StepContext& ctx) {
        AddProcessorCounters();
        CollectCounters();
        ctx.available_memory_bytes = CounterValue(counters().memory_probe());
    });
    steps.provide(StepId::LiveFigures, [](StepContext& ctx) {
        ctx.live = SampleMainDisplay(ctx.state.options.selected_drive());
    });
    steps.provide(StepId::CloseCounterQuery, [](StepContext&) { CloseCounterQuery(); });
}

}  // namespace bw
