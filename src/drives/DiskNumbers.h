#pragma once

// Physical disk numbers ("[PD n" of a drive entry, the counter instances, the "Drive<n>" keys,
// the baseline keys) that stay with a disk across starts. Real disks are numbered first, then
// removable ones, then loop, zram and other virtual ones, so a loop device set up between two
// starts moves no other disk; a number once given is remembered by the disk's identity in the
// preferences file, as drive letters are.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemQuery.h"

namespace bw {

// Preferences section of the remembered numbers: key = number, value = disk identity.
inline constexpr std::string_view kDiskNumberSection = "Disk Numbers";

enum class DiskGroup { Real = 0, Removable = 1, Virtual = 2 };
DiskGroup disk_group(const DiskInfo& disk);

using RememberedNumbers = std::map<std::string, int>;  // identity -> number
struct NumberToRemember {
    int number;
    std::string identity;
    bool operator==(const NumberToRemember&) const = default;
};

// Gives every disk its number: a remembered one when no other disk holds it, else the lowest
// number free of present disks and of remembered absent ones (while such a number below the
// decoder's 26 slots is left), groups in their order. Sorts the disks by number and returns the
// numbers new or changed since the earlier runs.
std::vector<NumberToRemember> AssignDiskNumbers(std::vector<DiskInfo>& disks,
                                                const RememberedNumbers& remembered);

// The numbers remembered in the preferences file, and remembering new ones there. Entries that
// are not a number (a hostile or damaged file) are ignored.
RememberedNumbers ReadRememberedNumbers(const std::filesystem::path& prefs);
void RememberNumbers(const std::filesystem::path& prefs,
                     const std::vector<NumberToRemember>& numbers);

// The machine's disks with their lasting numbers, in number order. `prefs` empty: nothing is
// remembered (a fixture, a read-only look); the numbers then follow the groups alone.
std::vector<DiskInfo> NumberedDisks(const SystemQuery& query, const std::filesystem::path& prefs);

}  // namespace bw
