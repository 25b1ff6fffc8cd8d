// The main test end to end through brantwell-cli: real testers, real counters, on a zram RAM disk
// and a loop device with ext4 that the tests make and remove. Two blocks of two seconds, read and
// write, each multi-task level, Functional and Performance; then the faults a user meets.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "core/TesterProtocol.h"
#include "support/cli.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kSeconds = 2;
constexpr const char* kBlocks = "12";

// The run's private working and program folders, so a user's own settings are never touched.
struct Folders {
    test::TempDir work, home;
    Folders() {
        ::setenv("TEMP", work.path().c_str(), 1);
        ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
    }
    ~Folders() {
        ::unsetenv("TEMP");
        ::unsetenv("BRANTWELL_HOME");
    }
};

// The letter the program gives the volume mounted at `mount`.
std::string letter_of(const fs::path& mount) { return test::cli_letter_of(mount); }

std::vector<std::string> test_args(const std::string& drive, int multi, int type,
                                   std::vector<std::string> more = {}) {
    std::vector<std::string> a = {"test",     "--drive",       drive,
                                  "--multi",  std::to_string(multi),
                                  "--type",   std::to_string(type),
                                  "--blocks", kBlocks,
                                  "--seconds", std::to_string(kSeconds),
                                  "--ignore-usage", "--yes"};
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

// Test types a run of `multi` on both sides fills: the single test, Lite from level 1, then Heavy
// (level 2) or Heavy with the other side (level 3).
std::set<int> expected_types(int multi) {
    static const std::vector<std::vector<int>> kLevels = {{0}, {0, 1}, {0, 1, 2}, {0, 1, 3}};
    std::set<int> types;
    for (Side side : {Side::Read, Side::Write})
        for (int level : kLevels[static_cast<size_t>(multi)]) types.insert(test_type(side, level)->number);
    return types;
}

class MainTestCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!test::scratch_unavailable().empty()) return;
        zram_ = std::make_unique<test::ScratchZram>(test::ScratchZram::Options{1024, "ext4", true});
        loop_ = std::make_unique<test::ScratchLoop>(
            test::ScratchLoop::Options{900, 512, {}, "ext4", true});
    }
    static void TearDownTestSuite() {
        zram_.reset();
        loop_.reset();
    }
    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        ASSERT_TRUE(zram_ && zram_->ok()) << (zram_ ? zram_->error() : "");
        ASSERT_TRUE(loop_ && loop_->ok()) << (loop_ ? loop_->error() : "");
    }
    void TearDown() override {
        if (!zram_ || !loop_) return;
        // Nothing of the run is left running or lying on the drives.
        EXPECT_TRUE(test::running_from(folders_.work.path(), "LOADWorker.exe").empty());
        for (const fs::path& m : {zram_->mount_point(), loop_->mounts().front()})
            EXPECT_FALSE(fs::exists(m / "TestB.tmp")) << m;
    }

    void run_matrix_case(const fs::path& mount, int multi, int type) {
        const std::string drive = letter_of(mount);
        ASSERT_FALSE(drive.empty()) << "no letter for " << mount;
        const auto r = test::run_cli(test_args(drive, multi, type, {"--read", "--write", "--json"}),
                                     300s);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto j = nlohmann::json::parse(r.out, nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << r.out;
        std::set<std::pair<int, std::string>> seen;
        for (const auto& row : j["results"]) {
            const int t = row["type"];
            const std::string block = row["block"];
            const std::string what = std::to_string(t) + " " + block + " " + row["side"].get<std::string>();
            // One sample a second while the block runs (a tick may fall either side of its ends).
            EXPECT_GE(row["sample_count"].get<int>(), kSeconds - 1) << what;
            EXPECT_LE(row["sample_count"].get<int>(), kSeconds + 2) << what;
            EXPECT_EQ(row["throughput_bytes_per_s"].size(), row["sample_count"].get<size_t>()) << what;
            EXPECT_GT(row["peak_throughput_bytes_per_s"].get<double>(), 0) << what;
            EXPECT_GT(row["peak_tester_ops_per_s"].get<double>(), 0) << what;
            EXPECT_TRUE(block == "4KB" || block == "8KB") << what;
            const bool own_side = row["side"] == (kTestTypes[t - 1].side == Side::Read ? "read" : "write");
            if (own_side) seen.insert({t, block});
        }
        std::set<std::pair<int, std::string>> expected;
        for (int t : expected_types(multi))
            for (const char* b : {"4KB", "8KB"}) expected.insert({t, b});
        EXPECT_EQ(seen, expected) << r.out;
        EXPECT_GT(j["peak_read_bytes_per_s"].get<double>(), 0);
        EXPECT_GT(j["peak_write_bytes_per_s"].get<double>(), 0);
        // The report of the run, and its result files written without an error.
        EXPECT_NE(j["report"]["overall_text"].get<std::string>().find("Peak Overall Rating is "),
                  std::string::npos);
        EXPECT_TRUE(j["files"]["errors"].empty()) << j["files"].dump();
        bool peak_file = false;
        for (const auto& f : j["files"]["written"])
            peak_file |= f.get<std::string>().ends_with("/PeakResults.Dat");
        EXPECT_TRUE(peak_file) << j["files"].dump();
    }

    Folders folders_;
    static std::unique_ptr<test::ScratchZram> zram_;
    static std::unique_ptr<test::ScratchLoop> loop_;
};
std::unique_ptr<test::ScratchZram> MainTestCli::zram_;
std::unique_ptr<test::ScratchLoop> MainTestCli::loop_;

// Each multi-task level with both test types on the RAM disk; the loop device with the single
// test and the heaviest level.
TEST_F(MainTestCli, ZramEveryLevelAndType) {
    for (int multi = 0; multi <= 3; ++multi)
        for (int type : {1, 2}) {
            SCOPED_TRACE("zram multi " + std::to_string(multi) + " type " + std::to_string(type));
            run_matrix_case(zram_->mount_point(), multi, type);
        }
}

TEST_F(MainTestCli, LoopSingleAndHeaviestLevel) {
    for (int multi : {0, 3})
        for (int type : {1, 2}) {
            SCOPED_TRACE("loop multi " + std::to_string(multi) + " type " + std::to_string(type));
            run_matrix_case(loop_->mounts().front(), multi, type);
        }
}

// A tester that refuses the job is shown at once with its reason: here the system disk, which
// these machines will not open raw.
TEST_F(MainTestCli, RefusedRawOpenIsShownWithItsReason) {
    const auto r = test::run_cli({"test", "--drive", "C:", "--read", "--type", "2", "--blocks", "1",
                                  "--seconds", "1", "--ignore-usage", "--yes"},
                                 120s);
    // The command line asks the system before it starts the testers: the refusal's own reason,
    // and the status of a refused device.
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("to read the drive directly ("), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Either the Block Size is too Large"), std::string::npos) << r.err;
}

// Without --yes and without a terminal to ask, the start's questions get the answer of the
// window's default button, said with their text: too little room for a write test runs the read
// test alone.
TEST_F(MainTestCli, QuestionsWithoutATerminalGetTheDefaultAnswerAndSaySo) {
    const std::string drive = letter_of(zram_->mount_point());
    // Fill the RAM disk so a write test has too little room.
    const fs::path filler = zram_->mount_point() / "filler";
    ASSERT_EQ(test::run_shell("fallocate -l 700M " + filler.string()), 0);
    const auto r = test::run_cli({"test", "--drive", drive, "--write", "--blocks", "1",
                                  "--seconds", "1", "--ignore-usage"},
                                 120s);
    fs::remove(filler);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Free Space: " + drive.substr(0, 2) +
                         " Drive does not contain enough free space for a write test, Would you "
                         "like to run just a Read Test? [answered Yes: the default, no terminal "
                         "to ask]"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Test of " + drive.substr(0, 2)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(": read, multi-task level 0, blocks 4KB, "), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Peak Overall Rating is "), std::string::npos) << r.out;
}

TEST_F(MainTestCli, BadFlagsAreRefusedClearly) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"test", "--drive", "Q:"}, "Q: is not a drive of this machine's drive list"},
        {{"test", "--drive", "D:", "--blocks", "1X"}, "'X' is not a block code"},
        {{"test", "--drive", "12"}, "--drive takes a drive letter"},
        {{"test", "--drive", "D:", "--multi", "4"}, "--multi"},
    };
    for (const auto& c : cases) {
        const auto r = test::run_cli(c.args, 120s);
        EXPECT_NE(r.status, 0) << c.says;
        EXPECT_NE((r.err + r.out).find(c.says), std::string::npos) << r.err << r.out;
    }
}

// Faults while the testers run: the first tester killed, a helper killed, a second start.
TEST_F(MainTestCli, FaultsDuringARunEndItWithTheirMessage) {
    const std::string drive = letter_of(zram_->mount_point());
    const fs::path work = folders_.work.path();
    struct Fault {
        const char* tester;  // killed once the testers work; "" for none
        bool second_start;
        int multi;
        const char* says;
    };
    const Fault faults[] = {
        {"LOADWorker.exe", false, 0, "LOADWorker.exe is no longer running"},
        {"LOADWorker2.exe", false, 1, "The test could not run: "},
        {"", true, 0, "Brantwell is already running for this user"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.says);
        auto run = std::async(std::launch::async, [&] {
            return test::run_cli(test_args(drive, f.multi, 2, {"--read"}), 120s);
        });
        // Wait for the testers to report a step.
        bool working = false;
        for (int i = 0; i < 300 && !working; ++i) {
            std::this_thread::sleep_for(100ms);
            std::ifstream in(work / "DariDozodaz.dat");
            std::string text((std::istreambuf_iterator<char>(in)), {});
            working = text.find("Multi-Task Reading=" + std::to_string(f.multi)) !=
                          std::string::npos &&
                      text.find("Reading Block=1") != std::string::npos;
        }
        ASSERT_TRUE(working) << "the testers never started a step";
        std::string second_err;
        if (f.second_start) {
            const auto second = test::run_cli(test_args(drive, 0, 2, {"--read"}), 60s);
            EXPECT_EQ(second.status, 1);
            second_err = second.err;
        } else {
            for (pid_t pid : test::running_from(work, f.tester)) ::kill(pid, SIGKILL);
        }
        const auto r = run.get();
        if (f.second_start) {
            EXPECT_EQ(r.status, 0) << r.err;  // the first run goes on
            EXPECT_NE(second_err.find(f.says), std::string::npos) << second_err;
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(f.says), std::string::npos) << r.err;
        }
    }
}

// A disk whose statistics the kernel no longer keeps leaves the program without its counters
// (basic-test-only mode): the main test says so instead of measuring zeros.
TEST_F(MainTestCli, CountersUnavailableRefuseTheMainTest) {
    const std::string drive = letter_of(loop_->mounts().front());
    const fs::path iostats = "/sys/block/" + loop_->name() + "/queue/iostats";
    ASSERT_EQ(test::run_shell("echo 0 > " + iostats.string()), 0);
    struct Restore {
        fs::path p;
        ~Restore() { test::run_shell("echo 1 > " + p.string()); }
    } restore{iostats};
    const auto r = test::run_cli(test_args(drive, 0, 2, {"--read"}), 120s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the disk counters this test reads are not available; only the basic "
                         "test can run"),
              std::string::npos)
        << r.err;
}

// The drive unmounted (lazily) and its loop device detached while the testers work: the kernel
// keeps both while the test file is open, so the run ends normally with its results, and the
// device goes away afterwards with nothing left behind. No hang, no error to invent.
TEST_F(MainTestCli, DriveUnmountedAndDetachedMidTestEndsNormally) {
    test::TempDir scratch;
    const fs::path image = scratch / "disk.img", mount = scratch / "mnt";
    std::string device;
    ASSERT_EQ(test::run_shell("truncate -s 900M " + image.string() + " && mkfs.ext4 -q -F " +
                              image.string() + " && mkdir " + mount.string()),
              0);
    ASSERT_EQ(test::run_shell("losetup -f --show " + image.string(), &device), 0);
    device = device.substr(0, device.find('\n'));
    // Whatever happens below, only what this test made is undone.
    struct Undo {
        fs::path image, mount;
        ~Undo() {
            test::run_shell("umount " + mount.string() + " 2>/dev/null");
            std::string left;
            test::run_shell("losetup -j " + image.string() + " | cut -d: -f1", &left);
            if (!left.empty()) test::run_shell("losetup -d " + left);
        }
    } undo{image, mount};
    ASSERT_EQ(test::run_shell("mount " + device + " " + mount.string()), 0);
    const std::string drive = letter_of(mount);
    ASSERT_FALSE(drive.empty());
    auto run = std::async(std::launch::async, [&] {
        return test::run_cli(test_args(drive, 0, 1, {"--read", "--write", "--json"}), 120s);
    });
    const fs::path ini = folders_.work.path() / "DariDozodaz.dat";
    bool working = false;
    for (int i = 0; i < 600 && !working; ++i) {
        std::this_thread::sleep_for(50ms);
        std::ifstream in(ini);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        working = text.find("Reading Block=2") != std::string::npos;
    }
    ASSERT_TRUE(working);
    EXPECT_EQ(test::run_shell("umount -l " + mount.string() + " && losetup -d " + device), 0);
    const auto r = run.get();
    EXPECT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out;
    EXPECT_GT(j["peak_write_bytes_per_s"].get<double>(), 0);
    std::string left;
    for (int i = 0; i < 50; ++i) {  // the device is released once the testers let go
        test::run_shell("losetup -j " + image.string(), &left);
        if (left.empty()) break;
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(left, "");
}

// The drive fills up while the testers lay out the write test's file: the run ends at once with
// the tester's reason, and the half-written test file is gone.
TEST_F(MainTestCli, DriveFillingUpDuringTheWriteTestSaysSo) {
    const std::string drive = letter_of(zram_->mount_point());
    const fs::path filler = zram_->mount_point() / "filler";
    auto run = std::async(std::launch::async, [&] {
        return test::run_cli(test_args(drive, 0, 1, {"--write"}), 120s);
    });
    // As soon as the testers start laying out their file, take all but a little of the room
    // that the checks saw.
    bool filled = false;
    for (int i = 0; i < 6000 && !filled; ++i) {
        std::this_thread::sleep_for(5ms);
        if (!fs::exists(zram_->mount_point() / "TestB.tmp")) continue;
        const auto space = fs::space(zram_->mount_point());
        filled = test::run_shell("fallocate -l " + std::to_string(space.available - (16 << 20)) +
                                 " " + filler.string()) == 0;
    }
    const auto r = run.get();
    fs::remove(filler);
    ASSERT_TRUE(filled) << r.err;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The test could not run: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace bw
