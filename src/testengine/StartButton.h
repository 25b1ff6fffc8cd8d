#pragma once

// What the start button ("Command1", "Run Test") does, in its order: the processor check, the
// testers, the RAM-drive question, the disk-activity watch, the parameters and the estimate, the
// free-space check, the USB rule, the cluster size, the long-test warning, the test window and the
// failure message; or the same for every drive of the list ("Test All HD"). The machine and the
// windows come in through StartEnv; questions go through the prompt, waits through the clock, so
// the desktop program, brantwell-cli and the tests run the same steps.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/MainOptions.h"
#include "testengine/TestParameters.h"

namespace bw::testengine {

struct CpuReport {
    double total_percent = 0;  // the machine, averaged over its processors
    std::string busy_lines;    // "name  CPU Usage: 12.5%" + CR LF per busy process
};

struct StartEnv {
    int processors = 1;
    int test_time = 30;   // [Settings] "Test Time"
    bool adjust = true;   // [Settings] "Adjust Test Time"
    std::vector<std::string> cluster_list;  // ClusterList2

    std::function<CpuReport()> measure_cpu;
    // Starts the testers that are not running.
    std::function<void()> start_testers;
    // One look at the selected drive's activity (the main window's queue and transfer labels).
    std::function<bool()> disk_active_now;
    std::function<void(bool)> show_status;  // the `DStatus` box
    std::function<std::optional<std::uint64_t>(char letter)> free_bytes;
    // Fills the machine's side of the parameters: test folder, block device, counter row.
    std::function<void(TestParameters&)> locate;
    // [Settings] of the working settings file, and of the preferences file.
    std::function<std::string(std::string_view key)> read_work;
    std::function<void(std::string_view key, std::string_view value)> write_work;
    std::function<void(std::string_view key, std::string_view value)> write_prefs;
    std::function<void(char letter)> fetch_details;  // the drive's specifications for the report
    std::function<void(int index)> select_drive;     // the drive list's selection follows a loop

    // The windows. The test window returns the run state: failed start checks (above 4 means
    // the testers never produced disk activity).
    std::function<int(const TestParameters&)> open_test_window;
    std::function<void()> open_basic_test;
    std::function<void()> show_overall;
};

enum class StartOutcome { Aborted, Ran, AlreadyRunning };

// The start button over the main window's options (the boxes it unticks stay unticked).
StartOutcome Command1_Click(MainOptions& options, StartEnv& env);

// The parameters of steps 6 to 9 for one drive list entry: flags from the entry, options from the
// boxes, the block code and the estimate. The block code may be empty (the caller refuses).
TestParameters read_parameters(const MainOptions& options, std::string_view entry,
                               const StartEnv& env);

// The multi-task level of the boxes: the last ticked of ChkMulti, ChkMultiH, ChkMultiHS.
int multi_level(const MainOptions& options);

inline constexpr std::string_view kNoDrive = "No drive is selected: choose one in \"Drive to Test\".";
inline constexpr std::string_view kAlreadyRunning =
    "A test is already running. Wait for it to end or close its window first.";

}  // namespace bw::testengine
