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

using test::ScratchLoop;

std::string read_iostats(const std::string& name) {
    std::ifstream in("/sys/block/" + name + "/queue/iostats");
    std::string v;
    in >> v;
    return v;
}

// Switches a device's statistics off for the test and back to what they were afterwards.
class StatisticsOff {
  public:
    explicit StatisticsOff(std::string name) : name_(std::move(name)), saved_(read_iostats(name_)) {
        write("0");
    }
    ~StatisticsOff() { write(saved_.empty() ? "1" : saved_); }

  private:
    void write(const std::string& v) {
        std::ofstream("/sys/block/" + name_ + "/queue/iostats") << v << "\n";
    }
    std::string name_, saved_;
};

class CounterLive : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        loop_ = std::make_unique<ScratchLoop>(ScratchLoop::Options{});
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

    PdhLibrary lib_;  // the running system, its disks as they are once the loop device exists
    test::ScriptedPrompt prompt_;
    test::TempDir folder_;
    AppState saved_app_;
    std::unique_ptr<ScratchLoop> loop_;
};

TEST_F(CounterLive, SwitchedOffLoopDeviceYesRepairsIt) {
    StatisticsOff off(loop_->name());
    ListPhysicalDisks();
    ListLogicalDisks();
    prompt_.answer_yes(true);
    EXPECT_TRUE(StartCounterGroupsStep());
    EXPECT_EQ(prompt_.count_containing("Would you like Brantwell to try to Repair it?"), 1);
    EXPECT_EQ(prompt_.count_containing(kRepairSuccess), 1);
    EXPECT_EQ(read_iostats(loop_->name()), "1");
    EXPECT_EQ(app().repair_state, 1);
    EXPECT_FALSE(app().basic_only_mode);
    EXPECT_NE(counters().logical_disk_probe(), 0u);
    EXPECT_EQ(test::read_file(folder_.path() / "TestData.txt"), "iostats Worked\n");
}

TEST_F(CounterLive, SwitchedOffLoopDeviceNoGivesTheBasicTestOnly) {
    StatisticsOff off(loop_->name());
    ListPhysicalDisks();
    ListLogicalDisks();
    prompt_.answer_yes(false);
    EXPECT_FALSE(StartCounterGroupsStep());
    EXPECT_EQ(prompt_.count_containing("Would you like Brantwell to try to Repair it?"), 1);
    EXPECT_EQ(read_iostats(loop_->name()), "0");
    EXPECT_TRUE(app().basic_only_mode);
    // What the main window does with it.
    MainOptions o;
    if (app().basic_only_mode) o.enter_basic_only_mode();
    EXPECT_TRUE(o.BasicOnly.checked);
    EXPECT_FALSE(o.BasicOnly.enabled);
    EXPECT_FALSE(o.ChkMulti.enabled);
    EXPECT_FALSE(o.TestAllDrv.checked);
}

TEST_F(CounterLive, DirectReadsOfTheLoopDeviceShowInItsCounters) {
    const auto& disks = lib_.disk_map().disks;
    const auto it = std::find_if(disks.begin(), disks.end(), [&](const CounterDisk& d) {
        return d.kernel_name == loop_->name();
    });
    ASSERT_NE(it, disks.end());
    PdhHandle q = 0, bytes = 0, reads = 0;
    ASSERT_EQ(lib_.OpenQuery(&q), kPdhOk);
    const std::string instance = "\\PhysicalDisk(" + PhysicalInstanceName(*it) + ")\\";
    ASSERT_EQ(lib_.AddCounter(q, instance + "Disk Read Bytes/sec", &bytes), kPdhOk);
    ASSERT_EQ(lib_.AddCounter(q, instance + "Disk Reads/sec", &reads), kPdhOk);
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
    const auto exe = dir / name;
    std::filesystem::copy_file("/bin/dd", exe);
    std::string path = exe.string();
    char* argv[] = {path.data(), const_cast<char*>("if=/dev/zero"),
                    const_cast<char*>("of=/dev/null"), const_cast<char*>("bs=4096"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0);
    struct Reap {
        pid_t pid;
        ~Reap() {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    } reap{pid};
    Pause(100);
    const std::string instance = "\\Process(" + ProcessInstanceName(name) + ")\\";
    PdhHandle q = 0, id = 0, ops = 0, bytes = 0;
    ASSERT_EQ(lib_.OpenQuery(&q), kPdhOk);
    ASSERT_EQ(lib_.AddCounter(q, instance + "ID Process", &id), kPdhOk);
    ASSERT_EQ(lib_.AddCounter(q, instance + "IO Read Operations/sec", &ops), kPdhOk);
    ASSERT_EQ(lib_.AddCounter(q, instance + "IO Read Bytes/sec", &bytes), kPdhOk);
    lib_.CollectQueryData(q);
    EXPECT_EQ(SampleProcessCpu(name, 7), "");
    Pause(500);
    lib_.CollectQueryData(q);
    EXPECT_EQ(lib_.GetDoubleCounterValue(id), pid);
    const double per_sec = lib_.GetDoubleCounterValue(ops);
    EXPECT_GT(per_sec, 100);
    EXPECT_NEAR(lib_.GetDoubleCounterValue(bytes) / per_sec, 4096,
                1);  // dd reads 4096 bytes a call
    const std::string cpu = SampleProcessCpu(name, 7);
    ASSERT_FALSE(cpu.empty());
    EXPECT_GT(std::stod(cpu), 1.0);  // it spins
    EXPECT_LE(std::stod(cpu), 100.0);
}

}  // namespace
}  // namespace bw
