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
#include <tuple>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/ToolFiles.h"
#include "core/modGeneral.h"
#include "platform/Processes.h"
#include "support/fakes.h"
#include "support/scratch_device.h"
#include "tester/Job.h"
#include "tester/Transfer.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Keys = std::map<std::string, std::string>;

// /proc/PID/io as numbers.
std::map<std::string, long long> process_io(pid_t pid) {
    std::map<std::string, long long> io;
    std::ifstream in("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value;
    while (in >> key >> value) io[key.substr(0, key.size() - 1)] = value;
    return io;
}

// True once `done` holds, false when `limit` passes first.
template <typename Pred>
bool wait_for(Pred done, Clock::duration limit, Clock::duration poll = 20ms) {
    const auto give_up = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= give_up) return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

// Reaps a child; true when it ended within `limit`. Polled finely: endings are timed.
bool wait_exit(pid_t pid, Clock::duration limit) {
    return wait_for(
        [&] {
            pid_t r = ::waitpid(pid, nullptr, WNOHANG);
            return r == pid || (r < 0 && errno == ECHILD);
        },
        limit, 5ms);
}

class TesterE2E : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (test::scratch_unavailable().empty())
            zram_ =
                std::make_unique<test::ScratchZram>(test::ScratchZram::Options{256, "ext4", true});
    }
    static void TearDownTestSuite() { zram_.reset(); }

    // The working folder as the program's start-up leaves it.
    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        ASSERT_TRUE(zram_ && zram_->ok()) << (zram_ ? zram_->error() : "no zram");
        app().working_folder = work_.path();
        ToolFileResult r = WriteLOADWorker();
        ASSERT_TRUE(r.ok()) << r.error;
        EnsureTesterCopies();
        set("Settings", "Run Status", "0");
        set("Settings", "Program PID", std::to_string(::getpid()));
        for (int n = 1; n <= 3; ++n) {
            set("Status", "Program " + std::to_string(n), "0");
            set("Hard Drive Test " + std::to_string(n), "Run", "0");
        }
    }
    void TearDown() override {
        set("Settings", "Run Status", "2");
        for (pid_t pid : pids_)
            if (pid > 0 && !wait_exit(pid, 2s)) {
                ::kill(pid, SIGKILL);
                wait_exit(pid, 2s);
            }
        app() = saved_;
    }

    fs::path ini() const { return work_ / "DariDozodaz.dat"; }
    fs::path test_file() const { return zram_->mount_point() / "TestB.tmp"; }
    std::string get(const std::string& section, const std::string& key) const {
        return ReadINI(ini(), section, key);
    }
    void set(const std::string& section, const std::string& key, const std::string& value) {
        WriteINI(ini(), section, key, value);
    }
    std::string job_value(const char* key) const { return get("Hard Drive Test 1", key); }
    bool finished() const { return job_value("Finished") == "1"; }
    pid_t& pid(int n) { return pids_[static_cast<size_t>(n - 1)]; }

    // Starts tester n as the program does and waits for it to report in.
    bool start(int n) {
        const std::string name =
            n == 1 ? "LOADWorker.exe" : "LOADWorker" + std::to_string(n) + ".exe";
        std::string err;
        pid(n) = proc::spawn(work_ / name, {"-R"}, work_.path(), &err);
        return pid(n) > 0 &&
               wait_for([&] { return get("Status", "Program " + std::to_string(n)) == "1"; }, 5s);
    }
    bool start_all() { return start(1) && start(2) && start(3); }

    // The keys of the test window in its order, "Run" last: blocks 1 and 4, read and write, on the
    // zram disk, but for what `keys` says.
    void write_job(const char* type, int multi, int seconds, Keys keys = {}) {
        const std::string window[][2] = {{"Drive", "D"},
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
        set("Settings", "Open Test", "1");
        for (int n = 1; n <= 3; ++n) set("Hard Drive Test " + std::to_string(n), "Finished", "0");
        set("Settings", "Run Status", "0");
        for (const auto& [key, value] : window)
            set("Hard Drive Test 1", key, keys.insert({key, value}).first->second);
        set("Hard Drive Test 1", "Run", "1");
    }

    // The step under test as the program decodes [Tester Function]: "R4.1" = reading block 4 at
    // level 1; "" when idle. The four keys are read one by one, so a read that spans a change of
    // step could mix two steps: a value counts once two readings in a row agree.
    std::string tester_function() const {
        auto once = [&] {
            for (std::string side : {"Reading", "Writing"})
                if (auto block = get("Tester Function", side + " Block"); Val(block) > 0)
                    return side[0] + block + "." + get("Tester Function", "Multi-Task " + side);
            return std::string();
        };
        for (std::string last = once(), now;; last = now)
            if ((now = once()) == last) return now;
    }

    static std::unique_ptr<test::ScratchZram> zram_;
    test::TempDir work_;
    AppState saved_ = app();
    std::array<pid_t, 3> pids_{};
};

std::unique_ptr<test::ScratchZram> TesterE2E::zram_;

class TesterJobs : public TesterE2E,
                   public ::testing::WithParamInterface<std::tuple<const char*, int>> {};

TEST_P(TesterJobs, RunToFinishedInOrderWithRealIo) {
    const auto [type, multi] = GetParam();
    ASSERT_TRUE(start_all());
    std::array<std::map<std::string, long long>, 3> before;
    for (int n = 1; n <= 3; ++n) before[n - 1] = process_io(pid(n));

    write_job(type[0] == 'F' ? "1" : "2", multi, 1);
    std::string seen, last;
    ASSERT_TRUE(wait_for(
        [&] {
            if (std::string step = tester_function(); !step.empty() && step != last)
                seen += (last = step) + " ";
            return finished();
        },
        120s))
        << test::read_file(ini());
    EXPECT_EQ(job_value("Error"), "");
    EXPECT_EQ(tester_function(), "");

    // Read side, then write; per side the single test, the lite test from level 1, then the heavy
    // test (level 2) or the heavy test with the other side (level 3); per level the blocks in
    // order.
    const char* kSteps[] = {"R1.0 R4.0 W1.0 W4.0 ", "R1.0 R4.0 R1.1 R4.1 W1.0 W4.0 W1.1 W4.1 ",
                            "R1.0 R4.0 R1.1 R4.1 R1.2 R4.2 W1.0 W4.0 W1.1 W4.1 W1.2 W4.2 ",
                            "R1.0 R4.0 R1.1 R4.1 R1.3 R4.3 W1.0 W4.0 W1.1 W4.1 W1.3 W4.3 "};
    EXPECT_EQ(seen, kSteps[multi]) << test::read_file(ini());

    // Every tester that had a part moved data both ways, through pread/pwrite; the others none.
    for (int n = 1; n <= 3; ++n) {
        auto after = process_io(pid(n));
        auto moved = [&](const char* key) { return after[key] - before[n - 1][key]; };
        const bool busy = n <= multi + 1;
        for (const char* key : {"rchar", "wchar"})
            EXPECT_TRUE(busy ? moved(key) > 16 << 20 : moved(key) < 1 << 20)
                << "tester " << n << " " << key << " " << moved(key);
        EXPECT_TRUE(!busy || moved("syscw") > 1000) << "tester " << n << " " << moved("syscw");
    }
    EXPECT_FALSE(fs::exists(test_file()));
    EXPECT_FALSE(fs::exists(work_ / "LOADWorker.files"));
}

INSTANTIATE_TEST_SUITE_P(EachTypeAndLevel, TesterJobs,
                         ::testing::Combine(::testing::Values("Functional", "Performance"),
                                            ::testing::Range(0, 4)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + std::string("Multi") +
                                    std::to_string(std::get<1>(info.param));
                         });

class TesterEndings : public TesterE2E, public ::testing::WithParamInterface<const char*> {};

TEST_P(TesterEndings, AllThreeEndWithinASecondMidStepAndLeaveNoFile) {
    std::string err;
    pid_t program = proc::spawn("/bin/sleep", {"600"}, "/", &err);
    ASSERT_GT(program, 0) << err;
    set("Settings", "Program PID", std::to_string(program));
    ASSERT_TRUE(start_all());

    // The heavy step: all three testers are reading.
    write_job("1", 2, 5, {{"Blocks", "1"}, {"Write", "0"}});
    ASSERT_TRUE(wait_for([&] { return tester_function() == "R1.2"; }, 60s));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(fs::exists(test_file()));

    const auto start = Clock::now();
    const std::string how = GetParam();
    if (how == "RunStatus2") set("Settings", "Run Status", "2");
    for (int n = 1; n <= 3 && how == "Sigterm"; ++n) ::kill(pid(n), SIGTERM);
    if (how == "ProgramGone") ::kill(program, SIGKILL);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(wait_exit(pid(n), 1s)) << "tester " << n;
        pid(n) = 0;
    }
    EXPECT_LE(Clock::now() - start, 1s);
    EXPECT_FALSE(fs::exists(test_file()));
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(get("Status", "Program " + std::to_string(n)), "0");
    EXPECT_FALSE(finished());
    ::kill(program, SIGKILL);
    wait_exit(program, 2s);
}

INSTANTIATE_TEST_SUITE_P(Each, TesterEndings,
                         ::testing::Values("RunStatus2", "Sigterm", "ProgramGone"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(TesterE2E, CancelStopsTheJobButKeepsTheTestersForTheNext) {
    ASSERT_TRUE(start_all());
    write_job("1", 1, 30);
    ASSERT_TRUE(wait_for([&] { return !tester_function().empty(); }, 30s));
    // The test window closes.
    set("Settings", "Open Test", "1");
    set("Settings", "Run Status", "1");
    EXPECT_TRUE(
        wait_for([&] { return tester_function().empty() && !fs::exists(test_file()); }, 1s));
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(::kill(pid(n), 0), 0) << "tester " << n;
    EXPECT_FALSE(finished());

    // The next test runs as usual.
    write_job("2", 0, 1, {{"Write", "0"}, {"Blocks", "B"}});
    EXPECT_TRUE(wait_for([&] { return finished(); }, 30s));
}

TEST_F(TesterE2E, KilledTesterLeavesNoFileAfterTheNextStart) {
    ASSERT_TRUE(start_all());
    write_job("1", 0, 30);
    ASSERT_TRUE(wait_for([&] { return !tester_function().empty(); }, 30s));
    ::kill(pid(1), SIGKILL);
    ASSERT_TRUE(wait_exit(pid(1), 2s));
    ASSERT_TRUE(fs::exists(test_file())) << "the kill should have left the file";

    ASSERT_TRUE(start(1));
    EXPECT_TRUE(wait_for([&] { return !fs::exists(test_file()); }, 1s));
    EXPECT_FALSE(fs::exists(work_ / "LOADWorker.files"));
}

// A multi-task step measured by fewer testers than it claims is a false figure: a helper that is
// not running when its step comes, or that ends during it, ends the job with an Error naming it
// within two seconds of the step that needed it.
class HelperLost : public TesterE2E, public ::testing::WithParamInterface<const char*> {};

TEST_P(HelperLost, EndsTheJobWithAnErrorNamingIt) {
    const std::string how = GetParam();
    ASSERT_TRUE(start_all());
    auto lose_tester_3 = [&] {
        ::kill(pid(3), how == "SigtermDuring" ? SIGTERM : SIGKILL);
        ASSERT_TRUE(wait_exit(pid(3), 2s));
        pid(3) = 0;
    };
    if (how == "KilledBefore") lose_tester_3();
    const int seconds = how == "KilledBefore" ? 1 : 5;
    write_job("1", 2, seconds, {{"Blocks", "1"}, {"Write", "0"}});

    // The step that needs tester 3 is the heavy one, R1.2, after the lite one, R1.1.
    Clock::time_point needed;
    if (how == "KilledBefore") {
        ASSERT_TRUE(wait_for([&] { return tester_function() == "R1.1"; }, 60s));
        needed = Clock::now() + std::chrono::seconds(seconds);
    } else {
        ASSERT_TRUE(wait_for([&] { return tester_function() == "R1.2"; }, 60s));
        std::this_thread::sleep_for(300ms);
        needed = Clock::now();
        lose_tester_3();
    }
    ASSERT_TRUE(wait_for([&] { return !job_value("Error").empty(); }, 10s))
        << test::read_file(ini());
    EXPECT_LE(Clock::now() - needed, 2s);
    EXPECT_NE(job_value("Error").find("LOADWorker3.exe"), std::string::npos) << job_value("Error");
    EXPECT_TRUE(wait_for([&] { return !fs::exists(test_file()); }, 2s));
    EXPECT_FALSE(finished());
    EXPECT_EQ(::kill(pid(1), 0), 0) << "tester 1 stays for the next job";
}

INSTANTIATE_TEST_SUITE_P(Each, HelperLost,
                         ::testing::Values("KilledBefore", "KilledDuring", "SigtermDuring"),
                         [](const auto& info) { return std::string(info.param); });

// A helper takes from its "Part" only the job's own test file or device, and a region inside it:
// another file is neither written nor grown, and the helper says why it refused.
TEST_F(TesterE2E, HelperRefusesAPartOutsideTheJobAndLeavesTheFileAlone) {
    ASSERT_TRUE(start(2));
    // The job's keys, as the program writes them; without the first tester nothing runs it.
    write_job("1", 1, 1);
    const fs::path victim = zram_->mount_point() / "victim.dat";
    const std::string kept(1 << 20, 'v');
    const struct {
        const char* name;
        fs::path target;
        std::uint64_t offset;
        const char* reason;
    } cases[] = {
        {"another file", victim, 0, "neither the job's test file"},
        {"another file far out", victim, 1ull << 40, "neither the job's test file"},
        {"past the test file's end", test_file(), 1ull << 40, "holds only"},
        {"a test file that is another's name", test_file(), 0, "hard link"},
    };
    int serial = 0;
    for (const auto& c : cases) {
        test::write_file(victim, kept);
        fs::remove(test_file());
        if (std::string(c.name) == "a test file that is another's name")
            fs::create_hard_link(victim, test_file());
        else
            test::write_file(test_file(), kept);
        const std::string step = "refused." + std::to_string(++serial);
        tester::Part part{step,
                          Side::Write,
                          {c.offset, 1 << 20},
                          4096,
                          tester::monotonic_ms() + 3000,
                          c.target.string()};
        set("Hard Drive Test 2", "Part", tester::encode_part(part));
        ASSERT_TRUE(wait_for([&] { return get("Hard Drive Test 2", "Done") == step; }, 5s))
            << c.name;
        const std::string error = get("Hard Drive Test 2", "Error");
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(fs::file_size(victim), kept.size()) << c.name;
        EXPECT_EQ(test::read_file(victim), kept) << c.name;
        EXPECT_EQ(fs::file_size(test_file()), kept.size()) << c.name;
    }
    fs::remove(victim);
    fs::remove(test_file());
}

// What another user planted in the working folder before it was made private does not steer the
// first tester: a record it did not write deletes nothing, a working file it did not write is not
// used at all.
class Planted : public TesterE2E, public ::testing::WithParamInterface<const char*> {};

TEST_P(Planted, LeavesTheVictimsFileInPlace) {
    const std::string what = GetParam();
    const fs::path folder = zram_->mount_point() / "victim";
    fs::create_directories(folder);
    const fs::path victim = folder / "TestB.tmp";
    test::write_file(victim, "keep");
    const fs::path record = work_ / "LOADWorker.files";
    test::write_file(record, victim.string() + "\n");
    fs::permissions(record, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path planted = what == "Record" ? record : ini();
    ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);

    std::string err;
    pid(1) = proc::spawn(work_ / "LOADWorker.exe", {"-R"}, work_.path(), &err);
    ASSERT_GT(pid(1), 0) << err;
    if (what == "Record") {
        ASSERT_TRUE(wait_for([&] { return get("Status", "Program 1") == "1"; }, 5s));
        EXPECT_TRUE(wait_for([&] { return !fs::exists(record); }, 2s));
    } else {
        // The tester refuses to start on a working file it cannot trust.
        EXPECT_TRUE(wait_exit(pid(1), 2s));
        pid(1) = 0;
        EXPECT_EQ(get("Status", "Program 1"), "0");
    }
    EXPECT_EQ(test::read_file(victim), "keep");
    ::chown(planted.c_str(), 0, 0);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Each, Planted, ::testing::Values("Record", "WorkingFile"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(TesterE2E, RefusedRawOpenDoesNoIoAndSaysWhy) {
    // These machines refuse a raw open of the system disk even to root.
    const char* device = "/dev/vda";
    int probe = ::open(device, O_RDONLY | O_DIRECT);
    if (probe >= 0) ::close(probe);
    if (probe >= 0 || (errno != EPERM && errno != EACCES))
        GTEST_SKIP() << device << " is not refused here";
    ASSERT_TRUE(start_all());
    auto before = process_io(pid(1));
    write_job("2", 0, 1, {{"Write", "0"}, {"Device", device}});
    ASSERT_TRUE(wait_for([&] { return !job_value("Error").empty(); }, 5s));
    EXPECT_NE(job_value("Error").find(device), std::string::npos);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(job_value("Finished"), "0");
    EXPECT_EQ(tester_function(), "");
    EXPECT_LT(process_io(pid(1))["rchar"] - before["rchar"], 1 << 20);
    EXPECT_FALSE(fs::exists(test_file()));
}

}  // namespace
}  // namespace bw

namespace bw {
namespace {

// A job that cannot start says what is in its way, not what that led to ("not enough free
// space", "File exists").
TEST_F(TesterE2E, JobThatCannotStartSaysWhatIsWrong) {
    ASSERT_TRUE(start_all());
    const fs::path missing = zram_->mount_point() / "no such folder";
    const struct {
        const char* what;
        std::function<void()> plant;
        Keys keys;
        std::string says;
    } cases[] = {
        {"missing test folder", [] {}, {{"Test Folder", missing.string()}},
         "The test folder " + missing.string() + " does not exist."},
        {"symlink at the test file",
         [&] { fs::create_symlink(work_ / "victim", test_file()); }, {},
         test_file().string() + " is a symbolic link"},
    };
    for (const auto& c : cases) {
        c.plant();
        set("Hard Drive Test 1", "Error", "");
        write_job("1", 0, 1, c.keys);
        ASSERT_TRUE(wait_for([&] { return !job_value("Error").empty(); }, 5s)) << c.what;
        EXPECT_NE(job_value("Error").find(c.says), std::string::npos)
            << c.what << ": " << job_value("Error");
        EXPECT_FALSE(fs::exists(work_ / "victim")) << c.what;
        fs::remove(test_file());
    }
}

}  // namespace
}  // namespace bw
