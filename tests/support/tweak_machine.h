#pragma once

// A SATA desktop made of files for the tweaks page: three disks with their read-ahead, two SATA
// hosts, the dirty-page limit, mounts and an installed desktop indexer; remounts are recorded,
// never made.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Mounts.h"
#include "support/recording_mount_runner.h"
#include "platform/TweakSettings.h"
#include "support/counter_machine.h"

namespace bw::test {

inline constexpr const char* kTweakMountinfo =
    "20 1 0:22 / /proc rw,relatime - proc proc rw\n"
    "21 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw,errors=remount-ro\n"
    "22 21 8:17 / /home rw,noatime - ext4 /dev/sdb1 rw\n"
    "23 21 8:18 / /srv rw,nosuid,nodev - xfs /dev/sdb2 rw\n"  // strictatime: mountinfo names no atime option
    "24 21 7:0 / /snap/core ro,nodev,relatime - squashfs /dev/loop0 ro\n"
    "25 21 0:30 / /tmp rw,nosuid - tmpfs tmpfs rw\n"
    "26 1 0:5 / /dev/hugepages rw,relatime - hugetlbfs /dev/x rw\n";

inline std::string host_policy(const CounterMachine& m, const std::string& host) {
    return read_file(m.at("/sys/class/scsi_host/" + host + "/link_power_management_policy"));
}

// A SATA desktop of files: three disks, two hosts, the dirty limit, mounts and an indexer.
struct TweakFiles {
    TweakFiles() {
        for (const char* disk : {"sda", "sdb", "sdc"}) m_.add_disk(disk, "8:0");
        read_ahead("sda", "128");
        read_ahead("sdb", "128");
        read_ahead("sdc", "4096");
        m_.write("/sys/class/scsi_host/host0/link_power_management_policy", "max_performance\n");
        m_.write("/sys/class/scsi_host/host1/link_power_management_policy", "max_performance\n");
        m_.write("/proc/sys/vm/dirty_ratio", "20\n");
        m_.write("/proc/sys/vm/dirty_bytes", "0\n");
        m_.write("/proc/self/mountinfo", kTweakMountinfo);
        m_.write("/usr/lib/systemd/user/tracker-miner-fs-3.service", "[Unit]\n");
        std::filesystem::create_directories(m_.at("/etc/systemd"));
    }
    void read_ahead(const std::string& disk, const std::string& kb) {
        m_.write("/sys/devices/virtual/block/" + disk + "/queue/read_ahead_kb", kb + "\n");
    }
    std::string read_ahead_of(const std::string& disk) const {
        return read_file(m_.at("/sys/devices/virtual/block/" + disk + "/queue/read_ahead_kb"));
    }
    TweakMachine machine() { return TweakMachine{m_.sysroot(), &runner_, {}, {}}; }
    std::unique_ptr<TweakAdapter> adapter(LinuxTweak which) {
        return make_tweak_adapter(which, machine());
    }

    CounterMachine m_;
    RecordingMountRunner runner_;
};

}  // namespace bw::test
