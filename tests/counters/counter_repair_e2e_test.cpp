// The counter layer on the running system: a loop device whose statistics are switched off makes
// the start-up question appear; Yes repairs it, No leaves the basic test. Real I/O on the loop
// device and a real process show in the counters.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <fstream>

#include "core/AppState.h"
#include "core/MainOptions.h"
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
    std::string iostats() const {
        std::string v;
        std::ifstream(iostats_path()) >> v;
        return v;
    }
    void set_iostats(const std::string& v) const { std::ofstream(iostats_path()) << v << "\n"; }
    // A new query holding `object` + each of `names`, collected once.
    std::vector<PdhHandle> open(const std::string& object,
                                std::initializer_list<const char*> names) {
        std::vector<PdhHandle> handles;
        PdhHandle q = 0;
        EXPECT_EQ(lib_.OpenQuery(&q), kPdhOk);
        query_ = q;
        for (const char* n : names) {
            PdhHandle h = 0;
            EXPECT_EQ(lib_.AddCounter(q, object + n, &h), kPdhOk) << object << n;
            handles.push_back(h);
        }
        lib_.CollectQueryData(q);
        return handles;
    }

    PdhLibrary lib_;  // the running system, its disks as they are once the loop device exists
    test::ScriptedPrompt prompt_;
    test::TempDir folder_;
    AppState saved_app_;
    std::unique_ptr<test::ScratchLoop> loop_;
    PdhHandle query_ = 0;
};

class CounterLiveAnswer : public CounterLive, public ::testing::WithParamInterface<bool> {};

TEST_P(CounterLiveAnswer, SwitchedOffLoopDeviceIsRepairedOnlyOnYes) {
    const bool yes = GetParam();
    const std::string saved = iostats();
    set_iostats("0");
    ListPhysicalDisks();
    ListLogicalDisks();
    prompt_.answer_yes(yes);
    const bool started = StartCounterGroupsStep();
    const std::string after = iostats();
    set_iostats(saved.empty() ? "1" : saved);
    EXPECT_EQ(started, yes);
    EXPECT_EQ(prompt_.count_containing("Would you like Brantwell to try to Repair it?"), 1);
    EXPECT_EQ(prompt_.count_containing(kRepairSuccess), yes ? 1 : 0);
    EXPECT_EQ(after, yes ? "1" : "0");
    EXPECT_EQ(app().repair_state, yes ? 1 : 0);
    EXPECT_EQ(app().basic_only_mode, !yes);
    if (yes) {
        EXPECT_NE(counters().logical_disk_probe(), 0u);
        EXPECT_EQ(test::read_file(folder_.path() / "TestData.txt"), "iostats Worked\n");
        return;
    }
    // What the main window does with No.
    MainOptions o;
    o.enter_basic_only_mode();
    EXPECT_TRUE(o.BasicOnly.checked);
    EXPECT_FALSE(o.BasicOnly.enabled);
    EXPECT_FALSE(o.ChkMulti.enabled);
    EXPECT_FALSE(o.TestAllDrv.checked);
}
INSTANTIATE_TEST_SUITE_P(YesNo, CounterLiveAnswer, ::testing::Bool());

TEST_F(CounterLive, DirectReadsOfTheLoopDeviceShowInItsCounters) {
    const auto& disks = lib_.disk_map().disks;
    const auto it = std::find_if(disks.begin(), disks.end(), [&](const CounterDisk& d) {
        return d.kernel_name == loop_->name();
    });
    ASSERT_NE(it, disks.end());
    const auto h = open("\\PhysicalDisk(" + PhysicalInstanceName(*it) + ")\\",
                        {"Disk Read Bytes/sec", "Disk Reads/sec"});
    ASSERT_EQ(
        test::run_shell("dd if=" + loop_->device() + " of=/dev/null bs=64K count=128 iflag=direct"),
        0);
    Pause(50);
    lib_.CollectQueryData(query_);
    // 8 MiB read: the rates times the layer's own interval between the two collects give it back.
    const double seconds = lib_.CollectInterval(query_);
    EXPECT_NEAR(lib_.GetDoubleCounterValue(h[0]) * seconds, 8.0 * 1048576, 8.0 * 1048576 * 0.01);
    EXPECT_NEAR(lib_.GetDoubleCounterValue(h[1]) * seconds, 128, 2);
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
    const auto h = open("\\Process(" + ProcessInstanceName(name) + ")\\",
                        {"ID Process", "IO Read Operations/sec", "IO Read Bytes/sec"});
    EXPECT_EQ(SampleProcessCpu(name, 7), "");
    Pause(500);
    lib_.CollectQueryData(query_);
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
