#pragma once

// Whether a volume may be taken off-line for its check. A repair never runs on a mounted
// filesystem: a volume that is not "/", is mounted at one place only and that no process holds is
// unmounted for it (after asking) and mounted again as it was; any other runs a read-only check,
// with the reason shown.

#include <string>
#include <vector>

#include "drives/VolumeMap.h"
#include "platform/CheckerHost.h"
#include "tools/ChkDskCheckers.h"

namespace bw {

struct VolumeAccess {
    enum class Way {
        Mounted,  // read-only check while it stays mounted
        Unmount,  // ask, unmount, check (or repair), mount again
        NotRun,   // its checker cannot check it while mounted, and it cannot be unmounted
    };
    Way way = Way::Mounted;
    bool repair = false;               // the repair runs
    std::vector<std::string> reasons;  // why less than asked is done (lines without "\n")
};

// `mount_points`: every place the volume's filesystem is mounted; `users`: the processes that hold
// it. `repair_asked`: the window's "Repair".
VolumeAccess DecideAccess(const Volume& volume, const CheckerDef& checker, bool repair_asked,
                          const std::vector<std::string>& mount_points,
                          const std::vector<VolumeUser>& users);

// The question asked before unmounting.
std::string UnmountQuestion(const Volume& volume, bool repair);
inline constexpr std::string_view kChkDskTitle = "Scan Disk/Repair";

// How to have the volume that holds "/" checked: it is never unmounted while the system runs.
inline constexpr std::string_view kRootAtNextBoot =
    "To have it checked and repaired at the next boot, start the system once with "
    "fsck.mode=force fsck.repair=yes added to the kernel command line (press e at the boot menu "
    "to add it).";

}  // namespace bw
