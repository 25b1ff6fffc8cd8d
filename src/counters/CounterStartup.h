#pragma once

// The counter steps of the main window's load and the "Windows Error" question that follows a
// counter failure.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

inline constexpr std::string_view kWindowsErrorTitle = "Windows Error";
inline constexpr std::string_view kWindowsErrorText =
    "A Function of Windows needed to use the Full Abilities of Brantwell is not working Properly. "
    "Would you like Brantwell to try to Repair it? If not the Basic Test will be Performed.";

// The repair window, shown modally. The desktop program installs its frmRepair window; without
// one the repair runs headless (RepairME with the live actions).
using RepairWindow = std::function<void()>;
void set_repair_window(RepairWindow window);  // empty restores the headless repair

// The "Windows Error" prompt: Yes shows the repair window; when the answer was No, or the repair
// did not succeed, the program goes on in basic-test-only mode (app().basic_only_mode). Returns
// true when the counters were repaired.
bool WindowsErrorPrompt();
// The answer given to the last "Windows Error" prompt.
bool LastWindowsErrorAnswer();

// "Verify Version": open the shared query, then add "\Memory\Committed Bytes"; each failure asks
// the "Windows Error" question.
bool OpenCounterQuery();        // false when the query cannot be opened
bool AddCommittedBytesProbe();  // false when the counter cannot be added
void VerifyCounterQueryStep();

// One counter group of the load: its splash label, its set-up and its probe.
struct CounterStartupGroup {
    std::string label;
    std::function<void()> add;
    std::function<bool()> probe_ok;
};
// "Chk Memory" (memory), "Load Disk" (physical and logical disks), "Processes", "Processes 2",
// "Processes 3" (the testers).
std::vector<CounterStartupGroup> CounterStartupGroups();

// Runs one group: a probe that reads 0 gets one more try after 100 ms, then the "Windows Error"
// question, and after a successful repair one last try. True when the probe passed in the end.
bool RunCounterGroup(const CounterStartupGroup& group,
                     const std::function<void(const std::string&)>& show_step = {});
// Every group in order (the counter steps of the load). True when all probes passed.
bool StartCounterGroupsStep(const std::function<void(const std::string&)>& show_step = {});

}  // namespace bw
