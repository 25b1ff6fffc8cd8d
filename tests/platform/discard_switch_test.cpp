// The discard switch on a machine of files: mountinfo from a fixture, and a runner that plays the
// kernel by rewriting that mountinfo (or, where asked, by accepting a remount and changing
// nothing), so the check after the remount is tested too. And the TRIM test's file written
// through aligned direct writes on a real file.
#include "platform/DiscardSwitch.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/TrimVolume.h"
#include "support/counter_machine.h"
#include "support/fakes.h"

namespace bw {
namespace {

constexpr const char* kMountinfo =
    "21 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw,errors=remount-ro\n"
    "22 21 8:17 / /ssd rw,noatime - ext4 /dev/sdb1 rw,discard\n"
    "23 21 8:33 / /fast rw,relatime - xfs /dev/sdc1 rw,attr2\n"
    "24 21 8:49 / /odd rw,relatime - reiserfs /dev/sdd1 rw\n"
    "25 21 8:65 / /pool rw,relatime - btrfs /dev/sde1 rw,ssd,space_cache=v2\n";

// Plays the kernel: a remount puts the call's options into the fixture's mountinfo line.
class KernelRunner : public MountRunner {
  public:
    explicit KernelRunner(test::CounterMachine& m) : m_(m) {}
    int run(const MountCall& call) override {
        calls.push_back(call);
        if (answer != 0 || ignore) return answer;
        std::ifstream in(m_.at("/proc/self/mountinfo"));
        std::string text, line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::vector<std::string> f;
            for (std::string w; fields >> w;) f.push_back(w);
            // id parent dev root target options - fstype source super-options
            if (f.size() == 10 && f[4] == call.target) {
                f[9] = "rw" + (call.data.empty() ? "" : "," + call.data);
                line.clear();
                for (const auto& w : f) line += (line.empty() ? "" : " ") + w;
            }
            text += line + "\n";
        }
        m_.write("/proc/self/mountinfo", text);
        return 0;
    }
    bool acts_on_machine() const override { return false; }

    std::vector<MountCall> calls;
    int answer = 0;
    bool ignore = false;  // accepts the remount and changes nothing

  private:
    test::CounterMachine& m_;
};

class DiscardOnFiles : public ::testing::Test {
  protected:
    DiscardOnFiles() { m_.write("/proc/self/mountinfo", kMountinfo); }
    test::CounterMachine m_;
    KernelRunner runner_{m_};
    DiscardSwitch sw_{m_.sysroot(), runner_};
};

TEST_F(DiscardOnFiles, StateIsReadFromTheMountAndTheFileSystem) {
    struct Case {
        const char* mount_point;
        bool mounted, discard, by_remount;
        const char* cannot_switch;
    };
    const Case kCases[] = {
        {"/ssd", true, true, true, ""},
        {"/", true, false, true, ""},
        {"/pool", true, false, true, ""},
        {"/fast", true, false, false, "xfs changes discard only when it is mounted again"},
        {"/odd", true, false, false, "reiserfs is not known to switch discard by remount"},
        {"/gone", false, false, false, "/gone is not mounted"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.mount_point);
        const DiscardState s = sw_.read(c.mount_point);
        EXPECT_EQ(s.mounted, c.mounted);
        EXPECT_EQ(s.discard, c.discard);
        EXPECT_EQ(s.by_remount, c.by_remount);
        EXPECT_EQ(s.cannot_switch, c.cannot_switch);
        EXPECT_FALSE(s.timer_enabled);
    }
    m_.link("/etc/systemd/system/timers.target.wants/fstrim.timer",
            "/lib/systemd/system/fstrim.timer");
    EXPECT_TRUE(sw_.read("/").timer_enabled);
}

TEST_F(DiscardOnFiles, SwitchingRemountsAndIsCheckedInMountinfoAfterwards) {
    MountResult off = sw_.set("/ssd", false);
    EXPECT_TRUE(off.ok) << off.message;
    ASSERT_EQ(runner_.calls.size(), 1u);
    EXPECT_EQ(runner_.calls[0].flags, MS_REMOUNT | MS_NOATIME);
    EXPECT_EQ(runner_.calls[0].data, "nodiscard");
    EXPECT_FALSE(sw_.read("/ssd").discard);

    MountResult on = sw_.set("/ssd", true);
    EXPECT_TRUE(on.ok) << on.message;
    EXPECT_EQ(on.message, "/ssd remounted discard");
    EXPECT_TRUE(sw_.read("/ssd").discard);
    // Already as asked: nothing is called.
    EXPECT_TRUE(sw_.set("/ssd", true).ok);
    EXPECT_EQ(runner_.calls.size(), 2u);
}

TEST_F(DiscardOnFiles, FailuresSayWhyAndRefusalsMakeNoCall) {
    struct Case {
        const char* why;
        const char* mount_point;
        int answer;
        bool ignore;
        std::size_t calls;
        const char* message;
    };
    const Case kCases[] = {
        {"not root", "/", EPERM, false, 1,
         "remount: Operation not permitted (remounting needs root)"},
        {"kernel ignored it", "/", 0, true, 1,
         "/ was remounted discard but its options do not show it"},
        {"xfs", "/fast", 0, false, 0, "xfs changes discard only when it is mounted again"},
        {"unknown", "/odd", 0, false, 0, "reiserfs is not known to switch discard by remount"},
        {"gone", "/gone", 0, false, 0, "/gone is not mounted"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        runner_.calls.clear();
        runner_.answer = c.answer;
        runner_.ignore = c.ignore;
        const MountResult r = sw_.set(c.mount_point, true);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(runner_.calls.size(), c.calls);
    }
}

// Without root the switch is refused before any remount is tried, and the reason says so; the
// TRIM window shows it and runs the phases without switching.
TEST(DiscardSwitchLive, WithoutRootSwitchingIsRefusedWithTheReason) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    const bool refused = test::run_as(65534, [] {
        DiscardSwitch sw(Sysroot("/"), live_mount_runner());
        const DiscardState s = sw.read("/");
        if (!s.by_remount) return true;  // a root file system that never switches says that first
        return s.mounted && s.cannot_switch == "switching TRIM needs root" &&
               sw.set("/", !s.discard).message == "switching TRIM needs root";
    });
    EXPECT_TRUE(refused);
}

TEST(AlignedSpan, WholeBlocksGoNowAndTheRestWaits) {
    struct Case {
        std::uint64_t written, bytes, offset, length;
    };
    // 32256 = 7 x 4096 + 3584: every eighth write completes one block fewer.
    const Case kCases[] = {
        {0, 32256, 0, 28672},
        {32256, 32256, 28672, 32768},
        {7 * 32256, 32256, 225280, 32768},  // ends on a block: nothing waits
        {4096, 4096, 4096, 4096},
        {100, 10, 0, 0},  // less than a block: all of it waits
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.written);
        const AlignedSpan s = aligned_span(c.written, c.bytes, 4096);
        EXPECT_EQ(s.offset, c.offset);
        EXPECT_EQ(s.length, c.length);
    }
    // Over eight writes every byte goes out once: 63 whole blocks.
    std::uint64_t written = 0, sent = 0;
    for (int i = 0; i < 8; ++i) {
        const AlignedSpan s = aligned_span(written, 32256, 4096);
        EXPECT_EQ(s.offset, sent);
        sent += s.length;
        written += 32256;
    }
    EXPECT_EQ(sent, 63u * 4096);
}

TEST(LiveTrimVolume, WritesCountEveryByteAndTheFileHoldsExactlyThem) {
    test::TempDir dir;
    const auto file = dir.path() / "TestMy.SSD";
    auto v = live_trim_volume(dir.path(), file, "/");
    std::string error;
    ASSERT_TRUE(v->open(&error)) << error;
    std::size_t counted = 0;
    for (int i = 0; i < 13; ++i) {
        const WriteTiming t = v->write('Y', 32256);
        ASSERT_EQ(t.error, 0);
        counted += t.bytes;
    }
    EXPECT_EQ(v->close().error, 0);
    EXPECT_EQ(counted, 13u * 32256);
    ASSERT_EQ(std::filesystem::file_size(file), 13u * 32256);
    EXPECT_EQ(test::read_file(file), std::string(13 * 32256, 'Y'));

    // A second open overwrites from the start and keeps the length written; the cut leaves "Z".
    ASSERT_TRUE(v->open(&error)) << error;
    for (int i = 0; i < 3; ++i) v->write('B', 32256);
    v->close();
    EXPECT_EQ(test::read_file(file), std::string(3 * 32256, 'B'));
    v->cut_to_one_byte();
    EXPECT_EQ(test::read_file(file), "Z");
    v->remove();
    EXPECT_FALSE(v->test_file_exists());
}

}  // namespace
}  // namespace bw
