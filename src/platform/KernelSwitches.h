#pragma once

// The kernel's switches in sysfs: a disk's statistics (queue/iostats), its read-ahead
// (queue/read_ahead_kb), a SATA link's power policy. Read and written through the sysroot, and
// checked first, because the program runs as root: the path stays beneath the sysroot's /sys
// after every link is followed, and the switch is a regular file, not a link or a folder.

#include <string>
#include <string_view>

#include "platform/sysroot.h"

namespace bw {

enum class KernelSwitch { DiskStatistics, ReadAheadKb, LinkPowerPolicy, VmSetting };

struct KernelSwitchDef {
    KernelSwitch which;
    std::string_view folder;  // the object's folder ("/sys/block/" + disk name)
    std::string_view file;    // the switch within it
    std::string_view what;    // told in messages: "switching disk statistics needs root"
};
inline constexpr KernelSwitchDef kKernelSwitches[] = {
    {KernelSwitch::DiskStatistics, "/sys/block/", "/queue/iostats", "disk statistics"},
    {KernelSwitch::ReadAheadKb, "/sys/block/", "/queue/read_ahead_kb", "read-ahead"},
    {KernelSwitch::LinkPowerPolicy, "/sys/class/scsi_host/", "/link_power_management_policy",
     "link power management"},
    // The object is the setting's own name ("dirty_ratio").
    {KernelSwitch::VmSetting, "/proc/sys/vm/", "", "the page cache's limits"},
};

struct SwitchResult {
    bool ok = false;
    std::string value;  // what a read found (first line, without the line end)
    std::string error;  // why it failed or was refused
};

class KernelSwitches {
  public:
    explicit KernelSwitches(Sysroot root);

    // "/sys/block/sda/queue/iostats" for (DiskStatistics, "sda").
    static std::string path_of(KernelSwitch which, std::string_view object);

    SwitchResult read(KernelSwitch which, std::string_view object) const;
    // Writes `value` and a line end.
    SwitchResult write(KernelSwitch which, std::string_view object, std::string_view value) const;

  private:
    SwitchResult access(KernelSwitch which, std::string_view object,
                        const std::string* value) const;

    Sysroot root_;
};

}  // namespace bw
