#pragma once

// frmRepair: brings the kernel's disk statistics back when the counters cannot be used. Linux
// stands in for the counter store with /proc, /sys and each disk's queue/iostats switch; the
// repair makes sure /proc and /sys are mounted and switches the statistics of every disk back on
// (both need root), checking the counters after each step.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

inline constexpr std::string_view kRepairCaption = "Attempting to Repair Windows";
inline constexpr std::string_view kRepairSuccess = "Repair was successful!";
inline constexpr std::string_view kRepairFailed =
    "Restart Windows and Re-run Brantwell to determine if repair was successful.";
inline constexpr std::string_view kRepairDiagnosticFile = "TestData.txt";

enum class RepairKind { MountProc, MountSys, EnableIostats };

struct RepairStep {
    RepairKind kind;
    std::string_view command;     // what the window shows as run
    std::string_view diagnostic;  // line appended to TestData.txt when this step did it
};

// In order; the first step after which the counter check passes ends the repair.
inline constexpr RepairStep kRepairSteps[] = {
    {RepairKind::MountProc, "mount -t proc proc /proc", "proc Worked"},
    {RepairKind::MountSys, "mount -t sysfs sysfs /sys", "sysfs Worked"},
    {RepairKind::EnableIostats, "switch disk statistics on (queue/iostats = 1)", "iostats Worked"},
};
// Diagnostic line when nothing needed doing and the counters work again.
inline constexpr std::string_view kRepairNothingToDo = "check Worked";

// What the repair does to the machine. The defaults act on the live system; tests replace them.
struct RepairActions {
    // Whether the step has anything to do, and the findings to list.
    std::function<bool(RepairKind kind, std::vector<std::string>& findings)> needed;
    // Runs the step; false when it failed. `output` receives what it printed.
    std::function<bool(RepairKind kind, std::string& output)> run;
    // The counter check.
    std::function<bool()> probe;
};
RepairActions DefaultRepairActions();

// What the window shows once the repair is over.
struct RepairLog {
    std::string Label1{kRepairCaption};
    std::string DosBox;              // every command run and what it printed
    std::vector<std::string> List1;  // what was found
    std::vector<std::string> steps_run;
    std::string diagnostic;  // the line appended to TestData.txt ("" when none)
    bool repaired = false;
};

// RepairME: runs as soon as the window loads. On success sets the program-wide repair state to 1
// and appends the diagnostic line; shows "Repair was successful!" or the restart advice.
// `on_change` (optional) is called whenever the log grows, so a window can repaint.
RepairLog RepairME(const RepairActions& actions = DefaultRepairActions(),
                   const std::function<void(const RepairLog&)>& on_change = {});

// The counter check of the repair: the shared query accepts a logical-disk counter (a query is
// opened first when there is none).
bool RepairProbe();

// Sets queue/iostats to 1 on every disk that has it at 0; false when one could not be set.
bool EnableDiskStatistics(std::string& output);

}  // namespace bw
