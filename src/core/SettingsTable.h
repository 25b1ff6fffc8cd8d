#pragma once

// Every key of the two settings files in one table: which file holds it, its section, and the
// value a new file gets. Lists that start-up writes in a fixed order (the preference defaults, the
// tester job keys it resets) are drawn from this table, so a key cannot be added to one and
// forgotten in the other.

#include <array>
#include <cstddef>
#include <string_view>

#include "core/SettingsKeys.h"

namespace bw {

enum class SettingsFile {
    Working,      // the working folder's file, shared with the testers
    Preferences,  // the program folder's file
    Both,         // the same key in each, with its own meaning in each
};

struct SettingsKeyRow {
    SettingsFile file;
    std::string_view section;
    std::string_view key;
    // Written when the preferences file is new ("" = none), in the order of this table.
    std::string_view preference_default;
    // Written to [Hard Drive Test 1] and [Hard Drive Test 2] at every start ("" = left alone).
    std::string_view start_reset;
};

namespace settings_table {
using enum SettingsFile;
using namespace keys;

// [Hard Drive Test 2] and [Hard Drive Test 3] carry the keys listed here for [Hard Drive Test 1].
// The per-disk [Drive<index>] sections and "Interface<slot>" keys are named by functions in
// SettingsKeys.h; they have no defaults.
inline constexpr SettingsKeyRow kRows[] = {
    // [Settings]: preferences and counters.
    {Preferences, kSettings, kRead, "1", ""},  // also marks an initialised preferences file
    {Preferences, kSettings, kWrite, "0", ""},
    {Preferences, kSettings, kBlock, "5", ""},  // 64KB only
    {Preferences, kSettings, kSkipUsage, "0", ""},
    {Preferences, kSettings, kType, "2", ""},
    {Preferences, kSettings, kBasicOnly, "0", ""},
    {Preferences, kSettings, kGoodShutdown, "0", ""},
    {Preferences, kSettings, kBadShutdown, "0", ""},
    {Both, kSettings, kShutdown, "", ""},
    {Preferences, kSettings, kDisclaimer, "", ""},
    {Preferences, kSettings, kTrimCheck, "", ""},
    {Preferences, kSettings, kTestTime, "30", ""},
    {Preferences, kSettings, kAdjustTestTime, "1", ""},
    {Preferences, kSettings, kAlwaysIgnore, "0", ""},
    {Preferences, kSettings, kDownloadResults, "1", ""},
    {Preferences, kSettings, kCheckUpdate, "1", ""},
    {Preferences, kSettings, kSortDrive, "", ""},
    // [Settings]: run state and cached facts.
    {Working, kSettings, kOpen, "", ""},
    {Working, kSettings, kRunStatus, "", ""},
    {Working, kSettings, kLastDrive, "", ""},
    {Working, kSettings, kWinVer, "", ""},
    {Working, kSettings, kWinType, "", ""},
    {Working, kSettings, kMems, "", ""},
    {Working, kSettings, kBios, "", ""},
    {Working, kSettings, kMb, "", ""},
    {Working, kSettings, kCpu, "", ""},
    {Working, kSettings, kCores, "", ""},
    {Working, kSettings, kCpuSpeed, "", ""},
    {Working, kSettings, kCpuName, "", ""},
    {Working, kSettings, kSocket, "", ""},
    {Working, kSettings, kCpuMan, "", ""},
    {Working, kSettings, kCpuDescript, "", ""},
    {Working, kSettings, kStopRun, "", ""},
    {Working, kSettings, kTestTimeWarning1, "", ""},
    {Working, kSettings, kTestTimeWarning2, "", ""},
    {Working, kSettings, kOpenTest, "", ""},
    {Working, kSettings, kShowIt, "", ""},
    {Working, kSettings, kProgramPid, "", ""},
    // [Tester Function].
    {Working, kTesterFunction, kReadingBlock, "", ""},
    {Working, kTesterFunction, kMultiTaskReading, "", ""},
    {Working, kTesterFunction, kWritingBlock, "", ""},
    {Working, kTesterFunction, kMultiTaskWriting, "", ""},
    // [Hard Drive Test N]. "Run" and "Drive" are reset to "0" on their own (start-up writes them
    // first).
    {Working, kHardDriveTest1, kRun, "", ""},
    {Working, kHardDriveTest1, kDrive, "", ""},
    {Working, kHardDriveTest1, kBlocks, "", "X"},
    {Working, kHardDriveTest1, kType, "", "X"},
    {Working, kHardDriveTest1, kFileSize, "", "X"},
    {Working, kHardDriveTest1, kClusterSize, "", ""},
    {Working, kHardDriveTest1, kWritePasses, "", "X"},
    {Working, kHardDriveTest1, kMulti, "", "X"},
    {Working, kHardDriveTest1, kRead, "", "X"},
    {Working, kHardDriveTest1, kWrite, "", "X"},
    {Working, kHardDriveTest1, kTime, "", "X"},
    {Working, kHardDriveTest1, kFinished, "", ""},
    {Working, kHardDriveTest1, kTestFolder, "", ""},
    {Working, kHardDriveTest1, kDevice, "", ""},
    {Working, kHardDriveTest1, kError, "", ""},
    {Working, kHardDriveTest1, kPart, "", ""},
    {Working, kHardDriveTest1, kDone, "", ""},
};

constexpr std::size_t count_rows(bool (*pick)(const SettingsKeyRow&)) {
    std::size_t n = 0;
    for (const auto& row : kRows)
        if (pick(row)) ++n;
    return n;
}

// The rows `pick` selects, in table order.
template <std::size_t N>
constexpr std::array<SettingsKeyRow, N> select_rows(bool (*pick)(const SettingsKeyRow&)) {
    std::array<SettingsKeyRow, N> out{};
    std::size_t n = 0;
    for (const auto& row : kRows)
        if (pick(row)) out[n++] = row;
    return out;
}

constexpr bool has_preference_default(const SettingsKeyRow& row) {
    return !row.preference_default.empty();
}
constexpr bool reset_at_start(const SettingsKeyRow& row) {
    return !row.start_reset.empty();
}

}  // namespace settings_table

}  // namespace bw
