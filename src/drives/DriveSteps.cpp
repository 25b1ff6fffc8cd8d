#include "drives/DriveSteps.h"

#include "core/Splash.h"
#include "core/Startup.h"
#include "drives/DosApp.h"
#include "drives/DriveInventory.h"
#include "drives/DriveStartup.h"

namespace bw {

void provide_drive_steps(StartSteps& steps) {
    steps.provide(StepId::SystemInfo, [](StepContext&) { SysInfo(); });
    steps.provide(StepId::DriveDetails, [](StepContext& ctx) {
        GetDriveStep([] { advance_progress(); });
        ctx.ahci_on = drive_inventory().ahci;  // the controller query is part of it
    });
    steps.provide(StepId::UsbQuery, [](StepContext&) { CheckUsbStep(); });
    // The quick read baseline is a step of its own (StepId::QuickBaseline); the list is built
    // without it until it exists, and the step list says so.
    steps.provide(StepId::DriveList,
                  [](StepContext& ctx) { ctx.state.options.DriveList = CheckDrivesStep(); });
    steps.provide(StepId::LogicalOnlyDrives,
                  [](StepContext& ctx) { CompareDataStep(ctx.state.options.DriveList); });
    steps.provide(StepId::DirtyCheck, [](StepContext& ctx) {
        for (const auto& entry : ctx.state.options.DriveList)
            if (!entry.empty() && DirtyCheckStep(entry)) ctx.dirty_entries.push_back(entry);
    });
    steps.provide(StepId::SelectDrive, [](StepContext& ctx) {
        ctx.state.Label7 = SelectDriveStep(ctx.state.options.selected_drive()).label7;
    });
}

}  // namespace bw
