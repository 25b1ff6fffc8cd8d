// The basic test and the quick read baseline on devices the test makes (root): a zram disk and
// a loop device, each with a mounted ext4. Through brantwell-cli: a run with its figures and no
// test file left; Ctrl-C in the write test ends it within a second or two and removes the file; a
// disk without room for the write test is refused before anything is written; a raw open that
// is refused says why instead of hanging. The start-up step: each drive's baseline is written
// once and the main window's colours follow it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "core/AppState.h"
#include "core/MainOptions.h"
#include "core/Startup.h"
#include "drives/DriveStartup.h"
#include "drives/VolumeMap.h"
#include "platform/SystemQuery.h"
#include "standalone/Baseline.h"
#include "support/cli.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

using nlohmann::json;

class BasicE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::string why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        ::setenv("BRANTWELL_HOME", home_.path().c_str(), 1);
        ::setenv("TEMP", work_.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("BRANTWELL_HOME");
        ::unsetenv("TEMP");
    }

    // The letter brantwell-cli gives the volume mounted at `mount`.
    std::string letter_of(const std::filesystem::path& mount) {
        const test::CliRun drives = test::run_cli({"drives", "--json"});
        EXPECT_EQ(drives.status, 0) << drives.err;
        const json j = json::parse(drives.out);
        for (const auto& v : j["volumes"])
            if (v["mount_point"] == mount.string()) return v["letter"].get<std::string>() + ":";
        ADD_FAILURE() << mount << " got no letter:\n" << drives.out;
        return "";
    }

    test::TempDir home_, work_;
};

TEST_F(BasicE2e, ARunOnZramGivesFiguresAndLeavesNoTestFile) {
    test::ScratchZram zram({1024, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    const std::string letter = letter_of(zram.mount_point());
    const test::CliRun run = test::run_cli(
        {"basic", "--drive", letter, "--blocks", "15", "--seconds", "2", "--source", "2", "--json"},
        std::chrono::seconds(60));
    ASSERT_EQ(run.status, 0) << run.err;
    const json j = json::parse(run.out);
    ASSERT_EQ(j["blocks"].size(), 4u) << run.out;
    for (const auto& b : j["blocks"]) {
        EXPECT_GT(b["peak_bytes_per_s"].get<double>(), 10e6) << b;
        EXPECT_GE(b["peak_bytes_per_s"].get<double>(), b["average_bytes_per_s"].get<double>()) << b;
        EXPECT_GT(b["average_bytes_per_s"].get<double>(), 0) << b;
        EXPECT_EQ(b["block_bytes"].get<std::uint64_t>() % 4096, 0u) << b;
    }
    // zram's sectors are 4096 bytes: code "1" is 8 of them.
    EXPECT_EQ(j["blocks"][0]["block_bytes"], 32768);
    EXPECT_EQ(j["unit_bytes"], 4096);
    EXPECT_FALSE(std::filesystem::exists(zram.mount_point() / "TestB.tmp"));
    EXPECT_FALSE(std::filesystem::exists(zram.mount_point() / "TestR.tmp"));
    EXPECT_TRUE(test::names_in(work_.path()).size() <= 2) << "the test file record is emptied";
}

TEST_F(BasicE2e, InterruptInTheWriteTestEndsItAndRemovesTheFile) {
    test::ScratchLoop loop({1024, 512, {}, "ext4", true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    const std::string letter = letter_of(loop.mounts().front());
    const std::string file = (loop.mounts().front() / "TestB.tmp").string();
    std::string out;
    const std::string script = test::cli_path().string() + " basic --drive " + letter +
                               " --write --blocks 5 --seconds 30 >/dev/null 2>&1 & p=$!; "
                               "for i in $(seq 200); do [ -e '" +
                               file +
                               "' ] && break; sleep 0.05; done; sleep 1; "
                               "s=$(date +%s%N); kill -INT $p; wait $p; rc=$?; e=$(date +%s%N); "
                               "echo $rc $(( (e - s) / 1000000 ))";
    ASSERT_EQ(test::run_shell(script, &out), 0);
    int rc = 0;
    long ms = 0;
    ASSERT_EQ(std::sscanf(out.c_str(), "%d %ld", &rc, &ms), 2) << out;
    EXPECT_EQ(rc, 130) << out;
    EXPECT_LT(ms, 2500) << "a cancel takes effect at the next sampled second";
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(BasicE2e, ADiskWithoutRoomIsRefusedBeforeAnythingIsWritten) {
    test::ScratchLoop loop({128, 512, {}, "ext4", true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    const std::string letter = letter_of(loop.mounts().front());
    const test::CliRun run = test::run_cli(
        {"basic", "--drive", letter, "--write", "--seconds", "1"}, std::chrono::seconds(30));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(letter.substr(0, 1) +
                           " Drive does not contain enough free space for a write test"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(loop.mounts().front() / "TestB.tmp"));
}

TEST_F(BasicE2e, ARefusedRawOpenSaysWhy) {
    // Another user may not open the system's block device: the reason comes back at once.
    std::filesystem::permissions(home_.path(), std::filesystem::perms::all);
    std::filesystem::permissions(work_.path(), std::filesystem::perms::all);
    std::string out;
    const auto start = std::chrono::steady_clock::now();
    const int status = test::run_shell(
        "runuser -u nobody -- " + test::cli_path().string() + " baseline --drive C: 2>&1", &out);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(status, 3) << out;  // needs root or a refused device
    EXPECT_NE(out.find("brantwell-cli: Brantwell could not open /dev/"), std::string::npos) << out;
    EXPECT_LT(took, std::chrono::seconds(10));
}

// Start-up: the drives without a baseline get one, once; the colours of the main window follow.
TEST_F(BasicE2e, StartUpWritesEachBaselineOnceAndTheColoursFollow) {
    test::ScratchZram zram({256, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    const std::string letter = letter_of(zram.mount_point());
    InventoryRunOptions options;
    options.prefs = home_ / "DariDozodaz.dat";
    const InventoryRun run = TakeInventory(system_query(), options);
    volume_map() = run.map;
    app().program_folder = home_.path();
    MainWindowState state;
    for (const auto& entry : run.inv.DriveList)  // only our own disk: others' are not read
        if (entry.rfind(letter, 0) == 0) state.options.DriveList.push_back(entry);
    ASSERT_EQ(state.options.DriveList.size(), 1u);
    const std::string key(baseline_key(state.options.DriveList.front()));

    StepContext ctx{state};
    const StartSteps steps = program_steps();
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(steps.run(StepId::QuickBaseline, ctx));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    const std::string stored = basic::ReadBaseline(home_.path(), key);
    ASSERT_FALSE(stored.empty());
    EXPECT_GT(std::atoll(stored.c_str()), 40);  // a RAM disk reads far faster than that

    start = std::chrono::steady_clock::now();
    steps.run(StepId::QuickBaseline, ctx);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(basic::ReadBaseline(home_.path(), key), stored);

    const struct {
        const char* value;
        std::uint32_t multi, heavy, heavy_with_write;
    } kColours[] = {{nullptr, kGreen, kGreen, kGreen}, {"50", kOlive, kRed, kRed}};
    for (const auto& c : kColours) {
        if (c.value) basic::WriteBaseline(home_.path(), key, std::atoll(c.value));
        const auto got = CheckCAP(key);
        if (!c.value && std::atoll(stored.c_str()) < 125) continue;  // a slow machine
        EXPECT_EQ(got.ChkMulti, c.multi);
        EXPECT_EQ(got.ChkMultiH, c.heavy);
        EXPECT_EQ(got.ChkMultiHS, c.heavy_with_write);
    }
    app().program_folder.clear();
    volume_map() = {};
}

}  // namespace
}  // namespace bw
