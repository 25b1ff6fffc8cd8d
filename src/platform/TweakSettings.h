#pragma once

// The Linux settings behind the tweaks page. Each one does the job of a registry value of the
// page on the running system: last-access stamping is the volumes' atime mount option, link power
// management the SATA hosts' policy, prefetch the disks' read-ahead, the large file cache the
// kernel's dirty-page limit, the indexing service the desktop's file indexer. Every adapter reads
// and writes through a sysroot and a mount runner, so tests work on a tree of files and a runner
// that records, and never change the machine they run on.
//
// An adapter speaks in levels, not registry numbers: 1/0 for a switch (the page's box checked or
// not), 0..3 for the prefetch list. The page's table turns levels into the registry numbers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Mounts.h"
#include "platform/sysroot.h"

namespace bw {

enum class LinuxTweak {
    LastAccess,
    DeviceLinkPower,
    HostLinkPower,
    ReadAhead,
    DirtyPages,
    FileIndexer
};

struct LinuxTweakDef {
    LinuxTweak which;
    std::string_view name;     // short name in the CLI's JSON
    std::string_view setting;  // the Linux setting, as the README and the help texts name it
};
inline constexpr LinuxTweakDef kLinuxTweaks[] = {
    {LinuxTweak::LastAccess, "last-access",
     "atime mount option of every mounted read-write disk volume: 1 = noatime, 0 = relatime"},
    {LinuxTweak::DeviceLinkPower, "device-link-power",
     "/sys/class/scsi_host/host*/link_power_management_policy: the device-initiated part "
     "(med_power_with_dipm)"},
    {LinuxTweak::HostLinkPower, "host-link-power",
     "/sys/class/scsi_host/host*/link_power_management_policy: the host-initiated part "
     "(medium_power)"},
    {LinuxTweak::ReadAhead, "read-ahead",
     "/sys/block/*/queue/read_ahead_kb: 0, 128, 256 or 512 KB for the four list items"},
    {LinuxTweak::DirtyPages, "dirty-pages",
     "/proc/sys/vm/dirty_ratio: 40 % of memory may wait to be written (1) or the kernel's 20 % "
     "(0)"},
    {LinuxTweak::FileIndexer, "file-indexer",
     "the desktop's file indexer (tracker-miner-fs-3, tracker-miner-fs, kde-baloo user services): "
     "masked in /etc/systemd/user when off"},
};
const LinuxTweakDef& linux_tweak(LinuxTweak which);

// What an adapter found on the machine.
struct TweakReading {
    std::optional<std::uint32_t> level;  // nullopt: the setting is not there on this machine
    std::string shown;                   // per object: "/ relatime, /home noatime"; or why absent
};

// One object written, or refused.
struct TweakChange {
    std::string object;  // "/home", "host0", "sda", "dirty_ratio", "tracker-miner-fs-3.service"
    bool ok = false;
    std::string message;  // "128 -> 512", or why the system refused
};

// The raw state of every object, as found: read-ahead in KB, a policy name, an atime option.
struct TweakSaved {
    std::string object, value;
    bool operator==(const TweakSaved&) const = default;
};
using TweakSnapshot = std::vector<TweakSaved>;

class TweakAdapter {
  public:
    virtual ~TweakAdapter() = default;
    virtual TweakReading read() const = 0;
    // Brings every object to what `level` stands for. Objects already there are left as they are
    // (a read-ahead of 4096 KB already means "on"), so a save changes only what the user changed.
    virtual std::vector<TweakChange> write(std::uint32_t level) = 0;
    virtual TweakSnapshot capture() const = 0;
    // Puts every object back to its captured raw value, where it differs now.
    virtual std::vector<TweakChange> put_back(const TweakSnapshot& saved) = 0;
};

struct TweakMachine {
    Sysroot root{"/"};
    MountRunner* runner = nullptr;   // remounts for last-access stamping
    std::vector<std::string> disks;  // disks whose read-ahead is set; empty: every disk
    std::vector<std::string> volumes;  // mount points whose atime is set; empty: every one
};

std::unique_ptr<TweakAdapter> make_tweak_adapter(LinuxTweak which, const TweakMachine& machine);

// "" when this process may change the system's settings; else one line that says it may not.
std::string tweak_rights_note();

}  // namespace bw
