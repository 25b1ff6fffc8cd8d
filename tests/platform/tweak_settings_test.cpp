// The Linux settings behind the tweaks page, on a machine of files with a runner that records
// remounts: what each adapter reads, what it writes (and leaves alone), what it reports when the
// system refuses, and that putting back what was captured gives the files as they were.
#include "platform/TweakSettings.h"

#include <sys/mount.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/scratch_device.h"
#include "support/tweak_machine.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

using test::TweakFiles;
class TweakMachineFiles : public ::testing::Test, public TweakFiles {};

// Makes a file refuse writes, even root's, for the scope (chattr +i; needs root and a filesystem
// that keeps the flag).
struct Immutable {
    explicit Immutable(fs::path p) : path(std::move(p)) {
        ok = test::run_shell("chattr +i '" + path.string() + "' 2>/dev/null") == 0;
    }
    ~Immutable() {
        if (ok) test::run_shell("chattr -i '" + path.string() + "'");
    }
    fs::path path;
    bool ok = false;
};

TEST_F(TweakMachineFiles, EachAdapterReadsTheLevelItsSettingStandsFor) {
    struct Case {
        const char* what;
        std::function<void(test::CounterMachine&)> lay;
        LinuxTweak which;
        std::optional<std::uint32_t> level;
        const char* shown;  // a part of what the reading shows
    };
    const Case kCases[] = {
        {"one volume still stamps", {}, LinuxTweak::LastAccess, 0u, "/ relatime"},
        {"every read-write volume noatime (ro and tmpfs do not count)",
         [](auto& m) {
             m.write("/proc/self/mountinfo",
                     "21 1 8:1 / / rw,noatime - ext4 /dev/sda1 rw\n"
                     "24 21 7:0 / /snap/core ro,relatime - squashfs /dev/loop0 ro\n"
                     "25 21 0:30 / /tmp rw - tmpfs tmpfs rw\n");
         },
         LinuxTweak::LastAccess, 1u, "/ noatime"},
        {"no disk volume at all", [](auto& m) { m.write("/proc/self/mountinfo", ""); },
         LinuxTweak::LastAccess, std::nullopt, "no read-write disk volume"},
        {"read-ahead: most disks at the default", {}, LinuxTweak::ReadAhead, 1u, "sdc 4096 KB"},
        {"read-ahead: 129 KB is past the default",
         [](auto& m) {
             for (const char* d : {"sda", "sdb"})
                 m.write(std::string("/sys/devices/virtual/block/") + d + "/queue/read_ahead_kb",
                         "129\n");
         },
         LinuxTweak::ReadAhead, 2u, "sda 129 KB"},
        {"no link power management", {}, LinuxTweak::HostLinkPower, 0u, "host0 max_performance"},
        {"any host saving power counts",
         [](auto& m) {
             m.write("/sys/class/scsi_host/host1/link_power_management_policy", "medium_power\n");
         },
         LinuxTweak::HostLinkPower, 1u, "host1 medium_power"},
        {"medium_power has no device-initiated part",
         [](auto& m) {
             m.write("/sys/class/scsi_host/host1/link_power_management_policy", "medium_power\n");
         },
         LinuxTweak::DeviceLinkPower, 0u, ""},
        {"min_power has both parts",
         [](auto& m) {
             m.write("/sys/class/scsi_host/host0/link_power_management_policy", "min_power\n");
         },
         LinuxTweak::DeviceLinkPower, 1u, ""},
        {"the firmware's own policy is nothing the kernel switched on",
         [](auto& m) {
             for (const char* h : {"host0", "host1"})
                 m.write(std::string("/sys/class/scsi_host/") + h + "/link_power_management_policy",
                         "keep_firmware_settings\n");
         },
         LinuxTweak::HostLinkPower, 0u, "host0 keep_firmware_settings"},
        {"no SATA host", [](auto& m) { m.remove("/sys/class/scsi_host"); },
         LinuxTweak::HostLinkPower, std::nullopt, "no SATA host"},
        {"kernel default dirty limit", {}, LinuxTweak::DirtyPages, 0u, "dirty_ratio 20"},
        {"raised dirty limit", [](auto& m) { m.write("/proc/sys/vm/dirty_ratio", "40\n"); },
         LinuxTweak::DirtyPages, 1u, "dirty_ratio 40"},
        {"a limit in bytes is no large cache",
         [](auto& m) {
             m.write("/proc/sys/vm/dirty_ratio", "0\n");
             m.write("/proc/sys/vm/dirty_bytes", "200000000\n");
         },
         LinuxTweak::DirtyPages, 0u, "dirty_bytes 200000000"},
        {"indexer installed and free to start",
         {},
         LinuxTweak::FileIndexer,
         1u,
         "tracker-miner-fs-3.service enabled"},
        {"indexer masked",
         [](auto& m) { m.link("/etc/systemd/user/tracker-miner-fs-3.service", "/dev/null"); },
         LinuxTweak::FileIndexer, 0u, "masked"},
        {"no indexer installed", [](auto& m) { m.remove("/usr/lib/systemd"); },
         LinuxTweak::FileIndexer, std::nullopt, "no desktop file indexer"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        TweakFiles fresh;
        if (c.lay) c.lay(fresh.m_);
        const TweakReading r = fresh.adapter(c.which)->read();
        EXPECT_EQ(r.level, c.level);
        EXPECT_NE(r.shown.find(c.shown), std::string::npos) << r.shown;
    }
}

TEST_F(TweakMachineFiles, ReadAheadWritesTheItemsDepthAndLeavesDisksAlreadyThere) {
    auto a = adapter(LinuxTweak::ReadAhead);
    auto changes = a->write(3);
    ASSERT_EQ(changes.size(), 2u);  // sdc's 4096 KB already is the last item
    EXPECT_EQ(read_ahead_of("sda"), "512\n");
    EXPECT_EQ(read_ahead_of("sdc"), "4096\n");
    EXPECT_EQ(changes[0].message, "128 -> 512 KB");
    a->write(0);
    for (const char* d : {"sda", "sdb", "sdc"}) EXPECT_EQ(read_ahead_of(d), "0\n") << d;
    EXPECT_FALSE(a->write(4).front().ok);  // no such item
}

TEST_F(TweakMachineFiles, ReadAheadTouchesOnlyTheDisksItIsGiven) {
    auto a =
        make_tweak_adapter(LinuxTweak::ReadAhead, TweakMachine{m_.sysroot(), &runner_, {"sdb"}, {}});
    a->write(0);
    EXPECT_EQ(read_ahead_of("sda"), "128\n");
    EXPECT_EQ(read_ahead_of("sdb"), "0\n");
}

TEST_F(TweakMachineFiles, LinkPowerPolicyIsThePairOfBothRows) {
    struct Case {
        const char* before;
        LinuxTweak row;
        std::uint32_t level;
        const char* after;
        const char* note;  // a part of the change's message
    };
    const Case kCases[] = {
        {"max_performance", LinuxTweak::HostLinkPower, 1, "medium_power",
         "max_performance -> medium_power"},
        {"medium_power", LinuxTweak::DeviceLinkPower, 1, "med_power_with_dipm", ""},
        {"med_power_with_dipm", LinuxTweak::DeviceLinkPower, 0, "medium_power", ""},
        {"min_power", LinuxTweak::HostLinkPower, 0, "max_performance",
         "device-initiated turned off"},
        {"max_performance", LinuxTweak::DeviceLinkPower, 1, "med_power_with_dipm",
         "host-initiated turned on"},
        {"keep_firmware_settings", LinuxTweak::HostLinkPower, 1, "medium_power", ""},
        {"keep_firmware_settings", LinuxTweak::HostLinkPower, 0, "max_performance", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.before) + " " + linux_tweak(c.row).name.data());
        m_.remove("/sys/class/scsi_host/host1");
        m_.write("/sys/class/scsi_host/host0/link_power_management_policy",
                 std::string(c.before) + "\n");
        const auto changes = adapter(c.row)->write(c.level);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_TRUE(changes[0].ok);
        EXPECT_NE(changes[0].message.find(c.note), std::string::npos) << changes[0].message;
        EXPECT_EQ(test::host_policy(m_, "host0"), std::string(c.after) + "\n");
    }
    // A host already where the level puts it is not written.
    EXPECT_TRUE(adapter(LinuxTweak::HostLinkPower)->write(0).empty());
}

TEST_F(TweakMachineFiles, DirtyLimitIsRaisedOrBroughtBackToTheKernelsDefaultOnlyWhenItDiffers) {
    struct Case {
        const char* ratio;
        std::uint32_t level;
        const char* after;
        bool written;
    };
    const Case kCases[] = {
        {"20", 1, "40\n", true},  {"30", 1, "30\n", false}, {"40", 0, "20\n", true},
        {"10", 0, "10\n", false}, {"0", 0, "0\n", false},  // a limit in bytes is left alone
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.ratio);
        m_.write("/proc/sys/vm/dirty_ratio", std::string(c.ratio) + "\n");
        EXPECT_EQ(adapter(LinuxTweak::DirtyPages)->write(c.level).size(), c.written ? 1u : 0u);
        EXPECT_EQ(test::read_file(m_.at("/proc/sys/vm/dirty_ratio")), c.after);
    }
}

TEST_F(TweakMachineFiles, LastAccessRemountsOnlyTheReadWriteDiskVolumesThatDiffer) {
    auto a = adapter(LinuxTweak::LastAccess);
    a->write(1);
    ASSERT_EQ(runner_.calls.size(), 2u);  // "/" and "/srv"; /home has noatime already
    EXPECT_EQ(runner_.calls[0].target, "/");
    // Only the mount's own flags change: the filesystem's options are not passed again.
    EXPECT_EQ(runner_.calls[0].flags, unsigned(MS_REMOUNT | MS_BIND | MS_NOATIME));
    EXPECT_EQ(runner_.calls[0].data, "");
    EXPECT_EQ(runner_.calls[1].target, "/srv");
    runner_.calls.clear();
    a->write(0);
    ASSERT_EQ(runner_.calls.size(), 1u);
    EXPECT_EQ(runner_.calls[0].target, "/home");
    EXPECT_EQ(runner_.calls[0].flags, unsigned(MS_REMOUNT | MS_BIND | MS_RELATIME));
    // Given volumes, only those are touched.
    runner_.calls.clear();
    make_tweak_adapter(LinuxTweak::LastAccess, TweakMachine{m_.sysroot(), &runner_, {}, {"/srv"}})
        ->write(1);
    ASSERT_EQ(runner_.calls.size(), 1u);
    EXPECT_EQ(runner_.calls[0].target, "/srv");
    // The mount's other flags are given again, or the bind remount would clear them.
    EXPECT_EQ(runner_.calls[0].flags, unsigned(MS_REMOUNT | MS_BIND | MS_NOATIME | MS_NOSUID | MS_NODEV));
}

TEST_F(TweakMachineFiles, IndexerIsMaskedForEveryUserAndUnmaskedAgain) {
    const fs::path link = m_.at("/etc/systemd/user/tracker-miner-fs-3.service");
    auto a = adapter(LinuxTweak::FileIndexer);
    ASSERT_EQ(a->write(0).size(), 1u);
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "/dev/null");
    EXPECT_EQ(a->read().level, 0u);
    ASSERT_EQ(a->write(1).size(), 1u);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    // A unit file of the administrator's own in the mask's place is not a mask, and not removed.
    m_.write("/etc/systemd/user/tracker-miner-fs-3.service", "[Service]\n");
    const auto refused = a->write(0);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_FALSE(refused[0].ok);
    EXPECT_EQ(test::read_file(link), "[Service]\n");
}

TEST_F(TweakMachineFiles, RefusedWritesSayWhy) {
    struct Case {
        const char* what;
        std::function<void(TweakFiles&)> lay;
        LinuxTweak which;
        std::uint32_t level;
        const char* reason;
    };
    const Case kCases[] = {
        {"remount without root", [](auto& t) { t.runner_.answer = EPERM; }, LinuxTweak::LastAccess,
         1, "needs root"},
        {"mask folder is a link out of the tree",
         [](auto& t) { t.m_.link("/etc/systemd/user", "/tmp"); }, LinuxTweak::FileIndexer, 0,
         "not a plain folder"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        TweakFiles fresh;
        c.lay(fresh);
        const auto changes = fresh.adapter(c.which)->write(c.level);
        const bool any_refused =
            std::any_of(changes.begin(), changes.end(), [&](const TweakChange& ch) {
                return !ch.ok && ch.message.find(c.reason) != std::string::npos;
            });
        EXPECT_TRUE(any_refused);
    }
}

TEST_F(TweakMachineFiles, SysfsSwitchThatRefusesTheWriteIsReportedNotSkipped) {
    const Immutable locked(m_.at("/sys/devices/virtual/block/sda/queue/read_ahead_kb"));
    if (!locked.ok) GTEST_SKIP() << "chattr +i is not available here (needs root)";
    const auto changes = adapter(LinuxTweak::ReadAhead)->write(0);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].object, "sda");
    EXPECT_FALSE(changes[0].ok);
    EXPECT_NE(changes[0].message.find("needs root"), std::string::npos) << changes[0].message;
    EXPECT_TRUE(changes[1].ok);  // one refusal does not stop the other disks
}

TEST_F(TweakMachineFiles, PuttingBackTheCaptureGivesTheFilesAsTheyWere) {
    for (const LinuxTweak which : {LinuxTweak::ReadAhead, LinuxTweak::HostLinkPower,
                                   LinuxTweak::DeviceLinkPower, LinuxTweak::FileIndexer}) {
        SCOPED_TRACE(linux_tweak(which).name.data());
        auto a = adapter(which);
        const TweakSnapshot before = a->capture();
        const TweakReading was = a->read();
        a->write(was.level == 0u ? 1 : 0);
        EXPECT_NE(a->capture(), before);
        a->put_back(before);
        EXPECT_EQ(a->capture(), before);
    }
    // A limit given in bytes comes back as bytes (the kernel zeroes it when the ratio is written).
    m_.write("/proc/sys/vm/dirty_ratio", "0\n");
    m_.write("/proc/sys/vm/dirty_bytes", "200000000\n");
    auto dirty = adapter(LinuxTweak::DirtyPages);
    const TweakSnapshot before = dirty->capture();
    dirty->write(1);
    m_.write("/proc/sys/vm/dirty_bytes", "0\n");
    const auto back = dirty->put_back(before);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].object, "dirty_bytes");
    EXPECT_EQ(test::read_file(m_.at("/proc/sys/vm/dirty_bytes")), "200000000\n");
}

}  // namespace
}  // namespace bw
