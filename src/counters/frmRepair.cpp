#include "counters/frmRepair.h"

#include <fstream>

#include "core/AppState.h"
#include "counters/Counters.h"
#include "platform/KernelSwitches.h"
#include "platform/Mounts.h"
#include "platform/PdhQuery.h"
#include "platform/clock.h"
#include "platform/prompt.h"

namespace bw {

namespace {

// The mount steps and the kernel filesystem each one brings back.
struct MountStep {
    RepairKind kind;
    KernelFs fs;
};
inline constexpr MountStep kMountSteps[] = {
    {RepairKind::MountProc, KernelFs::Proc},
    {RepairKind::MountSys, KernelFs::Sys},
};

const KernelFsDef* mount_step(RepairKind kind) {
    for (const auto& m : kMountSteps)
        if (m.kind == kind)
            for (const auto& k : kKernelFilesystems)
                if (k.fs == m.fs) return &k;
    return nullptr;
}

bool default_needed(RepairKind kind, std::vector<std::string>& findings) {
    if (const KernelFsDef* k = mount_step(kind)) {
        const bool there = Mounts(pdh().sysroot(), live_mount_runner()).is_mounted(k->fs);
        findings.push_back(std::string(k->target) + (there ? " is mounted" : " is not mounted"));
        return !there;
    }
    const auto frozen = pdh().FrozenDisks();
    if (frozen.empty()) findings.push_back("disk statistics are on for every disk");
    for (const auto& disk : frozen)
        findings.push_back(disk + ": disk statistics are off (queue/iostats = 0)");
    return !frozen.empty();
}

bool default_run(RepairKind kind, std::string& output) {
    if (const KernelFsDef* k = mount_step(kind)) {
        const MountResult r = Mounts(pdh().sysroot(), live_mount_runner()).mount_kernel_fs(k->fs);
        output += r.message + "\n";
        return r.ok;
    }
    return EnableDiskStatistics(output);
}

void append_diagnostic(std::string_view line) {
    const auto folder = app().program_folder;
    if (folder.empty()) return;
    std::ofstream out(folder / std::string(kRepairDiagnosticFile), std::ios::app);
    out << line << '\n';
}

}  // namespace

bool EnableDiskStatistics(std::string& output) {
    const KernelSwitches switches(pdh().sysroot());
    bool all = true;
    for (const auto& disk : pdh().FrozenDisks()) {
        output += "echo 1 > " + KernelSwitches::path_of(KernelSwitch::DiskStatistics, disk) + "\n";
        const SwitchResult r = switches.write(KernelSwitch::DiskStatistics, disk, "1");
        if (!r.ok) {
            output += "  " + r.error + "\n";
            all = false;
        }
    }
    return all;
}

bool RepairProbe() {
    if (counters().SharedQuery == 0) AddMemoryCounters();
    return ProbeLogicalDiskCounter();
}

RepairActions DefaultRepairActions() {
    return {default_needed, default_run, RepairProbe};
}

RepairLog RepairME(const RepairActions& actions,
                   const std::function<void(const RepairLog&)>& on_change) {
    RepairLog log;
    const auto changed = [&] {
        if (on_change) on_change(log);
        clock().do_events();
    };
    changed();
    bool any_needed = false;
    for (const auto& step : kRepairSteps) {
        if (!actions.needed(step.kind, log.List1)) {
            changed();
            continue;
        }
        any_needed = true;
        log.DosBox += std::string(step.command) + "\n";
        log.steps_run.emplace_back(step.command);
        changed();
        actions.run(step.kind, log.DosBox);
        changed();
        Pause(1000);
        if (actions.probe()) {
            log.diagnostic = std::string(step.diagnostic);
            break;
        }
    }
    // Nothing to mend: the counters may have come back by themselves.
    if (!any_needed) {
        Pause(1000);
        if (actions.probe()) log.diagnostic = std::string(kRepairNothingToDo);
    }
    log.repaired = !log.diagnostic.empty();
    if (log.repaired) {
        append_diagnostic(log.diagnostic);
        app().repair_state = 1;
        log.List1.emplace_back(kRepairSuccess);
        changed();
        MsgBox(kRepairSuccess);
    } else {
        log.List1.emplace_back(kRepairFailed);
        changed();
        MsgBox(kRepairFailed, PromptIcon::Exclamation);
    }
    return log;
}

}  // namespace bw
