// The three testers as the program runs them: written out of the program's data, started with
// "-R" in the working folder, handed jobs through the working settings file exactly as the test
// window writes them, on a zram RAM disk with ext4 that the test makes and removes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/ToolFiles.h"
#include "core/modGeneral.h"
#include "core/private_profile.h"
#include "platform/Processes.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// /proc/PID/io as numbers.
std::map<std::string, long long> process_io(pid_t pid) {
    std::map<std::string, long long> io;
    std::ifstream in("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value;
    while (in >> key >> value) io[key.substr(0, key.size() - 1)] = value;
    return io;
}

// Waits for a child to end; true when it did within `limit`.
bool wait_exit(pid_t pid, Clock::duration limit) {
    auto give_up = Clock::now() + limit;
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        if (Clock::now() >= give_up) return false;
        std::this_thread::sleep_for(5ms);
    }
}

class TesterRig {
  public:
    TesterRig() {
        saved_ = app();
        app().working_folder = work_.path();
        ToolFileResult r = WriteLOADWorker();
        if (!r.ok()) error_ = r.error;
        EnsureTesterCopies();
        // The working file as the program's start-up leaves it.
        set("Settings", "Run Status", "0");
        set("Settings", "Program PID", std::to_string(::getpid()));
        for (int n = 1; n <= 3; ++n) {
            set("Status", "Program " + std::to_string(n), "0");
            set("Hard Drive Test " + std::to_string(n), "Run", "0");
        }
    }
    ~TesterRig() {
        set("Settings", "Run Status", "2");
        for (pid_t& pid : pids_)
            if (pid > 0 && !wait_exit(pid, 2s)) {
                ::kill(pid, SIGKILL);
                wait_exit(pid, 2s);
            }
        app() = saved_;
    }

    const std::string& error() const { return error_; }
    const fs::path& work() const { return work_.path(); }
    fs::path ini() const { return work_ / "DariDozodaz.dat"; }
    std::string get(const std::string& section, const std::string& key) const {
        return ReadINI(ini(), section, key);
    }
    void set(const std::string& section, const std::string& key, const std::string& value) {
        WriteINI(ini(), section, key, value);
    }
    pid_t pid(int n) const { return pids_[static_cast<size_t>(n - 1)]; }
    void forget(int n) { pids_[static_cast<size_t>(n - 1)] = 0; }

    // Starts tester n as the program does and waits for it to report in.
    bool start(int n) {
        static const char* kNames[] = {"LOADWorker.exe", "LOADWorker2.exe", "LOADWorker3.exe"};
        std::string err;
        pid_t pid = proc::spawn(work() / kNames[n - 1], {"-R"}, work(), &err);
        if (pid <= 0) return false;
        pids_[static_cast<size_t>(n - 1)] = pid;
        return wait_for([&] { return get("Status", "Program " + std::to_string(n)) == "1"; }, 5s);
    }
    bool start_all() { return start(1) && start(2) && start(3); }

    // The keys of the test window, in its order, "Run" last.
    void write_job(const std::map<std::string, std::string>& job) {
        set("Settings", "Open Test", "1");
        for (int n = 1; n <= 3; ++n) set("Hard Drive Test " + std::to_string(n), "Finished", "0");
        set("Settings", "Run Status", "0");
        for (const char* key : {"Drive", "Blocks", "Type", "File Size", "Cluster Size", "Multi",
                                "Read", "Write", "Time", "Test Folder", "Device"})
            if (auto it = job.find(key); it != job.end()) set("Hard Drive Test 1", key, it->second);
        set("Hard Drive Test 1", "Run", "1");
    }

    // The step under test as the program decodes it: "R4.1" = reading block 4 at level 1; ""
    // when idle. The four keys are read one by one, so a read that spans a change of step could
    // mix two steps: a value counts once two readings in a row agree.
    std::string tester_function() const {
        std::string last = tester_function_once();
        for (;;) {
            std::string now = tester_function_once();
            if (now == last) return now;
            last = now;
        }
    }
    std::string tester_function_once() const {
        auto read_block = get("Tester Function", "Reading Block");
        auto write_block = get("Tester Function", "Writing Block");
        if (Val(read_block) > 0)
            return "R" + read_block + "." + get("Tester Function", "Multi-Task Reading");
        if (Val(write_block) > 0)
            return "W" + write_block + "." + get("Tester Function", "Multi-Task Writing");
        return "";
    }

    template <typename Pred>
    static bool wait_for(Pred pred, Clock::duration limit) {
        auto give_up = Clock::now() + limit;
        while (!pred()) {
            if (Clock::now() >= give_up) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

  private:
    test::TempDir work_;
    AppState saved_;
    std::string error_;
    std::array<pid_t, 3> pids_{};
};

class TesterE2E : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!test::scratch_unavailable().empty()) return;
        zram_ = std::make_unique<test::ScratchZram>(test::ScratchZram::Options{256, "ext4", true});
    }
    static void TearDownTestSuite() { zram_.reset(); }

    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        ASSERT_TRUE(zram_ && zram_->ok()) << (zram_ ? zram_->error() : "no zram");
        ASSERT_TRUE(rig_.error().empty()) << rig_.error();
    }

    fs::path test_file() const { return zram_->mount_point() / "TestB.tmp"; }

    std::map<std::string, std::string> job(const std::string& type, int multi, int seconds) const {
        return {{"Drive", "D"},
                {"Blocks", "14"},
                {"Type", type},
                {"File Size", "64"},
                {"Cluster Size", "4096"},
                {"Multi", std::to_string(multi)},
                {"Read", "1"},
                {"Write", "1"},
                {"Time", std::to_string(seconds)},
                {"Test Folder", zram_->mount_point().string()},
                {"Device", zram_->device()}};
    }

    static std::unique_ptr<test::ScratchZram> zram_;
    TesterRig rig_;
};

std::unique_ptr<test::ScratchZram> TesterE2E::zram_;

struct JobCase {
    const char* type;
    int multi;
};

class TesterJobs : public TesterE2E, public ::testing::WithParamInterface<JobCase> {};

TEST_P(TesterJobs, RunToFinishedInOrderWithRealIo) {
    const JobCase c = GetParam();
    ASSERT_TRUE(rig_.start_all());
    std::array<std::map<std::string, long long>, 3> before;
    for (int n = 1; n <= 3; ++n) before[n - 1] = process_io(rig_.pid(n));

    rig_.write_job(job(c.type, c.multi, 1));
    std::vector<std::string> seen;
    bool finished = TesterRig::wait_for(
        [&] {
            std::string step = rig_.tester_function();
            if (!step.empty() && (seen.empty() || seen.back() != step)) seen.push_back(step);
            return rig_.get("Hard Drive Test 1", "Finished") == "1";
        },
        120s);
    ASSERT_TRUE(finished) << test::read_file(rig_.ini());
    EXPECT_EQ(rig_.get("Hard Drive Test 1", "Error"), "");
    EXPECT_EQ(rig_.tester_function(), "");

    // Read side, then write; the single test, the lite test from level 1, then the heavy test
    // (level 2) or the heavy test with the other side (level 3); the blocks in their order.
    static const std::vector<int> kLevels[] = {{0}, {0, 1}, {0, 1, 2}, {0, 1, 3}};
    std::vector<std::string> expected;
    for (const char* side : {"R", "W"})
        for (int level : kLevels[c.multi])
            for (const char* block : {"1", "4"})
                expected.push_back(side + std::string(block) + "." + std::to_string(level));
    EXPECT_EQ(seen, expected) << test::read_file(rig_.ini());

    // Every tester that had a part moved data both ways, through pread/pwrite.
    const int busy = c.multi == 0 ? 1 : c.multi == 1 ? 2 : 3;
    for (int n = 1; n <= 3; ++n) {
        auto after = process_io(rig_.pid(n));
        long long read = after["rchar"] - before[n - 1]["rchar"];
        long long written = after["wchar"] - before[n - 1]["wchar"];
        if (n <= busy) {
            EXPECT_GT(read, 16 << 20) << "tester " << n;
            EXPECT_GT(written, 16 << 20) << "tester " << n;
            EXPECT_GT(after["syscw"] - before[n - 1]["syscw"], 1000) << "tester " << n;
        } else {
            EXPECT_LT(read, 1 << 20) << "tester " << n;
            EXPECT_LT(written, 1 << 20) << "tester " << n;
        }
    }
    EXPECT_FALSE(fs::exists(test_file()));
    EXPECT_FALSE(fs::exists(rig_.work() / "LOADWorker.files"));
}

INSTANTIATE_TEST_SUITE_P(EachTypeAndLevel, TesterJobs,
                         ::testing::Values(JobCase{"1", 0}, JobCase{"1", 1}, JobCase{"1", 2},
                                           JobCase{"1", 3}, JobCase{"2", 0}, JobCase{"2", 1},
                                           JobCase{"2", 2}, JobCase{"2", 3}),
                         [](const auto& info) {
                             return std::string(info.param.type[0] == '1' ? "Functional"
                                                                          : "Performance") +
                                    "Multi" + std::to_string(info.param.multi);
                         });

enum class Ending { RunStatus2, Sigterm, ProgramGone };

class TesterEndings : public TesterE2E, public ::testing::WithParamInterface<Ending> {};

TEST_P(TesterEndings, AllThreeEndWithinASecondMidStepAndLeaveNoFile) {
    std::string err;
    pid_t program = proc::spawn("/bin/sleep", {"600"}, "/", &err);
    ASSERT_GT(program, 0) << err;
    rig_.set("Settings", "Program PID", std::to_string(program));
    ASSERT_TRUE(rig_.start_all());

    auto j = job("1", 2, 5);
    j["Blocks"] = "1";
    j["Write"] = "0";
    rig_.write_job(j);
    // The heavy step: all three testers are reading.
    ASSERT_TRUE(TesterRig::wait_for([&] { return rig_.tester_function() == "R1.2"; }, 60s));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(fs::exists(test_file()));

    auto start = Clock::now();
    switch (GetParam()) {
        case Ending::RunStatus2:
            rig_.set("Settings", "Run Status", "2");
            break;
        case Ending::Sigterm:
            for (int n = 1; n <= 3; ++n) ::kill(rig_.pid(n), SIGTERM);
            break;
        case Ending::ProgramGone:
            ::kill(program, SIGKILL);
            break;
    }
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(wait_exit(rig_.pid(n), 1s)) << "tester " << n;
        rig_.forget(n);
    }
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_LE(took.count(), 1000);
    EXPECT_FALSE(fs::exists(test_file()));
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(rig_.get("Status", "Program " + std::to_string(n)), "0");
    EXPECT_NE(rig_.get("Hard Drive Test 1", "Finished"), "1");
    ::kill(program, SIGKILL);
    wait_exit(program, 2s);
}

INSTANTIATE_TEST_SUITE_P(Each, TesterEndings,
                         ::testing::Values(Ending::RunStatus2, Ending::Sigterm,
                                           Ending::ProgramGone),
                         [](const auto& info) {
                             switch (info.param) {
                                 case Ending::RunStatus2:
                                     return std::string("RunStatus2");
                                 case Ending::Sigterm:
                                     return std::string("Sigterm");
                                 default:
                                     return std::string("ProgramGone");
                             }
                         });

TEST_F(TesterE2E, CancelStopsTheJobButKeepsTheTestersForTheNext) {
    ASSERT_TRUE(rig_.start_all());
    rig_.write_job(job("1", 1, 30));
    ASSERT_TRUE(TesterRig::wait_for([&] { return !rig_.tester_function().empty(); }, 30s));
    // The test window closes.
    rig_.set("Settings", "Open Test", "1");
    rig_.set("Settings", "Run Status", "1");
    EXPECT_TRUE(TesterRig::wait_for(
        [&] { return rig_.tester_function().empty() && !fs::exists(test_file()); }, 1s));
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(::kill(rig_.pid(n), 0), 0) << "tester " << n;
    EXPECT_NE(rig_.get("Hard Drive Test 1", "Finished"), "1");

    // The next test runs as usual.
    auto j = job("2", 0, 1);
    j["Write"] = "0";
    j["Blocks"] = "B";
    rig_.write_job(j);
    EXPECT_TRUE(
        TesterRig::wait_for([&] { return rig_.get("Hard Drive Test 1", "Finished") == "1"; }, 30s));
}

TEST_F(TesterE2E, KilledTesterLeavesNoFileAfterTheNextStart) {
    ASSERT_TRUE(rig_.start_all());
    rig_.write_job(job("1", 0, 30));
    ASSERT_TRUE(TesterRig::wait_for([&] { return !rig_.tester_function().empty(); }, 30s));
    ::kill(rig_.pid(1), SIGKILL);
    ASSERT_TRUE(wait_exit(rig_.pid(1), 2s));
    rig_.forget(1);
    ASSERT_TRUE(fs::exists(test_file())) << "the kill should have left the file";

    ASSERT_TRUE(rig_.start(1));
    EXPECT_TRUE(TesterRig::wait_for([&] { return !fs::exists(test_file()); }, 1s));
    EXPECT_FALSE(fs::exists(rig_.work() / "LOADWorker.files"));
}

TEST_F(TesterE2E, RefusedRawOpenDoesNoIoAndSaysWhy) {
    // These machines refuse a raw open of the system disk even to root.
    const char* device = "/dev/vda";
    int probe = ::open(device, O_RDONLY | O_DIRECT);
    if (probe >= 0) ::close(probe);
    if (probe >= 0 || (errno != EPERM && errno != EACCES))
        GTEST_SKIP() << device << " is not refused here";
    ASSERT_TRUE(rig_.start_all());
    auto before = process_io(rig_.pid(1));
    auto j = job("2", 0, 1);
    j["Write"] = "0";
    j["Device"] = device;
    rig_.write_job(j);
    ASSERT_TRUE(
        TesterRig::wait_for([&] { return !rig_.get("Hard Drive Test 1", "Error").empty(); }, 5s));
    EXPECT_NE(rig_.get("Hard Drive Test 1", "Error").find(device), std::string::npos);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(rig_.get("Hard Drive Test 1", "Finished"), "0");
    EXPECT_EQ(rig_.tester_function(), "");
    EXPECT_LT(process_io(rig_.pid(1))["rchar"] - before["rchar"], 1 << 20);
    EXPECT_FALSE(fs::exists(test_file()));
}

}  // namespace
}  // namespace bw
