// The TRIM test on real devices the test makes: an ext4 on a loop device and on a zram disk. A
// full run must give every result line and a verdict that follows them, leave the mount's options
// as they were, and show on the device that the switch worked: deletes with TRIM on free the
// device's space, deletes with TRIM off do not. A run killed during a TRIM OFF phase must be put
// right by the next start, which says so.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>

#include <chrono>
#include <map>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/AppState.h"
#include "core/StartSteps.h"
#include "core/Startup.h"
#include "drives/DriveStartup.h"
#include "platform/Mounts.h"
#include "platform/TrimVolume.h"
#include "standalone/TrimRecord.h"
#include "standalone/TrimSteps.h"
#include "standalone/TrimTest.h"
#include "support/cli.h"
#include "support/fakes.h"
#include "support/scratch_device.h"
#include "trim_verdict_check.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

std::uint64_t field(const std::string& text, int index) {  // 1-based
    std::istringstream in(text);
    std::uint64_t v = 0;
    for (int i = 0; i < index && (in >> v); ++i) {
    }
    return v;
}

// What the device says about the space it holds, at one moment.
struct DeviceSpace {
    std::uint64_t discards = 0;  // loop: discard requests completed
    std::uint64_t held = 0;      // loop: bytes the backing file has allocated; zram: data stored
};

class Device {
  public:
    virtual ~Device() = default;
    virtual DeviceSpace space() const = 0;
    virtual fs::path mount_point() const = 0;
    virtual bool counts_discards() const = 0;
};

class LoopDevice : public Device {
  public:
    explicit LoopDevice(test::ScratchLoop& loop) : loop_(loop) {
        backing_ = test::read_file("/sys/block/" + loop.name() + "/loop/backing_file");
        while (!backing_.empty() && backing_.back() == '\n') backing_.pop_back();
    }
    DeviceSpace space() const override {
        struct stat st {};
        ::stat(backing_.c_str(), &st);
        return {field(test::read_file("/sys/block/" + loop_.name() + "/stat"), 12),
                static_cast<std::uint64_t>(st.st_blocks) * 512};
    }
    fs::path mount_point() const override { return loop_.mounts().front(); }
    bool counts_discards() const override { return true; }

  private:
    test::ScratchLoop& loop_;
    std::string backing_;
};

class ZramDevice : public Device {
  public:
    explicit ZramDevice(test::ScratchZram& zram) : zram_(zram) {}
    // Its stat's discard fields stay 0 whatever happens: the stored data size tells.
    DeviceSpace space() const override {
        return {0, field(test::read_file("/sys/block/" + zram_.name() + "/mm_stat"), 1)};
    }
    fs::path mount_point() const override { return zram_.mount_point(); }
    bool counts_discards() const override { return false; }

  private:
    test::ScratchZram& zram_;
};

std::vector<std::string> options_of(const fs::path& mount_point) {
    const auto m = Mounts(Sysroot("/"), live_mount_runner()).find(mount_point.string());
    return m ? m->options : std::vector<std::string>{};
}

// ext4 passes the blocks a cut frees on to the device in the background once the cut is
// committed; the samples after a cut wait for that (outside the timed writes) up to this long.
constexpr auto kDiscardWait = std::chrono::seconds(10);

void show(const char* what, const DeviceSpace& d) {
    std::printf("%-28s discards %llu held %llu\n", what, (unsigned long long)d.discards,
                (unsigned long long)d.held);
}

// The letter a fresh preferences file gives the volume mounted at `mp` (letters in mount-point
// order, as a look that remembers nothing gives them); 0 when it has none.
char fresh_letter_of(const fs::path& mp) {
    for (const auto& v : TakeInventory(system_query(), {}).map.volumes)
        if (v.mount_point == mp.string()) return v.letter;
    return 0;
}

// One full run with both boxes: the lines, the mount, the device's space and the verdict rule.
void full_run(Device& device) {
    test::TempDir dir;
    const fs::path mp = device.mount_point();
    const std::vector<std::string> before = options_of(mp);
    auto volume = live_trim_volume(dir.path(), mp / "TestMy.SSD", mp.string());
    EXPECT_TRUE(volume->discard_state().cannot_switch.empty())
        << volume->discard_state().cannot_switch;
    const std::string rewrite = "Performing Re-Write Test on Q Drive";
    const std::string trim_on = "Performing TRIM Test on Q Drive TRIM ON";
    const std::string disabling = "Disabling the TRIM Function";
    const std::string trim_off = "Performing Test on Q Drive with TRIM OFF";
    DeviceSpace full, on_cut, switched, off_cut;
    std::string previous;
    TrimTest test('q', *volume, dir / "DariDozodaz.dat", dir.path(), [&](const TrimScreen& s) {
        const DeviceSpace now = device.space();
        if (s.Label1 == rewrite) full = now;
        if (s.Label1 == disabling) switched = now;
        if (s.Label1 != previous && s.Label1 == trim_on) {
            // The cut with TRIM on is committed; its discards follow.
            const auto until = std::chrono::steady_clock::now() + kDiscardWait;
            on_cut = now;
            while (on_cut.held + 40'000'000 > full.held &&
                   std::chrono::steady_clock::now() < until) {
                ::usleep(50'000);
                on_cut = device.space();
            }
        }
        if (s.Label1 != previous && s.Label1 == trim_off) off_cut = now;  // 10 s after the cut
        previous = s.Label1;
    });
    test.options = {true, true};
    test::ScriptedPrompt prompt;
    test::UsePrompt use_prompt(prompt);
    test.Load();
    test.Command1();

    const TrimScreen& s = test.screen();
    for (const auto& line : s.TrimTest) std::printf("%s\n", line.c_str());
    for (const auto& n : s.notes) std::printf("note: %s\n", n.c_str());
    std::printf("deciding change %.2f\n", test.deciding_change());
    for (int line : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(s.TrimTest[line].empty());
        EXPECT_EQ(s.TrimTest[line].find(" 0 Bps"), std::string::npos) << s.TrimTest[line];
    }
    EXPECT_EQ(test.writes_per_phase(), 1760);
    EXPECT_EQ(options_of(mp), before);
    EXPECT_FALSE(fs::exists(mp / "TestMy.SSD"));
    EXPECT_FALSE(ReadTrimRecord(dir / "DariDozodaz.dat"));

    show("re-write end", full);
    show("after the cut, TRIM on", on_cut);
    show("switched off", switched);
    show("after the cut, TRIM off", off_cut);
    // The cut with TRIM on gave the test file's blocks back to the device ...
    if (device.counts_discards()) EXPECT_GT(on_cut.discards, full.discards);
    EXPECT_LT(on_cut.held + 40'000'000, full.held);
    // ... the cut with TRIM off did not.
    EXPECT_EQ(off_cut.discards, switched.discards);
    EXPECT_GE(off_cut.held + 1'000'000, switched.held);
    test::expect_verdict_follows(s.TrimTest[2], s.TrimTest[4], s.TrimTest[kTrimVerdictLine]);
}

TEST(TrimE2e, FullRunOnALoopDeviceWithExt4) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    // Backed by memory: a loop device over a file of the shared system disk times that disk's
    // load (15 to 95 MB/s from one phase to the next), not the switch.
    test::ScratchLoop loop(
        {.size_mib = 256, .filesystem = "ext4", .mount = true, .image_folder = "/dev/shm"});
    ASSERT_TRUE(loop.ok()) << loop.error();
    LoopDevice device(loop);
    full_run(device);
}

TEST(TrimE2e, FullRunOnAZramDiskWithExt4FoundWithDiscard) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchZram zram({.size_mib = 256, .filesystem = "ext4", .mount = true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    ASSERT_EQ(test::run_shell("mount -o remount,discard " + zram.mount_point().string()), 0);
    ZramDevice device(zram);
    full_run(device);
}

// The command line gives the same lines and verdict, and leaves the mount as it found it.
TEST(TrimE2e, FullRunThroughTheCommandLine) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop loop(
        {.size_mib = 256, .filesystem = "ext4", .mount = true, .image_folder = "/dev/shm"});
    ASSERT_TRUE(loop.ok()) << loop.error();
    LoopDevice device(loop);
    const fs::path mp = loop.mounts().front();
    const char letter = fresh_letter_of(mp);
    ASSERT_NE(letter, 0);
    test::TempDir home;
    ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
    ::setenv("TEMP", home.path().c_str(), 1);
    const std::vector<std::string> before = options_of(mp);
    const DeviceSpace start = device.space();
    const test::CliRun r = test::run_cli({"trim", "--drive", std::string(1, letter) + ":",
                                          "--rewrite", "--second-off", "--yes", "--json"},
                                         std::chrono::minutes(3));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    std::printf("%s\n", j["lines"].dump(1).c_str());
    ASSERT_EQ(j["lines"].size(), 5u);
    EXPECT_EQ(j["writes_per_phase"], 1760);
    EXPECT_EQ(options_of(mp), before);
    EXPECT_FALSE(fs::exists(mp / "TestMy.SSD"));
    EXPECT_GT(device.space().discards, start.discards);  // the switch was on for a while
    test::expect_verdict_follows(j["lines"][2], j["lines"][4], j["verdict"]);
    ::unsetenv("BRANTWELL_HOME");
    ::unsetenv("TEMP");
}

// Without --yes nothing is written and the mount is not touched.
TEST(TrimE2e, TheCommandLineWithoutYesWritesNothing) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::TempDir home;
    ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
    ::setenv("TEMP", home.path().c_str(), 1);
    const test::CliRun r = test::run_cli({"trim", "--drive", "C:"}, std::chrono::minutes(1));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists("/TestMy.SSD"));
    ::unsetenv("BRANTWELL_HOME");
    ::unsetenv("TEMP");
}

// Ctrl-C during TRIM OFF: the command line stops at the next write, puts the switch back and
// removes its file at once, and says so by its exit status.
TEST(TrimE2e, CtrlCDuringTrimOffPutsTheSwitchBackAtOnce) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop loop(
        {.size_mib = 256, .filesystem = "ext4", .mount = true, .image_folder = "/dev/shm"});
    ASSERT_TRUE(loop.ok()) << loop.error();
    const fs::path mp = loop.mounts().front();
    ASSERT_EQ(test::run_shell("mount -o remount,discard " + mp.string()), 0);
    const std::vector<std::string> before = options_of(mp);
    const char letter = fresh_letter_of(mp);
    ASSERT_NE(letter, 0);
    test::TempDir home;

    int err[2];
    ASSERT_EQ(::pipe(err), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(err[1], STDERR_FILENO);
        ::close(err[0]);
        ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
        ::setenv("TEMP", home.path().c_str(), 1);
        const std::string cli = test::cli_path().string(), drive = std::string(1, letter) + ":";
        ::execl(cli.c_str(), cli.c_str(), "trim", "--drive", drive.c_str(), "--yes",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(err[1]);
    std::string said;
    char buf[4096];
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (said.find("with TRIM OFF") == std::string::npos &&
           std::chrono::steady_clock::now() < until) {
        pollfd p{err[0], POLLIN, 0};
        if (::poll(&p, 1, 1000) != 1) continue;
        const ssize_t n = ::read(err[0], buf, sizeof buf);
        if (n <= 0) break;
        said.append(buf, static_cast<std::size_t>(n));
    }
    const bool reached = said.find("with TRIM OFF") != std::string::npos;
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(err[0]);
    ASSERT_TRUE(reached) << "the TRIM OFF phase was not reached:\n" << said;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
    EXPECT_EQ(options_of(mp), before);
    EXPECT_FALSE(fs::exists(mp / "TestMy.SSD"));
    EXPECT_FALSE(ReadTrimRecord(home / "DariDozodaz.dat"));
}

// Killed outright during the TRIM OFF phase, the test leaves the switch off and its file on the
// volume; the next start's step puts both right and says so.
TEST(TrimE2e, KilledDuringTrimOffTheNextStartRestoresAndSaysSo) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop loop({.size_mib = 256, .filesystem = "ext4", .mount = true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    const fs::path mp = loop.mounts().front();
    ASSERT_EQ(test::run_shell("mount -o remount,discard " + mp.string()), 0);
    const std::vector<std::string> before = options_of(mp);
    test::TempDir dir;
    const fs::path file = mp / "TestMy.SSD";

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        test::ScriptedPrompt prompt;
        set_prompt(&prompt);
        auto volume = live_trim_volume(dir.path(), file, mp.string());
        bool told = false;
        TrimTest test('q', *volume, dir / "DariDozodaz.dat", dir.path(), [&](const TrimScreen& s) {
            if (!told && s.Label1.find("with TRIM OFF") != std::string::npos) {
                told = true;
                (void)!::write(ready[1], "x", 1);
            }
        });
        test.WriteTest();
        ::_exit(0);
    }
    ::close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    const bool reached = ::poll(&p, 1, 120'000) == 1;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ASSERT_TRUE(reached) << "the TRIM OFF phase was not reached";
    EXPECT_TRUE(fs::exists(file));
    const std::vector<std::string> killed = options_of(mp);
    EXPECT_EQ(std::count(killed.begin(), killed.end(), "discard"), 0);

    // The next start.
    const AppState saved = app();
    app().program_folder = dir.path();
    app().working_folder = dir.path();
    test::ScriptedPrompt prompt;
    test::UsePrompt use_prompt(prompt);
    const StartSteps steps = program_steps();
    MainWindowState no_window;
    StepContext ctx{no_window};
    ASSERT_TRUE(steps.run(StepId::TrimRestore, ctx));
    app() = saved;

    EXPECT_EQ(options_of(mp), before);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(prompt.count_containing("TRIM of " + mp.string() +
                                      " (its discard option) is set back to discard"),
              1);
    EXPECT_EQ(prompt.count_containing("The test file " + file.string() +
                                      " left by the last TRIM test is deleted."),
              1);
    EXPECT_FALSE(ReadTrimRecord(dir / "DariDozodaz.dat"));
}

}  // namespace
}  // namespace bw
