#pragma once

// Which kernel block devices stand behind the PhysicalDisk and LogicalDisk instances. The drive
// inventory knows this best (disk numbers, letters kept stable by UUID) and fills the map; until it
// does, DefaultCounterDiskMap builds a plain one from the sysroot.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

struct CounterDisk {
    int index = 0;            // physical-disk number
    std::string kernel_name;  // "sda", "nvme0n1", "loop3"
    std::string letters;      // letters of the volumes on it, in order: "CD"
};

struct CounterVolume {
    char letter = 'C';
    std::string kernel_name;            // the volume's own device: "sda1", "dm-0", "loop3"
    std::filesystem::path mount_point;  // where statvfs looks for free space
};

struct CounterDiskMap {
    std::vector<CounterDisk> disks;      // PhysicalDisk instances, in index order
    std::vector<CounterVolume> volumes;  // LogicalDisk instances, in letter order
};

// "0 C: D:" (a disk without letters is just "0").
std::string PhysicalInstanceName(const CounterDisk& disk);
// "C:".
std::string LogicalInstanceName(const CounterVolume& volume);

// Whole disks of /sys/block in natural name order (sda, sdb, ..., sdz, sdaa; loop2 before
// loop10), without partitions, dm/md volumes, hidden disks and empty devices (unbound loops, unset
// zram);
// "/" gets C:, the other mounted block devices D: to Z: in mount-point order.
CounterDiskMap DefaultCounterDiskMap(const Sysroot& root);

// Natural order of kernel disk names.
bool DiskNameLess(const std::string& a, const std::string& b);

// Whole disks that hold a device: itself, a partition's parent, the slaves of dm/md.
std::vector<std::string> BackingDisks(const Sysroot& root, const std::string& kernel_name);

}  // namespace bw
