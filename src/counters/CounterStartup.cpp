#include "counters/CounterStartup.h"

#include "core/AppState.h"
#include "counters/Counters.h"
#include "counters/frmRepair.h"
#include "platform/PdhQuery.h"
#include "platform/clock.h"
#include "platform/prompt.h"

namespace bw {

namespace {

RepairWindow& repair_window() {
    static RepairWindow window;
    return window;
}

bool& last_answer() {
    static bool yes = false;
    return yes;
}

}  // namespace

void set_repair_window(RepairWindow window) {
    repair_window() = std::move(window);
}

bool LastWindowsErrorAnswer() {
    return last_answer();
}

bool WindowsErrorPrompt() {
    AppState& a = app();
    last_answer() = prompt().yes_no(kWindowsErrorText, kWindowsErrorTitle, PromptIcon::Critical);
    if (last_answer()) {
        if (repair_window())
            repair_window()();
        else
            RepairME();
    }
    const bool repaired = last_answer() && a.repair_state == 1;
    if (!repaired) a.basic_only_mode = true;
    return repaired;
}

bool OpenCounterQuery() {
    CounterState& s = counters();
    if (s.SharedQuery) s.superseded_queries.push_back(s.SharedQuery);
    PdhHandle q = 0;
    const PdhStatus status = pdh().OpenQuery(&q);
    s.SharedQuery = q;
    return status == kPdhOk && q != 0;
}

bool AddCommittedBytesProbe() {
    PdhHandle h = 0;
    const PdhStatus status = pdh().AddCounter(
        counters().SharedQuery, CounterPath(kMemoryCounterPaths[kCommittedBytes]), &h);
    if (status == kPdhOk) counters().MemoryCounters[kCommittedBytes] = h;
    return status == kPdhOk && h != 0;
}

void VerifyCounterQueryStep() {
    if (!OpenCounterQuery()) WindowsErrorPrompt();
    if (!AddCommittedBytesProbe()) WindowsErrorPrompt();
}

std::vector<CounterStartupGroup> CounterStartupGroups() {
    std::vector<CounterStartupGroup> groups;
    groups.push_back(
        {"Chk Memory", AddMemoryCounters, [] { return counters().memory_probe() != 0; }});
    groups.push_back({"Load Disk",
                      [] {
                          AddPhysicalDiskCounters();
                          AddLogicalDiskCounters();
                      },
                      [] {
                          // A machine whose root is not a block device (a container) lists no
                          // logical disk; the object itself must still take counters.
                          if (counters().LogicalList.empty()) return ProbeLogicalDiskCounter();
                          return counters().logical_disk_probe() != 0;
                      }});
    static constexpr std::string_view kTesterLabels[] = {"Processes", "Processes 2", "Processes 3"};
    for (int tester = 1; tester <= 3; ++tester)
        groups.push_back({std::string(kTesterLabels[tester - 1]),
                          [tester] { AddTesterCounters(tester); },
                          [tester] { return counters().tester_probe(tester) != 0; }});
    return groups;
}

bool RunCounterGroup(const CounterStartupGroup& group,
                     const std::function<void(const std::string&)>& show_step) {
    if (show_step) show_step(group.label);
    group.add();
    if (group.probe_ok()) return true;
    Pause(100);
    group.add();
    if (group.probe_ok()) return true;
    if (!WindowsErrorPrompt()) return false;
    group.add();
    return group.probe_ok();
}

bool StartCounterGroupsStep(const std::function<void(const std::string&)>& show_step) {
    bool all = true;
    for (const auto& group : CounterStartupGroups()) all = RunCounterGroup(group, show_step) && all;
    return all;
}

}  // namespace bw
