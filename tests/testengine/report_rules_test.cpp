// The report's rules that golden files show only by example: result-line names and tags, empty
// figures, ratings of blocks without a single score, types that did not run, file names, and
// what two tests of one drive and block leave in the files.
#include <gtest/gtest.h>

#include "core/INIReadWrite.h"
#include "support/fakes.h"
#include "support/recorded_run.h"
#include "testengine/ReportJson.h"
#include "testengine/ResultFiles.h"

namespace bw::testengine {
namespace {

TestParameters params_for(const std::string& entry) {
    TestParameters p;
    p.drive = entry.substr(0, 2);
    p.drive_entry = entry;
    p.read = true;
    p.block_codes = "5";
    return p;
}

TEST(ReportRules, ResultLineNameFromTheEntry) {
    struct Case {
        const char* entry;
        double single_peak;
        const char* name;
    };
    const Case cases[] = {
        {"D:  2.00TB HDD [PD 1 (Partition)]  WDC WD20EZRX-00D8PB0 ATA Device", 1e8,
         "WDC WD20EZRX-00D8PB0 ATA"},
        {"D:  2.00TB HDD [PD 1 (Partition)]  Disk DEVICE", 1e8, "Disk"},
        {"D:  2.00TB HDD [PD 1 (Partition)]  Disk device  ", 1e8, "Disk device"},
        {"C:  500GB SSD [PD 0 (Volume)]  Samsung SSD ATA Device {OS-SWAP}", 1e8,
         "Samsung SSD ATA Device {OS-SWAP}"},
        {"E:  no disk part", 1e8, "E:  no disk part"},
        {"D:  2.00TB HDD [PD 1]", 1e8, ""},
        {"R:  1024MB RAM [PD 4 (Volume)]  zram RAM Disk", 2'000'000'001, "RAM Drive MEM DDR3 x"},
        {"R:  1024MB RAM [PD 4 (Volume)]  zram RAM Disk", 2'000'000'000, "zram RAM Disk"},
    };
    ReportFacts facts;
    facts.memory_description = "DDR3 x";
    for (const auto& c : cases)
        EXPECT_EQ(result_line_name(params_for(c.entry), facts, c.single_peak), c.name) << c.entry;
}

TEST(ReportRules, SystemTagTakesOnlyThePiecesThatAreThere) {
    SystemTag full = test::recorded_system_tag();
    SystemTag sparse;
    sparse.bios = "1.0";
    sparse.controller = "ahci";
    struct Case {
        const char* entry;
        SystemTag tag;
        const char* text;
    };
    const Case cases[] = {
        {"D:  HDD [PD 1]  X", sparse, " B:1.0 Cntrl:ahci"},
        {"R:  RAM [PD 4]  zram", sparse, " B:1.0"},
        {"R:  1024MB Ram [PD 4]  zram", full,
         "MB:P8Z77-V LX B:American Megatrends Inc. 1101 CPU/C:Intel(R) Core(TM) i5-3570K CPU @ "
         "3.40GHz/4 3400 Debian GNU/Linux 12 (bookworm) MEM:DDR3 1600 MHz 8192 MB"},
        {"D:  HDD [PD 1]  X", SystemTag{}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(system_tag(params_for(c.entry), c.tag), c.text);
}

TEST(ReportRules, ZeroFiguresWriteNothingAfterTheirMarks) {
    ResultFigures f;
    f.read[1] = 1234;
    f.peak_read = 5e7;
    EXPECT_EQ(result_line("X", "T", "64KB", false, f),
              "X [T] (64KB) PEAK Read S: M1:1234 M2: M3: Write S: M1: M2: M3: Overall: PR:50000000 "
              "PW:");
    EXPECT_EQ(result_line("X", "T", "4KB", true, ResultFigures{}).find(") AVERAGE Read S: M1:"),
              std::string("X [T] (4KB").size());
}

// Samples of one type and block: a steady plateau after three ramp seconds.
void fill(TestSamples& s, int type, int block, double bytes, double idle) {
    for (int k = 0; k < 8; ++k) {
        TickFigures t;
        const double v = k < 2 ? bytes / 4 : bytes;
        (type <= 4 ? t.read_bytes : t.write_bytes) = v;
        (type <= 4 ? t.tester_read_bytes : t.tester_write_bytes)[0] = v;
        t.idle = k < 3 ? 50 : idle;
        file_tick(s, type, block, t);
    }
}

TEST(ReportRules, RatingsNeedASingleScoreAndLevelThreeAddsTheHeavyTestWithTheOtherSide) {
    TestSamples s;
    fill(s, 2, 5, 1e8, 3);  // Lite read only: no single score at 64KB
    fill(s, 1, 7, 1e8, 3);
    fill(s, 2, 7, 1e8, 3);
    fill(s, 3, 7, 1e8, 3);
    fill(s, 4, 7, 1e8, 3);
    TestParameters p = params_for("D:  HDD [PD 1]  X");
    p.block_codes = "57";
    for (int multi : {2, 3}) {
        p.multi = multi;
        const std::string text = DoSUMMARY(p, evaluate(s), ReportFacts{});
        const auto at64 = text.find("> RATINGS FOR BLOCKSIZE: 64KB");
        const auto at128 = text.find("> RATINGS FOR BLOCKSIZE: 128KB");
        ASSERT_NE(at128, std::string::npos);
        EXPECT_NE(text.find("   PEAK READ RATING: \r\n", at64), std::string::npos);
        // Each score is 1e8 / 1e5 + 3 x 100 = 1300.
        EXPECT_NE(text.find(multi == 3 ? "   PEAK READ RATING: 5200\r\n"
                                       : "   PEAK READ RATING: 3900\r\n",
                            at128),
                  std::string::npos)
            << multi;
    }
}

TEST(ReportRules, ATypeThatDidNotRunWritesNoLines) {
    TestSamples s;
    fill(s, 1, 5, 1e8, 3);
    TestParameters p = params_for("D:  HDD [PD 1]  X");
    p.multi = 1;  // Lite was asked for but never ran (the test stopped)
    const auto texts = evaluation_texts(p, evaluate(s));
    EXPECT_NE(texts.ReadText.find("Read Test  (Functional) for Block Size 64KB"), std::string::npos);
    EXPECT_EQ(texts.ReadText.find("Multi-Task"), std::string::npos);
    EXPECT_EQ(texts.ReadText.find("RRRR"), std::string::npos);  // one group: no separator
    EXPECT_TRUE(texts.WriteText.empty());
    const auto summary = DoSUMMARY(p, evaluate(s), ReportFacts{});
    EXPECT_EQ(summary.find("During Multi-Task Read Test"), std::string::npos);
}

TEST(ReportRules, DatesTimesAndTheDatedReportName) {
    ReportTime t{2013, 3, 3, 14, 5, 9};
    EXPECT_EQ(time_hhmmss(t), "140509");
    EXPECT_EQ(date_dd_mmm_yy(t), "03 Mar 13");
    EXPECT_EQ(date_dd_mmm_yyyy(t), "03 Mar 2013");
    struct Case {
        const char* drive;
        const char* name;
    };
    const Case cases[] = {{"d:", "D Drive 140509 03 Mar 13.txt"},
                          {"/etc", "_ Drive 140509 03 Mar 13.txt"},
                          {"", "_ Drive 140509 03 Mar 13.txt"}};
    for (const auto& c : cases) {
        TestParameters p;
        p.drive = c.drive;
        ReportFacts f;
        f.when = t;
        EXPECT_EQ(BuildREPORT(p, TestSamples{}, f).dated_report_name, c.name);
    }
}

TEST(ResultFiles, TwoTestsOfOneDriveAndBlockInADay) {
    test::TempDir dir;
    const ResultFolders folders{dir.path(), dir.path()};
    test::RecordedRun run = test::load_recorded_run("hdd-sata");
    const ReportResult first = BuildREPORT(run.params, run.samples, run.facts);
    ASSERT_TRUE(write_result_files(folders, first).ok());
    // The same drive and block an hour later, faster.
    TestSamples faster;
    fill(faster, 1, 5, 1.6e8, 6);
    run.facts.when.hour += 1;
    const ReportResult second = BuildREPORT(run.params, faster, run.facts);
    ASSERT_TRUE(write_result_files(folders, second).ok());

    for (const char* file : {"PeakResults.Dat", "AverageResults.Dat", "MyPResults.Dat",
                             "MyAResults.Dat"}) {
        const std::string text = test::read_file(dir / file);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << file;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 2) << file;
    }
    const std::string perf = test::read_file(dir / "HDPerfData.Dat");
    EXPECT_EQ(perf.find("[D: 64000]\r\n"), 0u);
    EXPECT_EQ(perf.find("[D: 64000]", 1), std::string::npos);
    EXPECT_EQ(ReadINI(dir / "HDPerfData.Dat", "D: 64000", "SPeak Read"), "160000000");
    EXPECT_EQ(ReadINI(dir / "Baseline.dat", "Drives", "2.00TB HDD [PD 1 (Partition)]  WDC "
                                                      "WD20EZRX-00D8PB0 ATA Device"),
              "160");
    // Overall.txt holds both reports; the replaced files only the second.
    const std::string overall = test::read_file(dir / "Overall.txt");
    EXPECT_EQ(overall, "\r\n\r\n" + first.OverallText + "\r\n\r\n" + second.OverallText);
    EXPECT_EQ(test::read_file(dir / "Specs.txt"), second.OverallText);
    EXPECT_EQ(test::read_file(dir / "Recommend.txt"), second.recommend_text);
}

TEST(ResultFiles, AFileThatCannotBeWrittenIsNamedAndTheOthersAreStillWritten) {
    test::TempDir dir;
    const ResultFolders folders{dir.path(), dir / "no such folder"};
    const test::RecordedRun run = test::load_recorded_run("hdd-sata");
    std::filesystem::create_directory(dir / "PeakResults.Dat");  // a folder in the way
    const WrittenFiles w = write_result_files(folders, BuildREPORT(run.params, run.samples, run.facts));
    ASSERT_EQ(w.errors.size(), 2u);
    EXPECT_EQ(w.errors[0].rfind("HDPerfData.Dat: ", 0), 0u) << w.errors[0];
    EXPECT_EQ(w.errors[1].rfind("PeakResults.Dat: ", 0), 0u) << w.errors[1];
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "AverageResults.Dat"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "Specs.txt"));
}

}  // namespace
}  // namespace bw::testengine

namespace bw::testengine {
namespace {

TEST(ReportJson, SameFiguresAsTheTextWithUnitsInTheNames) {
    const auto run = test::load_recorded_run("nvme");
    const ReportResult r = BuildREPORT(run.params, run.samples, run.facts);
    const nlohmann::json j = report_json(run.params, r);
    EXPECT_EQ(j["overall_text"], r.OverallText);
    EXPECT_EQ(j["result_lines"]["peak"], r.lines.peak);
    EXPECT_EQ(j["peak_overall_rating_score"].get<double>(), std::stod(r.overall_rating));
    EXPECT_TRUE(j["port_limit"]["limited"].get<bool>());
    EXPECT_EQ(j["port_limit"]["line"], r.port.line);
    EXPECT_FALSE(j["cache_check"]["from_cache"].get<bool>());
    ASSERT_EQ(j["blocks"].size(), 3u);
    const auto& block = j["blocks"][1];
    EXPECT_EQ(block["block"], "64KB");
    EXPECT_EQ(block["peak"]["read_scores"][0].get<double>(), r.eval.peak_score(1, 5));
    // Level 3 both sides: eight types, the heavy tests with the other side carry that side too.
    ASSERT_EQ(block["types"].size(), 8u);
    EXPECT_TRUE(block["types"][3].contains("supporting_side"));
    EXPECT_EQ(block["types"][0]["tested_side"]["peak_throughput_bytes_per_s"].get<double>(),
              r.eval.main(1, 5).peak_throughput);
    // Every figure names its unit.
    for (const auto& [key, value] : block["types"][0]["tested_side"].items())
        EXPECT_TRUE(key.ends_with("_bytes_per_s") || key.ends_with("_ops_per_s") ||
                    key.ends_with("_percent") || key.ends_with("_bytes"))
            << key;
}

}  // namespace
}  // namespace bw::testengine

namespace bw::testengine {
namespace {

TEST(ReportRules, SpaceLabelsOnlyWhenTheSpaceIsKnown) {
    ReportFacts f;
    EXPECT_TRUE(BuildREPORT(TestParameters{}, TestSamples{}, f).used_text.empty());
    f.used_bytes = 3'000'000;
    f.free_bytes = 1'000'000;
    const ReportResult r = BuildREPORT(TestParameters{}, TestSamples{}, f);
    EXPECT_EQ(r.used_text, "3,000,000 Bytes Used");
    EXPECT_EQ(r.free_text, "1,000,000 Bytes Free");
    EXPECT_DOUBLE_EQ(r.used_share, 0.75);
}

}  // namespace
}  // namespace bw::testengine

namespace bw::testengine {
namespace {

// "Finished" already at the first tick: the report is built from no samples at all.
TEST(ReportRules, ATestThatSampledNothingStillGivesAWholeReport) {
    TestParameters p = params_for("D:  2.00TB HDD [PD 1 (Partition)]  Disk ATA Device");
    p.write = true;
    p.multi = 3;
    p.block_codes = "15";
    const ReportResult r = BuildREPORT(p, TestSamples{}, ReportFacts{});
    EXPECT_TRUE(r.texts.ReadText.empty());
    EXPECT_TRUE(r.texts.WriteText.empty());
    EXPECT_EQ(r.overall_rating, "0");
    ASSERT_EQ(r.lines.peak.size(), 2u);
    EXPECT_EQ(r.lines.peak[0],
              "Disk ATA [] (4KB) PEAK Read S: M1: M2: M3: Write S: M1: M2: M3: Overall: PR: PW:");
    EXPECT_NE(r.OverallText.find("The Single Peak Read Speed is Below a USB 2.0 Drive\r\n"),
              std::string::npos);
    EXPECT_EQ(r.OverallText.find("During"), std::string::npos);  // no verdict without a figure
    EXPECT_EQ(r.baseline->second, "0");
    test::TempDir dir;
    EXPECT_TRUE(write_result_files({dir.path(), dir.path()}, r).ok());
}

}  // namespace
}  // namespace bw::testengine
