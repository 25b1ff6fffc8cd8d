#pragma once

// The rules the start button applies before a main test: the time text, the seconds per block and
// the estimate, the processor-load threshold, the disk-activity rule, the test-file size from the
// free space, the USB rule and the cluster size. Plain functions over plain values, so each rule
// is checked on its own and the desktop program and brantwell-cli apply the same ones.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TesterProtocol.h"

namespace bw::testengine {

// Whole seconds as hours:minutes:seconds, minutes and seconds in two digits: 3725 -> "1:02:05".
// Negative seconds read as 0.
std::string time_text(std::int64_t seconds);

// Seconds each block runs: all eleven blocks halve "Test Time" and six to ten take four fifths of
// it (to the nearest whole) when "Adjust Test Time" is on; five or fewer always run the full time.
int seconds_per_block(int block_count, int test_time, bool adjust);

struct EstimateInput {
    std::string block_codes;
    int test_time = 30;
    bool adjust = true;
    bool read = false, write = false;
    int multi = 0;
    JobType type = JobType::Functional;
};
// The estimated total seconds of a test.
std::int64_t estimate_seconds(const EstimateInput& in);

// Whether the machine's total processor use (percent, averaged over the processors) is high
// enough to warn before a test on a machine with `processors` processors.
bool cpu_too_busy(double total_percent, int processors);
// A process named in the warning: above 4 % of the machine.
inline constexpr double kBusyProcessPercent = 4.0;
std::string cpu_warning_text(double total_percent, std::string_view process_lines);

// The main window's queue label above 0 or its transfer label above 0.1: the drive is in use.
bool disk_active(double disk_time_percent, double bytes_per_sec);

// The test-file size in MB for a write test on a drive with `free_bytes` free; nullopt when the
// drive has too little room (the question of a read-only test follows).
std::optional<std::int64_t> file_size_for_free_bytes(std::uint64_t free_bytes);
// A USB drive gets a test file of this size and this many seconds more per block.
inline constexpr std::int64_t kUsbFileSizeMb = 250;
inline constexpr int kUsbExtraSeconds = 15;

// The cluster size of a letter: the text after the first character of the first row of
// ClusterList2 whose first character is the letter (without case); "512" when none is.
std::string cluster_size_for(const std::vector<std::string>& cluster_list, char letter);

// The run state above which the start button reports that the testers never started: the test
// window gives up after this many ticks without disk activity.
inline constexpr int kMaxFailedStarts = 4;

// --- Texts ----------------------------------------------------------------------------------------

inline constexpr std::string_view kCpuTitle = "High CPU Usage";
inline constexpr std::string_view kRamTitle = "Poor Test Results";
inline constexpr std::string_view kRamQuestion =
    "Running Test on a RAM Drive with a Single Processor will yield Poor Results, The BASIC TEST "
    "under Options is recommended, would you still like to run the test?";
inline constexpr std::string_view kActivityTitle = "Disk Activity";
inline constexpr std::string_view kActivitySuffix =
    " Drive currently has Activity. You should test the drive with no sctivity. Would you like to "
    "test anyway?";
inline constexpr std::string_view kNoBlock = "No Block Size Selected!";
inline constexpr std::string_view kFreeSpaceTitle = "Free Space";
inline constexpr std::string_view kFreeSpaceSuffix =
    " Drive does not contain enough free space for a write test, Would you like to run just a Read "
    "Test?";
inline constexpr std::string_view kTestTimeTitle = "Test Time";
std::string long_test_question(std::string_view time);
std::string all_drives_question(int drives, std::string_view time);
inline constexpr std::string_view kLongTestNotice =
    "Because of the long Test Time, please ensure all programs are closed. Also if any programs "
    "are scheduled to run for example an Anti-Virus, disable those before continuing!";
inline constexpr std::string_view kStartFailed =
    "Either the Block Size is too Large or Brantwell could not Connect to a Windows Service. "
    "Please Restart Brantwell and try a smaller Block Size! If this persist, contact Brantwell "
    "Support.";

}  // namespace bw::testengine
