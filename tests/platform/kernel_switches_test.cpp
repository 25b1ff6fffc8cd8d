// Kernel switches on a machine of files: what the checks refuse (names that climb, links out of
// /sys, switches that are not regular files) and what they let through.
#include "platform/KernelSwitches.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/counter_machine.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

class SwitchesOnFiles : public ::testing::Test {
  protected:
    SwitchesOnFiles() {
        m_.add_disk("sda", "8:0");
        m_.write("/sys/devices/virtual/block/sda/queue/read_ahead_kb", "128\n");
        // Links out of /sys: relative up and out, and absolute (which means the sysroot's /etc).
        m_.write("/etc/queue/iostats", "1\n");
        m_.link("/sys/block/up", "../../etc");
        m_.link("/sys/block/abs", "/etc");
        // A switch that is a folder, one that is a pipe, one that is a link to sda's.
        fs::create_directories(m_.at("/sys/devices/virtual/block/dir/queue/iostats"));
        m_.link("/sys/block/dir", "../devices/virtual/block/dir");
        fs::create_directories(m_.at("/sys/devices/virtual/block/fifo/queue"));
        ::mkfifo(m_.at("/sys/devices/virtual/block/fifo/queue/iostats").c_str(), 0600);
        m_.link("/sys/block/fifo", "../devices/virtual/block/fifo");
        m_.link("/sys/devices/virtual/block/alias/queue/iostats", "../../sda/queue/iostats");
        m_.link("/sys/block/alias", "../devices/virtual/block/alias");
        m_.write("/sys/class/scsi_host/host0/link_power_management_policy", "max_performance\n");
    }
    KernelSwitches switches() const { return KernelSwitches(m_.sysroot()); }
    std::string sda_iostats() const { return m_.iostats("sda"); }

    test::CounterMachine m_;
};

TEST_F(SwitchesOnFiles, PathsAreNamedByTheTable) {
    EXPECT_EQ(KernelSwitches::path_of(KernelSwitch::DiskStatistics, "sda"),
              "/sys/block/sda/queue/iostats");
    EXPECT_EQ(KernelSwitches::path_of(KernelSwitch::ReadAheadKb, "nvme0n1"),
              "/sys/block/nvme0n1/queue/read_ahead_kb");
    EXPECT_EQ(KernelSwitches::path_of(KernelSwitch::LinkPowerPolicy, "host0"),
              "/sys/class/scsi_host/host0/link_power_management_policy");
}

TEST_F(SwitchesOnFiles, SwitchesAreReadAndWrittenThroughTheirLinks) {
    const KernelSwitches s = switches();
    EXPECT_EQ(s.read(KernelSwitch::DiskStatistics, "sda").value, "1");
    EXPECT_TRUE(s.write(KernelSwitch::DiskStatistics, "sda", "0").ok);
    EXPECT_EQ(sda_iostats(), "0\n");
    EXPECT_TRUE(s.write(KernelSwitch::ReadAheadKb, "sda", "4096").ok);
    EXPECT_EQ(s.read(KernelSwitch::ReadAheadKb, "sda").value, "4096");
    EXPECT_EQ(s.read(KernelSwitch::LinkPowerPolicy, "host0").value, "max_performance");
    // A link that stays within /sys is followed like the kernel's own.
    EXPECT_TRUE(s.write(KernelSwitch::DiskStatistics, "alias", "1").ok);
    EXPECT_EQ(sda_iostats(), "1\n");
}

TEST_F(SwitchesOnFiles, RefusedSwitchesAreNeitherReadNorWritten) {
    struct Case {
        const char* object;
        const char* error;
    };
    const Case kCases[] = {
        {"", "\"\" is not a device name"},
        {"..", "\"..\" is not a device name"},
        {"../../etc", "\"../../etc\" is not a device name"},
        {"sdz", "/sys/block/sdz/queue/iostats does not exist"},
        {"up", "/sys/block/up/queue/iostats leads out of /sys"},
        {"abs", "/sys/block/abs/queue/iostats leads out of /sys"},
        {"dir", "/sys/block/dir/queue/iostats is not a regular file"},
        {"fifo", "/sys/block/fifo/queue/iostats is not a regular file"},
    };
    const KernelSwitches s = switches();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.object);
        const SwitchResult w = s.write(KernelSwitch::DiskStatistics, c.object, "0");
        EXPECT_FALSE(w.ok);
        EXPECT_EQ(w.error, c.error);
        const SwitchResult r = s.read(KernelSwitch::DiskStatistics, c.object);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
    }
    EXPECT_EQ(test::read_file(m_.at("/etc/queue/iostats")), "1\n");
}

}  // namespace
}  // namespace bw
