// The counter layer on the running system: a loop device whose statistics are switched off makes
// the start-up question appear and Yes repairs it; real I/O on the loop device and a real process
// show in the counters.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "core/AppState.h"
#include "counters/CounterStartup.h"
#include "counters/Counters.h"
#include "counters/frmRepair.h"
#include "platform/PdhQuery.h"
#include "platform/PdhSources.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

extern char** environ;

namespace bw {
namespace {

class CounterLive : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        loop_ = std::make_unique<test::ScratchLoop>(test::ScratchLoop::Options{});
        if (!loop_->ok()) GTEST_SKIP() << loop_->error();
        saved_app_ = app();
        app().program_folder = folder_.path();
        app().repair_state = 0;
        app().basic_only_mode = false;
        app().computer_name = lib_.computer_name();
        ResetCounterState();
        set_pdh(&lib_);
        set_prompt(&prompt_);
    }
    void TearDown() override {
        set_prompt(nullptr);
        set_pdh(nullptr);
        ResetCounterState();
        if (loop_ && loop_->ok()) app() = saved_app_;
    }
    std::string iostats_path() const { return "/sys/block/" + loop_->name() + "/queue/iostats"; }

    PdhLibrary lib_;  // the running system, its disks as they are once the loop device exists
    test::ScriptedPrompt prompt_;
    test::TempDir folder_;
    AppState saved_app_;
    std::unique_ptr<test::ScratchLoop> loop_;
};

// Only Yes here: the real sysfs switch is what a machine of files cannot show.
TEST_F(CounterLive, SwitchedOffLoopDeviceIsRepairedOnYes) {
    const std::string saved = test::read_file(iostats_path());
    test::write_file(iostats_path(), "0\n");
    ListPhysicalDisks();
    ListLogicalDisks();
    prompt_.answer_yes(true);
    const bool started = StartCounterGroupsStep();
    const std::string after = test::read_file(iostats_path());
    test::write_file(iostats_path(), saved.empty() ? "1\n" : saved);
    EXPECT_TRUE(started);
    EXPECT_EQ(prompt_.count_containing(kWindowsErrorText), 1);
    EXPECT_EQ(prompt_.count_containing(kRepairSuccess), 1);
    EXPECT_EQ(after, "1\n");
    EXPECT_EQ(app().repair_state, 1);
    EXPECT_FALSE(app().basic_only_mode);
    EXPECT_NE(counters().logical_disk_probe(), 0u);
    EXPECT_EQ(test::read_file(folder_.path() / "TestData.txt"), "iostats Worked\n");
}

TEST_F(CounterLive, DirectReadsOfTheLoopDeviceShowInItsCounters) {
    const auto& disks = lib_.disk_map().disks;
    const auto it = std::find_if(disks.begin(), disks.end(), [&](const CounterDisk& d) {
        return d.kernel_name == loop_->name();
    });
    ASSERT_NE(it, disks.end());
    const std::string object = "\\PhysicalDisk(" + PhysicalInstanceName(*it) + ")\\";
    PdhHandle q = 0, bytes = 0, reads = 0;
    ASSERT_EQ(lib_.OpenQuery(&q), kPdhOk);
    ASSERT_EQ(lib_.AddCounter(q, object + "Disk Read Bytes/sec", &bytes), kPdhOk);
    ASSERT_EQ(lib_.AddCounter(q, object + "Disk Reads/sec", &reads), kPdhOk);
    lib_.CollectQueryData(q);
    ASSERT_EQ(
        test::run_shell("dd if=" + loop_->device() + " of=/dev/null bs=64K count=128 iflag=direct"),
        0);
    Pause(50);
    lib_.CollectQueryData(q);
    // 8 MiB read: the rates times the layer's own interval between the two collects give it back.
    const double seconds = lib_.CollectInterval(q);
    EXPECT_NEAR(lib_.GetDoubleCounterValue(bytes) * seconds, 8.0 * 1048576, 8.0 * 1048576 * 0.01);
    EXPECT_NEAR(lib_.GetDoubleCounterValue(reads) * seconds, 128, 2);
}

TEST_F(CounterLive, ARunningProcessIsFoundByItsImageName) {
    // A name of its own: testers of other test runs may be about under the testers' names.
    test::TempDir dir;
    const std::string name = "BwCounterProbe" + std::to_string(::getpid()) + ".exe";
    std::string path = (dir / name).string();
    std::filesystem::copy_file("/bin/dd", path);
    char* argv[] = {path.data(), const_cast<char*>("if=/dev/zero"),
                    const_cast<char*>("of=/dev/null"), const_cast<char*>("bs=4096"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0);
    const std::shared_ptr<void> reap(nullptr, [pid](void*) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    });
    Pause(100);
    const std::string object = "\\Process(" + ProcessInstanceName(name) + ")\\";
    PdhHandle q = 0, h[3] = {};
    ASSERT_EQ(lib_.OpenQuery(&q), kPdhOk);
    for (int i = 0; const char* n : {"ID Process", "IO Read Operations/sec", "IO Read Bytes/sec"})
        EXPECT_EQ(lib_.AddCounter(q, object + n, &h[i++]), kPdhOk) << n;
    lib_.CollectQueryData(q);
    EXPECT_EQ(SampleProcessCpu(name, 7), "");
    Pause(500);
    lib_.CollectQueryData(q);
    EXPECT_EQ(lib_.GetDoubleCounterValue(h[0]), pid);
    const double per_sec = lib_.GetDoubleCounterValue(h[1]);
    EXPECT_GT(per_sec, 100);
    EXPECT_NEAR(lib_.GetDoubleCounterValue(h[2]) / per_sec, 4096, 1);  // dd reads 4 KiB a call
    const std::string cpu = SampleProcessCpu(name, 7);
    ASSERT_FALSE(cpu.empty());
    EXPECT_GT(std::stod(cpu), 1.0);  // it spins
    EXPECT_LE(std::stod(cpu), 100.0);
}

}  // namespace
}  // namespace bw
