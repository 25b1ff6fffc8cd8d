// brantwell-cli compare and history over a program folder of the test's own and a captured
// machine: the lines and slots of a comparison, a disk's tests under either of its letters with
// the slower latest test found, and the exit codes for a bad selection and a missing drive.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "results/DriveHistory.h"
#include "support/cli.h"
#include "support/fakes.h"
#include "support/json_schema.h"

namespace bw {
namespace {

using namespace results;

class CompareHistoryCli : public ::testing::Test {
protected:
    void SetUp() override { setenv("BRANTWELL_HOME", home_.path().c_str(), 1); }
    void TearDown() override { unsetenv("BRANTWELL_HOME"); }
    test::TempDir home_;
};

TEST_F(CompareHistoryCli, CompareListsTheLinesAndSetsTheSelectedOnOneScale) {
    for (const char* f : {"ResultsPeak.dat", "ResultsAverage.dat", "MyPResults.Dat", "MyAResults.Dat"})
        std::filesystem::copy(test::fixture(std::string("results/") + f), home_.path() / f);
    const auto run = test::run_cli({"compare", "--like", "E:  2TB SSD", "--select", "2,1", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["schema"], "brantwell.compare/1");
    EXPECT_EQ("", test::check_against_schema("compare", run.out).errors);
    EXPECT_EQ(j["lines"].size(), 5u);  // the SSD lines only
    ASSERT_EQ(j["slots"].size(), 2u);
    EXPECT_EQ(j["slots"][0]["total_score"], 13300);  // Crucial, 64KB
    EXPECT_EQ(j["scale_score"], 13300);
    EXPECT_EQ(j["title"], "Compare Basic to Lite Multi-Task");

    const struct {
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {{"compare", "--select", "99"}, 2},
        {{"compare", "--select", "0"}, 2},
        {{"compare", "--average"}, 0},
    };
    for (const auto& r : rows) EXPECT_EQ(test::run_cli(r.args).status, r.status) << r.args.back();
}

TEST_F(CompareHistoryCli, HistoryFollowsTheDiskUnderEitherLetter) {
    // The captured desktop's second disk holds /home (D:) and /srv/data (E:).
    const std::string id = "model:WDC WD20EZRX-00D8PB0 ATA Device size:2000398934016";
    std::string text;
    for (const HistoryEntry& e : std::vector<HistoryEntry>{
             {id, "2026-12-01 10:00:00", "D:", "Performance", "64KB", "WDC", 100e6, 0},
             {id, "2026-12-02 10:00:00", "E:", "Performance", "64KB", "WDC", 104e6, 0},
             {id, "2026-12-03 10:00:00", "D:", "Performance", "64KB", "WDC", 96e6, 0},
             {"serial:OTHER", "2026-12-04 10:00:00", "D:", "Performance", "64KB", "X", 1e6, 0},
             {id, "2026-12-05 10:00:00", "E:", "Performance", "64KB", "WDC", 80e6, 0}})
        text += history_line(e) + "\r\n";
    test::write_file(home_.path() / kDriveHistoryFile, text);
    const std::string root = test::fixture("sysroots/sata-desktop").string();
    for (const char* letter : {"D:", "E:"}) {
        const auto run = test::run_cli({"history", "--drive", letter, "--sysroot", root, "--json"});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["schema"], "brantwell.history/1");
        EXPECT_EQ("", test::check_against_schema("history", run.out).errors);
        EXPECT_EQ(j["identity"], id);
        EXPECT_EQ(j["tests"].size(), 4u) << letter;
        ASSERT_EQ(j["slower"].size(), 1u);
        EXPECT_EQ(j["slower"][0]["below_percent"], 20);
        EXPECT_EQ(j["slower"][0]["earlier_tests"], 3);
    }
    const struct {
        const char* drive;
        int status;
    } rows[] = {{"Q:", 4}, {"7", 2}};
    for (const auto& r : rows)
        EXPECT_EQ(test::run_cli({"history", "--drive", r.drive, "--sysroot", root}).status, r.status)
            << r.drive;
}

}  // namespace
}  // namespace bw
