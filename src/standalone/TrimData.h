#pragma once

// The checks of `frmData`: whether the machine's disks can be trimmed at all (a SATA controller in
// AHCI mode, or an NVMe drive), and switching TRIM on for a volume through the console runner.

#include <string>

#include "platform/Mounts.h"
#include "platform/SystemQuery.h"

namespace bw {

// 1 when a controller runs AHCI or a disk is NVMe (NVMe needs no AHCI to trim), else 0.
int CheckTRIM(const SystemQuery& query);

struct SetTrimResult {
    std::string DosBOX;  // what the command printed
    int success = 0;     // 1 when the mount's options show "discard" afterwards
};

// The console command that remounts `mount_point` with discard, quoted for the runner.
std::string SetTrimCommand(const std::string& mount_point);

// Runs SetTrimCommand through the console runner, then reads the mount again through `mounts`.
SetTrimResult SetTRIM(const std::string& mount_point, const Mounts& mounts);

// The process-wide flags the checks set.
int& ahci_flag();
int& trim_set_flag();

}  // namespace bw
