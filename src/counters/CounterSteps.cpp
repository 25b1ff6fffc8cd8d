#include "counters/CounterSteps.h"

#include "core/Startup.h"
#include "counters/CounterStartup.h"
#include "counters/CounterState.h"
#include "counters/Counters.h"
#include "counters/MainDisplay.h"

namespace bw {

void provide_counter_steps(StartSteps& steps) {
    steps.provide(StepId::CounterQuery, [](StepContext&) { VerifyCounterQueryStep(); });
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
