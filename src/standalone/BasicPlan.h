#pragma once

// Turning the main window's options into the basic test's parameters: the drive, the blocks, the
// seconds per block, the write test file's size from the free space (asking to run only the read
// test when there is too little), the read source and the drive's sector size. No processor or
// activity check and no time warning: the basic test is what is left when those cannot be made.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/MainOptions.h"
#include "standalone/BasicRun.h"

namespace bw::basic {

inline constexpr std::string_view kNoBlockSelected = "No Block Size Selected!";
inline constexpr std::string_view kFreeSpaceTitle = "Free Space";
inline constexpr std::string_view kFreeSpaceQuestion =
    " Drive does not contain enough free space for a write test, Would you like to run just a "
    "Read Test?";

// Megabytes of the write test file for the free bytes of the drive (500, 300 or 200); none when
// the drive has 500,000,000 bytes free or less.
std::optional<int> write_file_size(std::uint64_t free_bytes);

// Seconds per block for `blocks` block sizes from the test time: halved for all eleven and
// shortened by a fifth for six to ten when the preference to adjust it is set.
int seconds_per_block(int blocks, int test_time, bool adjust);

// Where a drive letter is tested on this machine.
struct BasicTarget {
    std::filesystem::path test_folder;  // the mount point, or a writable folder on it
    std::string device;                 // the volume's block device ("" when it has none)
    std::string reason;                 // why there is no test folder
};
BasicTarget ResolveTarget(char letter);

// The facts of the machine the plan needs besides the options.
struct PlanFacts {
    std::uint64_t free_bytes = 0;          // in the test folder
    std::string cluster_size;              // the drive's sector size from the inventory, "" unknown
    int test_time = 30;                    // [Settings] "Test Time"
    bool adjust_test_time = true;          // [Settings] "Adjust Test Time"
    std::filesystem::path program_folder;  // where Overall.txt lives
};

// The parameters, or none when the user said No or nothing was chosen (the message was shown).
std::optional<BasicParams> PlanBasicTest(const MainOptions& options, const PlanFacts& facts);

// The facts of this machine for the selected drive: its free space, its sector size from the
// inventory's `cluster_list` (letter + bytes per sector), the settings read at start-up.
PlanFacts MachinePlanFacts(char letter, const BasicTarget& target,
                           const std::vector<std::string>& cluster_list);

// "Overall.txt" of the program folder.
inline constexpr std::string_view kOverallFileName = "Overall.txt";

}  // namespace bw::basic
