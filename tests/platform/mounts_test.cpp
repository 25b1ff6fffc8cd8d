// Mounts on a machine of files: mountinfo from a fixture, kernel calls recorded by a fake runner,
// so nothing here changes the machine's mounts.
#include "platform/Mounts.h"

#include <sys/mount.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "support/counter_machine.h"

namespace bw {
namespace {

class RecordingRunner : public MountRunner {
  public:
    explicit RecordingRunner(bool on_machine = false) : on_machine_(on_machine) {}
    int run(const MountCall& call) override {
        calls.push_back(call);
        return answer;
    }
    bool acts_on_machine() const override { return on_machine_; }

    std::vector<MountCall> calls;
    int answer = 0;

  private:
    bool on_machine_;
};

TEST(MountOptions, ChangesReplaceWhatTheyContradictInPlace) {
    struct Case {
        const char* options;
        std::vector<std::string> changes;
        const char* after;
    };
    const Case kCases[] = {
        {"rw,relatime,discard,errors=remount-ro", {"nodiscard"},
         "rw,relatime,nodiscard,errors=remount-ro"},
        {"rw,relatime,nodiscard", {"discard"}, "rw,relatime,discard"},
        {"rw,relatime", {"discard"}, "rw,relatime,discard"},
        {"rw,strictatime,lazytime", {"noatime"}, "rw,noatime,lazytime"},
        {"rw,noatime,relatime", {"relatime"}, "rw,relatime"},  // a contradiction left is dropped
        {"ro,nosuid", {"rw", "noatime"}, "rw,nosuid,noatime"},
        {"rw,,discard,", {}, "rw,discard"},  // empty pieces are no options
        {"", {"discard"}, "discard"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.options);
        EXPECT_EQ(JoinMountOptions(ApplyMountOptions(SplitMountOptions(c.options), c.changes)),
                  c.after);
    }
}

TEST(MountOptions, GenericOptionsBecomeFlagsAndTheRestTheFilesystemsData) {
    struct Case {
        MountCall::Op op;
        const char* options;
        unsigned long flags;
        const char* data;
    };
    const Case kCases[] = {
        {MountCall::Op::Remount, "rw,noatime,nosuid,discard,errors=remount-ro",
         MS_REMOUNT | MS_NOATIME | MS_NOSUID, "discard,errors=remount-ro"},
        {MountCall::Op::Mount, "ro,relatime,data=ordered", MS_RDONLY | MS_RELATIME,
         "data=ordered"},
        {MountCall::Op::Mount, "rw,async,nodiscard", 0, "nodiscard"},
        {MountCall::Op::Remount, "rw", MS_REMOUNT, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.options);
        const MountState state{"/dev/sdb1", "/data", "ext4", SplitMountOptions(c.options)};
        const MountCall call = MountCallFor(c.op, state);
        EXPECT_EQ(call.flags, c.flags);
        EXPECT_EQ(call.data, c.data);
        EXPECT_EQ(call.target, "/data");
        // Only a fresh mount names what to mount; a remount changes the mount in place.
        const bool fresh = c.op == MountCall::Op::Mount;
        EXPECT_EQ(call.source, fresh ? "/dev/sdb1" : "");
        EXPECT_EQ(call.fstype, fresh ? "ext4" : "");
    }
}

class MountsOnFiles : public ::testing::Test {
  protected:
    MountsOnFiles() {
        // A blank in a mount point is written \040; /data is mounted twice, the upper one counts.
        m_.write(
            "/proc/self/mountinfo",
            "21 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw,errors=remount-ro\n"
            "22 21 8:17 / /data rw,relatime - ext4 /dev/sdb1 rw\n"
            "23 22 8:18 / /data rw,noatime - ext4 /dev/sdb2 rw,discard,errors=remount-ro\n"
            "24 21 8:33 / /mnt/my\\040disk rw,nosuid,relatime - xfs /dev/sdc1 rw,attr2\n");
    }
    Mounts mounts(MountRunner& runner) const { return Mounts(m_.sysroot(), runner); }

    test::CounterMachine m_;
};

TEST_F(MountsOnFiles, OptionsAreReadFromTheUppermostMountWithEscapesResolved) {
    RecordingRunner runner;
    const Mounts m = mounts(runner);
    const auto data = m.find("/data");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->source, "/dev/sdb2");
    EXPECT_TRUE(m.has_option("/data", "discard"));
    EXPECT_FALSE(m.has_option("/", "discard"));
    EXPECT_TRUE(m.has_option("/mnt/my disk", "nosuid"));
    EXPECT_FALSE(m.find("/nowhere"));
    EXPECT_TRUE(runner.calls.empty());
}

TEST_F(MountsOnFiles, RemountUnmountAndMountAgainMakeTheRightCalls) {
    RecordingRunner runner;
    Mounts m = mounts(runner);
    const MountResult off = m.remount("/data", {"nodiscard"});
    EXPECT_TRUE(off.ok) << off.message;
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].op, MountCall::Op::Remount);
    EXPECT_EQ(runner.calls[0].flags, MS_REMOUNT | MS_NOATIME);
    EXPECT_EQ(runner.calls[0].data, "nodiscard,errors=remount-ro");

    MountState earlier;
    EXPECT_TRUE(m.unmount("/mnt/my disk", &earlier).ok);
    EXPECT_EQ(runner.calls[1], (MountCall{MountCall::Op::Unmount, "", "/mnt/my disk", "", 0, ""}));
    EXPECT_TRUE(m.mount_again(earlier).ok);
    EXPECT_EQ(runner.calls[2], (MountCall{MountCall::Op::Mount, "/dev/sdc1", "/mnt/my disk", "xfs",
                                          MS_NOSUID | MS_RELATIME, "attr2"}));
}

TEST_F(MountsOnFiles, FailuresAndRefusalsSayWhy) {
    struct Case {
        const char* why;
        bool on_machine;
        int answer;
        const char* mount_point;
        size_t calls;
        const char* message;
    };
    const Case kCases[] = {
        {"not root", false, EPERM, "/data", 1,
         "remount: Operation not permitted (remounting needs root)"},
        {"busy", false, EBUSY, "/data", 1, "remount: Device or resource busy"},
        {"not mounted", false, 0, "/backup", 0, "/backup is not mounted"},
        // A runner that changes the machine never acts for a tree of files.
        {"fixture with the machine's runner", true, 0, "/data", 0,
         "not the running system: nothing mounted"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        RecordingRunner runner(c.on_machine);
        runner.answer = c.answer;
        const MountResult r = mounts(runner).remount(c.mount_point, {"discard"});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(runner.calls.size(), c.calls);
    }
}

TEST_F(MountsOnFiles, KernelFilesystemsAreMountedByTheirWitness) {
    RecordingRunner runner;
    Mounts m = mounts(runner);
    EXPECT_TRUE(m.is_mounted(KernelFs::Proc));
    m_.remove("/proc/stat");
    EXPECT_FALSE(m.is_mounted(KernelFs::Proc));
    const MountResult r = m.mount_kernel_fs(KernelFs::Sys);
    EXPECT_EQ(r.message, "/sys mounted");
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0], (MountCall{MountCall::Op::Mount, "sysfs", "/sys", "sysfs", 0, ""}));
}

}  // namespace
}  // namespace bw
