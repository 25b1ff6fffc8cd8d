#include "counters/frmRepair.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/AppState.h"
#include "counters/Counters.h"
#include "platform/PdhQuery.h"
#include "platform/clock.h"
#include "platform/prompt.h"

namespace bw {

namespace {

struct MountTarget {
    RepairKind kind;
    const char* fstype;
    const char* target;
    const char* witness;  // a file that is there once the filesystem is mounted
};
inline constexpr MountTarget kMountTargets[] = {
    {RepairKind::MountProc, "proc", "/proc", "/proc/stat"},
    {RepairKind::MountSys, "sysfs", "/sys", "/sys/block"},
};

const MountTarget* mount_target(RepairKind kind) {
    for (const auto& m : kMountTargets)
        if (m.kind == kind) return &m;
    return nullptr;
}

bool default_needed(RepairKind kind, std::vector<std::string>& findings) {
    const Sysroot& root = pdh().sysroot();
    if (const MountTarget* m = mount_target(kind)) {
        const bool there = root.exists(m->witness);
        findings.push_back(std::string(m->target) + (there ? " is mounted" : " is not mounted"));
        return !there;
    }
    const auto frozen = pdh().FrozenDisks();
    if (frozen.empty()) findings.push_back("disk statistics are on for every disk");
    for (const auto& disk : frozen)
        findings.push_back(disk + ": disk statistics are off (queue/iostats = 0)");
    return !frozen.empty();
}

bool default_run(RepairKind kind, std::string& output) {
    if (const MountTarget* m = mount_target(kind)) {
        if (!pdh().sysroot().is_live()) {
            output += "not the running system: nothing mounted\n";
            return false;
        }
        if (::mount(m->fstype, m->target, m->fstype, 0, nullptr) != 0) {
            output += std::string("mount: ") + std::strerror(errno) +
                      (errno == EPERM ? " (mounting needs root)\n" : "\n");
            return false;
        }
        output += std::string(m->target) + " mounted\n";
        return true;
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
    const Sysroot& root = pdh().sysroot();
    bool all = true;
    for (const auto& disk : pdh().FrozenDisks()) {
        const std::string file = "/sys/block/" + disk + "/queue/iostats";
        output += "echo 1 > " + file + "\n";
        std::ofstream out(root.path(file));
        out << "1\n";
        out.flush();
        if (!out) {
            const int err = errno;
            output += "  " + std::string(std::strerror(err)) +
                      (err == EACCES || err == EPERM ? " (switching disk statistics needs root)\n"
                                                     : "\n");
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
