#include "drives/DriveSteps.h"

#include "core/Splash.h"
#include "core/Startup.h"
#include "drives/DosApp.h"
#include "drives/DriveInventory.h"
#include "drives/DriveStartup.h"
#include "drives/VolumeFacts.h"

namespace bw {

void provide_drive_steps(StartSteps& steps) {
    steps.provide(StepId::SystemInfo, [](StepContext&) { SysInfo(); });
    steps.provide(StepId::DriveDetails,
                  [](StepContext&) { GetDriveStep([] { advance_progress(); }); });
    steps.provide(StepId::UsbQuery, [](StepContext&) { CheckUsbStep(); });
    // The quick read baseline is a step of its own (StepId::QuickBaseline); the list is built
    // without it until it exists, and the step list says so.
    steps.provide(StepId::DriveList, [](StepContext& ctx) {
        ctx.state.options.DriveList = CheckDrivesStep();
        ctx.state.drive_facts = EntryFacts(ctx.state.options.DriveList);
    });
    steps.provide(StepId::LogicalOnlyDrives, [](StepContext& ctx) {
        CompareDataStep(ctx.state.options.DriveList);
        ctx.state.drive_facts = EntryFacts(ctx.state.options.DriveList);
    });
    steps.provide(StepId::DirtyCheck, [](StepContext& ctx) {
        for (const auto& entry : ctx.state.options.DriveList)
            if (!entry.empty() && DirtyCheckStep(entry)) ctx.dirty_entries.push_back(entry);
    });
    steps.provide(StepId::SelectDrive, [](StepContext& ctx) {
        const std::string entry = ctx.state.options.selected_drive();
        const DriveSelection selected = SelectDriveStep(entry);
        ctx.state.Label7 = selected.label7;
        // The drive's own facts follow the decoded specifications on their own line.
        if (!selected.label7.empty() && !selected.facts_line.empty())
            ctx.state.Label7 += "\n" + selected.facts_line;
        // Free space changes while the program runs: the selected drive's facts are read anew.
        ctx.state.drive_facts[entry] = EntryFacts({entry})[entry];
    });
}

}  // namespace bw
