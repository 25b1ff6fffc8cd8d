#pragma once

// The rows of the tweaks page as data: captions, the registry values each row writes, the Linux
// setting that does the same job (none: the value is only kept in the registry store), the
// recommendation for each drive mix and the help text.
//
// Recommendations, and why:
// - Writes that only cost (clearing the page file, 8.3 names, boot tracing): off everywhere.
// - Last-access stamping off (noatime): everywhere; it saves a write per read on a solid-state
//   drive and a seek per read on a hard drive, and nothing on a desktop needs the access time.
// - A large dirty-page limit, more file-system memory and the indexer: on where hard drives are,
//   off where only solid-state drives are. A hard drive gains from writes gathered and merged and
//   from a search that does not have to seek through every folder; a solid-state drive writes fast
//   anyway, and the indexer only adds writes to it.
// - Link power management: on where the system boots from a solid-state drive (wake-up costs it
//   little and laptops are where such drives are), off where it boots from a hard drive, whose
//   requests would wait for the link to wake.
// - Read-ahead: the kernel's default for solid-state boot drives, the deepest item for hard drive
//   boots (long reads on a spinning disk gain the most); superfetch off on solid-state drives.
// A mixed machine is judged by the drive it boots from: that drive carries the system's writes.
// Saving the link power rows opened the power plan editor on the old platform, for the user to
// finish the job there. Linux needs no such step: the policy is written to the SATA hosts directly
// and the row shows what each host now has, so the save opens nothing.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/TweakSettings.h"

namespace bw {

enum class DriveMix { SsdOnly, HardDriveOnly, MixBootSsd, MixBootHardDrive };
inline constexpr std::size_t kDriveMixCount = 4;

struct DriveMixText {
    DriveMix mix;
    std::string_view text;  // `Label2`
};
inline constexpr DriveMixText kDriveMixTexts[] = {
    {DriveMix::SsdOnly, "SSD Only"},
    {DriveMix::HardDriveOnly, "Hard Drive Only"},
    {DriveMix::MixBootSsd, "SSD and Hard Drive MIX - Boot SSD"},
    {DriveMix::MixBootHardDrive, "SSD and Hard Drive MIX - Boot Hard Drive"},
};

inline constexpr std::string_view kFrmTweaksCaption = "Tweaks";
inline constexpr std::string_view kFrmTweaksHeading = "Tweaks for SSD and Hard Drive";
inline constexpr std::string_view kPrefetchHeading = "Prefect";
inline constexpr std::string_view kSuperfetchHeading = "Super Prefect";
inline constexpr std::string_view kLabel5 = "For Laptops/ to GO GREEN/or SSD";
inline constexpr std::string_view kSaveCaption = "Save";
inline constexpr std::string_view kCancelCaption = "Cancel";
inline constexpr std::string_view kRestoreCaption = "Restore";
inline constexpr std::string_view kChecked = "Checked";
inline constexpr std::string_view kUnchecked = "Unchecked";
inline constexpr std::string_view kDisable = "Disable";
inline constexpr std::string_view kNoEffectOnLinux = "no effect on Linux";

// One registry value a row writes, with the numbers for a checked and an unchecked box.
struct TweakValue {
    std::string_view key, name;
    std::uint32_t checked = 0, unchecked = 0;
};

struct TweakRow {
    int index;  // `OptionT(index)`, `Recmd(index)`
    std::string_view caption;
    std::array<TweakValue, 2> values;  // the second has an empty name when the row writes one
    // A number besides `checked` that also reads as checked (the indexer's manual start, 3).
    std::optional<std::uint32_t> also_checked;
    std::optional<LinuxTweak> linux_setting;
    std::array<std::string_view, kDriveMixCount> recommended;  // in DriveMix order
    std::string_view help;
};

inline constexpr std::string_view kMemoryManagement =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
inline constexpr std::string_view kFileSystem = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";
inline constexpr std::string_view kPrefetchParameters =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";

inline constexpr TweakRow kTweakRows[] = {
    {0,
     "Enable Clear Pagefile at Shutdown",
     {{{kMemoryManagement, "ClearPageFileAtShutdown", 1, 0}}},
     std::nullopt,
     std::nullopt,
     {kUnchecked, kUnchecked, kUnchecked, kUnchecked},
     "ClearPageFileAtShutdown overwrote the page file with zeros at every shutdown, so that "
     "nothing left in it could be read later. Shutdown takes longer, and a solid-state drive gets "
     "a whole page file of writes each time. Linux swap is not cleared this way: no effect on "
     "Linux (the choice is only kept in the program's registry store)."},
    {1,
     "Enable Large File Cahce",
     {{{kMemoryManagement, "LargeSystemCache", 1, 0}}},
     std::nullopt,
     LinuxTweak::DirtyPages,
     {kUnchecked, kChecked, kUnchecked, kChecked},
     "LargeSystemCache let the file cache grow at the cost of the programs' memory. Linux gives "
     "the cache all free memory anyway; what this box changes is how much of it may hold data not "
     "yet written (vm.dirty_ratio): checked 40 % of memory, so writes are gathered and merged "
     "longer; unchecked the kernel's 20 %. Lasts until the machine restarts."},
    {2,
     "Increase  NTFS Memory Usage",
     {{{"SYSTEM\\CurrentControlSet\\Control\\FileSystem\\Memory Management", "NtfsMemoryUsage", 2,
        1}}},
     std::nullopt,
     std::nullopt,
     {kUnchecked, kChecked, kChecked, kChecked},
     "NtfsMemoryUsage 2 gave the NTFS file system more memory for its file records and folders; 1 "
     "is the normal amount (unchecked writes 1, never 0). Linux sizes its file-system caches "
     "itself: no effect on Linux (the choice is only kept in the program's registry store)."},
    {3,
     "Enable 8.3 Name 16 Bit Programs",
     {{{kFileSystem, "NtfsDisable8dot3NameCreation", 1, 0}}},
     std::nullopt,
     std::nullopt,
     {kUnchecked, kUnchecked, kUnchecked, kUnchecked},
     "Checked writes NtfsDisable8dot3NameCreation = 1 (the value names the feature's switching "
     "off). The short 8.3 names were made for old 16-bit programs, one more folder write for every "
     "new file. Linux file systems make no short names: no effect on Linux (the choice is only "
     "kept in the program's registry store)."},
    {4,
     "Enable File Date Stamping",
     {{{kFileSystem, "NtfsDisableLastAccessUpdate", 1, 0}}},
     std::nullopt,
     LinuxTweak::LastAccess,
     {kChecked, kChecked, kChecked, kChecked},
     "Checked writes NtfsDisableLastAccessUpdate = 1, which switches last-access stamping OFF (the "
     "value names the switching off): reading a file no longer writes its access time. On Linux "
     "checked remounts every read-write disk volume noatime; unchecked puts volumes that have "
     "noatime back on relatime (the access time written at most once a day). Lasts until the "
     "volume is mounted again: /etc/fstab decides what the next boot does."},
    {5,
     "Enable Boot Tracing",
     {{{kPrefetchParameters, "EnableBootTrace", 1, 0}}},
     std::nullopt,
     std::nullopt,
     {kUnchecked, kUnchecked, kUnchecked, kUnchecked},
     "EnableBootTrace kept a log of what drivers and applications were loaded at start up. "
     "systemd keeps that record on Linux anyway (systemd-analyze blame): no effect on Linux (the "
     "choice is only kept in the program's registry store)."},
    {6,
     "Enable Indexing Service",
     {{{"\\SYSTEM\\CurrentControlSet\\Services\\cisvc", "Start", 2, 4}}},
     3,
     LinuxTweak::FileIndexer,
     {kDisable, kChecked, kDisable, kChecked},
     "The indexing service reads every file in the background to build a search index: a hard "
     "drive stays busy meanwhile, a solid-state drive gets more writes. On Linux this is the "
     "desktop's file indexer (Tracker on GNOME, Baloo on KDE): unchecked masks it for every user "
     "(start type 4, disabled), checked lets it start again (2, automatic). Sessions already "
     "running keep their indexer until they end. With no indexer installed: no effect."},
    {7,
     "Enable Device Initiated Power Management (DIPM)",
     {{{"SYSTEM\\CurrentControlSet\\Control\\Power\\PowerSettings\\0012ee47-9041-4b5d-9b77-"
        "535fba8b1442\\0b2d69d7-a2a1-449c-9680-f91c70521c60",
        "Attributes", 2, 1},
       {"CurrentControlSet\\Services\\msahci\\Controller0", "DipmEnabled", 1, 0}}},
     std::nullopt,
     LinuxTweak::DeviceLinkPower,
     {kChecked, kUnchecked, kChecked, kUnchecked},
     "Device initiated power management lets the drive put its SATA link to sleep when it has "
     "nothing to do. Saves power on laptops; the first request after a pause waits for the link "
     "to wake. On Linux: the SATA hosts' link power policy med_power_with_dipm. The kernel offers "
     "it only together with host initiated power management, so checking this turns that on too. "
     "Lasts until the machine restarts."},
    {8,
     "Enable Host Initiated Power Management (HIPM)",
     {{{"SYSTEM\\CurrentControlSet\\Control\\Power\\PowerSettings\\0012ee47-9041-4b5d-9b77-"
        "535fba8b1442\\dab60367-53fe-4fbc-825e-521d069d2456",
        "Attributes", 2, 1}}},
     std::nullopt,
     LinuxTweak::HostLinkPower,
     {kChecked, kUnchecked, kChecked, kUnchecked},
     "Host initiated power management lets the disk controller put the SATA link to sleep when no "
     "request is waiting. Saves power on laptops, adds a little delay on wake-up. On Linux: the "
     "SATA hosts' link power policy medium_power when checked, max_performance when unchecked "
     "(which also ends device initiated power management). Lasts until the machine restarts; "
     "power tools such as TLP may set it again."},
};

inline constexpr std::string_view kListItems[] = {
    "Disabled",
    "Application Launch Prefetching Enabled",
    "Boot Prefetching Enabled",
    "Applaunch and Boot Enabled",
};

struct TweakList {
    std::string_view control;  // `Combo1`, `Combo2`
    std::string_view heading;
    TweakValue value;  // the list item's number is written
    std::optional<LinuxTweak> linux_setting;
    std::array<std::uint32_t, kDriveMixCount> recommended;  // list items, in DriveMix order
    std::string_view help;
};

inline constexpr TweakList kTweakLists[] = {
    {"Combo1",
     kPrefetchHeading,
     {kPrefetchParameters, "EnablePrefetcher", 0, 0},
     LinuxTweak::ReadAhead,
     {1, 3, 1, 3},
     "The prefetcher read ahead what programs and the start-up were going to ask for. On Linux the "
     "nearest setting is every disk's read-ahead (queue/read_ahead_kb): \"Disabled\" 0 KB, "
     "\"Application Launch Prefetching Enabled\" 128 KB (the kernel's default), \"Boot Prefetching "
     "Enabled\" 256 KB, \"Applaunch and Boot Enabled\" 512 KB. Long reads on a hard drive gain "
     "from more; a solid-state drive needs little. Lasts until the machine restarts."},
    {"Combo2",
     kSuperfetchHeading,
     {kPrefetchParameters, "EnableSuperfetch", 0, 0},
     std::nullopt,
     {0, 3, 0, 3},
     "Superfetch filled idle memory with the programs used most. Linux has no such service (its "
     "page cache keeps what was read): no effect on Linux. The list stays empty while the "
     "program's registry store holds no value for it."},
};

}  // namespace bw
