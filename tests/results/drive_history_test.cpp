// A drive's history: the file's lines survive hostile neighbours, a test more than 15 % below
// the median of the drive's earlier tests is called out in the report, and the history follows
// the disk, not its letter.
#include <gtest/gtest.h>

#include <memory>

#include "core/AppState.h"
#include "platform/SystemQuery.h"
#include "results/DriveHistory.h"
#include "results/DriveIdentity.h"
#include "results/TestEnd.h"
#include "support/fakes.h"
#include "support/recorded_run.h"
#include "testengine/ReportFacts.h"
#include "testengine/ReportFinish.h"

namespace bw::results {
namespace {

HistoryEntry entry(double read, double write = 0, std::string block = "64KB",
                   std::string type = "Performance", std::string id = "wwn:0x5000") {
    return {id, "2026-12-07 10:00:00", "D:", type, block, "Disk", read, write};
}

TEST(DriveHistoryFile, LinesReadBackAndHostileOnesAreSkippedAndCounted) {
    const HistoryEntry good = entry(118000000, 90000000);
    HistoryEntry tabbed = good;
    tabbed.model = "model\twith\ttabs\r\nand lines";
    const std::string text =
        history_line(good) + "\r\n" +                        // kept
        history_line(tabbed) + "\r\n" +                      // control characters made blanks
        "wwn:1\t2026\tD:\tPerformance\t4KB\t12\r\n" +        // a field short
        "wwn:1\tt\tD:\tP\t4KB\t-5\t7\tm\r\n" +               // a negative figure
        "wwn:1\tt\tD:\tP\t4KB\t1e300x\t7\tm\r\n" +           // not a plain number
        "\tt\tD:\tP\t4KB\t1\t7\tm\r\n" +                     // no identity
        std::string("\0\xff\x01\tbinary\r\n", 12) +          // binary
        "wwn:1\tt\tD:\tP\t4KB\t1\t7\t" + std::string(100 * 1024, 'x') + "\r\n" +  // 100 KB
        "\r\n" +                                             // empty: no line at all
        history_line(good);                                  // torn: no line end
    const HistoryFile f = parse_history(text);
    ASSERT_EQ(f.entries.size(), 2u);
    EXPECT_EQ(f.entries[0], good);
    EXPECT_EQ(f.entries[1].model, "model with tabs  and lines");
    EXPECT_EQ(f.skipped, 6u);
}

TEST(DriveHistoryRule, MoreThanFifteenPercentBelowTheMedianOfEarlierTestsIsSlower) {
    const std::vector<HistoryEntry> three = {entry(100e6, 50e6), entry(104e6, 50e6),
                                             entry(96e6, 50e6)};
    const struct {
        const char* what;
        std::vector<HistoryEntry> earlier;
        HistoryEntry now;
        std::size_t slower;
    } rows[] = {
        {"20 % below the median of three", three, entry(80e6, 50e6), 1},
        {"exactly 15 % below is noise", three, entry(85e6, 50e6), 0},
        {"the write side alone", three, entry(100e6, 30e6), 1},
        {"both sides", three, entry(50e6, 20e6), 2},
        {"one earlier test is no median", {entry(100e6)}, entry(50e6), 0},
        {"another block is another figure", three, entry(50e6, 0, "4KB"), 0},
        {"a file test is not held against raw reads", three, entry(50e6, 0, "64KB", "Functional"),
         0},
        {"another disk has its own history", three,
         entry(50e6, 0, "64KB", "Performance", "serial:XYZ"), 0},
        {"a side that did not run is not slower", three, entry(100e6, 0), 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(slower_blocks(r.earlier, {r.now}).size(), r.slower) << r.what;
    const auto slower = slower_blocks(three, {entry(80e6, 50e6)});
    EXPECT_EQ(slower_line(slower),
              "slower than this drive's earlier tests: 64KB read 80,000,000 Bps is 20 % below "
              "the median 100,000,000 Bps of 3 tests");
    EXPECT_EQ(median({3, 1, 2}), 2);
    EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
}

// Three recorded tests of one disk, then a fourth 20 % slower through the test's own end: the
// report says so, and every test is in the file under the disk's identity.
class DriveHistoryAtTestEnd : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = app();
        app().program_folder = dir_ / "program";
        app().working_folder = dir_ / "working";
        std::filesystem::create_directories(app().program_folder);
        std::filesystem::create_directories(app().working_folder);
        set_system_query(
            std::make_shared<SystemQuery>(Sysroot(test::fixture("sysroots/sata-desktop"))));
        keep_test_history();
        run_ = test::load_recorded_run("hdd-sata");
        run_.params.device = "/dev/sdb1";
    }
    void TearDown() override {
        testengine::set_test_end_hook(nullptr);
        set_system_query(nullptr);
        current_run().reset();
        app() = saved_;
    }
    testengine::FinishedTest finish(const std::string& letter) {
        run_.params.drive = letter;
        return testengine::finish_main_test(
            run_.params, run_.samples,
            testengine::gather_report_facts(run_.params, system_query(), testengine::local_time_now()));
    }
    std::vector<HistoryEntry> history() {
        std::string error;
        auto f = read_history(app().program_folder / kDriveHistoryFile, &error);
        EXPECT_TRUE(f) << error;
        return f ? f->entries : std::vector<HistoryEntry>{};
    }

    test::TempDir dir_;
    AppState saved_;
    test::RecordedRun run_;
};

TEST_F(DriveHistoryAtTestEnd, AFourthTestTwentyPercentSlowerGivesTheLine) {
    const auto first = finish("D:");
    EXPECT_TRUE(first.report.findings.empty());
    const auto entries = history();
    ASSERT_FALSE(entries.empty());
    // Rewrite the one test as three earlier ones 25 % faster: this run is then 20 % below them.
    std::string text;
    for (int i = 0; i < 3; ++i)
        for (HistoryEntry e : entries) {
            e.peak_read *= 1.25;
            e.peak_write *= 1.25;
            text += history_line(e) + "\r\n";
        }
    test::write_file(app().program_folder / kDriveHistoryFile, text);
    const auto fourth = finish("D:");
    ASSERT_EQ(fourth.report.findings.size(), 1u);
    const std::string& line = fourth.report.findings[0];
    EXPECT_EQ(line.rfind("slower than this drive's earlier tests: ", 0), 0u) << line;
    EXPECT_NE(line.find("is 20 % below the median"), std::string::npos) << line;
    EXPECT_NE(line.find("of 3 tests"), std::string::npos) << line;
    // In the report before the system data block, and in the recommendation that is saved.
    const auto at = fourth.report.OverallText.find(line);
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(at, fourth.report.OverallText.find("System Data"));
    EXPECT_NE(fourth.report.recommend_text.find(line), std::string::npos);
    EXPECT_EQ(history().size(), 4 * entries.size());
}

TEST_F(DriveHistoryAtTestEnd, TheSameDiskUnderAnotherLetterKeepsItsHistory) {
    finish("D:");
    finish("E:");
    const auto entries = history();
    const DriveIdentity id = drive_identity(system_query(), "/dev/sdb1");
    ASSERT_FALSE(id.key.empty()) << id.reason;
    const auto mine = entries_of(entries, id.key);
    ASSERT_EQ(mine.size(), entries.size());
    EXPECT_EQ(mine.front().drive, "D:");
    EXPECT_EQ(mine.back().drive, "E:");
    // The comparison keeps the last test as its current run.
    ASSERT_TRUE(current_run());
    EXPECT_EQ(current_run()->peak.size(), mine.size() / 2);
}

TEST_F(DriveHistoryAtTestEnd, ATestWithoutADiskOrWithAnUnreadableFileSaysItIsNotKept) {
    run_.params.device = "";
    auto done = finish("D:");
    ASSERT_EQ(done.report.findings.size(), 1u);
    EXPECT_EQ(done.report.findings[0],
              "This test is not added to the drive's history: the drive has no block device");
    // A history file that is not a regular file is left alone, and the report says why.
    run_.params.device = "/dev/sdb1";
    std::filesystem::create_directory(app().program_folder / kDriveHistoryFile);
    done = finish("D:");
    ASSERT_EQ(done.report.findings.size(), 1u);
    EXPECT_EQ(done.report.findings[0].rfind("This test is not added to the drive's history: ", 0),
              0u);
}

}  // namespace
}  // namespace bw::results
