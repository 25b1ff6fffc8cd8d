#pragma once

// Whether deletes on a volume reach its device at once: the volume's `discard` mount option.
// This is the machine's delete-notification switch on Linux. Read from mountinfo, switched by a
// remount through the mount runner (so tests never touch the machine's mounts), and checked in
// mountinfo afterwards: a remount the kernel accepted but ignored is told, not taken as done.
// A system may also trim by fstrim's periodic timer, with every volume mounted `nodiscard`; that
// is reported beside the option, because putting the option back to "on" after a test would
// change such a system for good.

#include <string>
#include <string_view>

#include "platform/Mounts.h"
#include "platform/sysroot.h"

namespace bw {

// File systems and whether a remount switches discard. A file system not listed is not switched:
// the phases then run without switching, and the window says why.
struct DiscardRemountRule {
    std::string_view fstype;
    bool by_remount;
};
inline constexpr DiscardRemountRule kDiscardRemountRules[] = {
    {"ext4", true},  {"ext3", true},   {"btrfs", true}, {"f2fs", true},
    {"xfs", false},  {"vfat", false},  {"exfat", false}, {"ntfs3", false},
};

// The unit file whose link in timers.target.wants means the periodic trim is enabled.
inline constexpr std::string_view kFstrimTimerLinks[] = {
    "/etc/systemd/system/timers.target.wants/fstrim.timer",
    "/usr/lib/systemd/system/timers.target.wants/fstrim.timer",
    "/lib/systemd/system/timers.target.wants/fstrim.timer",
};

struct DiscardState {
    bool mounted = false;
    std::string fstype;
    bool discard = false;        // the mount's options hold "discard"
    bool timer_enabled = false;  // fstrim.timer is enabled: deletes are trimmed periodically
    bool by_remount = false;     // the file system switches discard by remount
    // "" when the switch can be used, else why not, for the window ("xfs changes discard only
    // when mounted again", "switching TRIM needs root").
    std::string cannot_switch;
};

// The option a state stands for: "discard" or "nodiscard".
inline std::string_view discard_option(bool on) { return on ? "discard" : "nodiscard"; }

class DiscardSwitch {
  public:
    DiscardSwitch(Sysroot root, MountRunner& runner);

    DiscardState read(std::string_view mount_point) const;
    // Remounts with discard on or off and reads mountinfo again to see it done. Ok without a call
    // when the option already is as asked.
    MountResult set(std::string_view mount_point, bool on);

  private:
    Sysroot root_;
    MountRunner& runner_;
};

}  // namespace bw
