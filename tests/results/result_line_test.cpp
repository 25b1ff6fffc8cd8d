// The one result-line reader: what the report writes parses back to the same figures; hostile
// lines parse to zeros; a torn last line is dropped; the Compare Data step's lists.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "results/CompareResults.h"
#include "results/ResultLine.h"
#include "support/fakes.h"
#include "support/recorded_run.h"
#include "testengine/Report.h"

namespace bw::results {
namespace {

void expect_figures(const ResultLineFields& f, const testengine::ResultFigures& want,
                    const std::string& line) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.read[i], std::round(want.read[i])) << line;
        EXPECT_EQ(f.write[i], std::round(want.write[i])) << line;
    }
    EXPECT_EQ(f.overall, std::round(want.overall)) << line;
    EXPECT_EQ(f.peak_read, std::round(want.peak_read)) << line;
    EXPECT_EQ(f.peak_write, std::round(want.peak_write)) << line;
}

TEST(ResultLine, EveryLineTheReportWritesParsesBackToItsFigures) {
    for (const char* name : {"ssd-sata", "hdd-sata", "usb2", "usb3", "ram", "parallel", "nvme",
                             "cached"}) {
        const auto run = test::load_recorded_run(name);
        const auto r = testengine::BuildREPORT(run.params, run.samples, run.facts);
        ASSERT_FALSE(r.lines.peak.empty()) << name;
        for (std::size_t i = 0; i < r.lines.peak.size(); ++i) {
            const struct {
                const std::string& line;
                const testengine::ResultFigures& figures;
                bool average;
            } rows[] = {{r.lines.peak[i], r.peak_figures[i], false},
                        {r.lines.average[i], r.average_figures[i], true},
                        {r.lines.my_peak[i], r.peak_figures[i], false},
                        {r.lines.my_average[i], r.average_figures[i], true}};
            for (const auto& row : rows) {
                const auto f = parse_result_line(row.line);
                EXPECT_TRUE(f.recognised) << row.line;
                EXPECT_EQ(f.average, row.average) << row.line;
                EXPECT_EQ(f.label, row.line.substr(0, row.line.find(row.average ? " AVERAGE Read"
                                                                                : " PEAK Read")));
                expect_figures(f, row.figures, row.line);
            }
        }
    }
}

bool all_zero(const ResultLineFields& f) {
    for (int i = 0; i < 4; ++i)
        if (f.read[i] != 0 || f.write[i] != 0) return false;
    return f.overall == 0 && f.peak_read == 0 && f.peak_write == 0;
}

TEST(ResultLine, HostileLinesGiveZerosForWhatIsMissing) {
    const std::string binary = [] {
        std::string s;
        std::mt19937 gen(7);
        for (int i = 0; i < 4096; ++i) s += static_cast<char>(gen() & 0xff);
        return s;
    }();
    struct Case {
        std::string line;
        bool recognised;
        bool zeros;
    };
    const Case cases[] = {
        {"", false, true},
        {"no word here S:1 M1:2", false, true},
        {"X [T] (4KB) PEAK Read S:", true, true},
        {"X [T] (4KB) PEAK Read S:12 M1", true, false},  // truncated in the middle
        {"Peak", true, true},
        {"PeakS:M1:M2:M3:WriteS:M1:M2:M3:Overall:PR:PW:", true, true},
        {"X PEAK Read S:1e999 M1:nan M2:inf M3:0x10 Write S:-- Overall:. PR:+ PW:", true, true},
        {std::string(100 * 1024, 'S'), false, true},
        {"Peak " + std::string(100 * 1024, ':'), true, true},
        {binary, binary.find("eak") != std::string::npos || binary.find("verage") != std::string::npos,
         true},
        {std::string("X PEAK Read S:5\0 M1:6", 20), true, false},
    };
    for (const auto& c : cases) {
        const auto f = parse_result_line(c.line);
        EXPECT_EQ(f.recognised, c.recognised) << c.line.substr(0, 60);
        if (c.zeros) EXPECT_TRUE(all_zero(f)) << c.line.substr(0, 60);
        for (double v : {f.read[0], f.read[3], f.write[0], f.overall, f.peak_write})
            EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_EQ(parse_result_line("X [T] (4KB) PEAK Read S:12 M1").read[0], 12);
}

TEST(ResultLine, OtherWritersLinesAreReadByTheWordInAnyCase) {
    const auto f = parse_result_line("Disk One (64KB) Average Read S:10 M1:20 M2:30 M3:40 Write "
                                     "S:1 M1:2 M2:3 M3:4 Overall:110 PR:7 PW:8");
    EXPECT_TRUE(f.average);
    EXPECT_EQ(f.label, "Disk One (64KB)");
    EXPECT_EQ(f.read[3], 40);
    EXPECT_EQ(f.write[2], 3);
    EXPECT_EQ(f.peak_write, 8);
    // A label that holds the word itself: the word before " Read S:" is the one.
    const auto g = parse_result_line("Peak Drive [MB:Average] (4KB) PEAK Read S:5 M1: M2: M3: "
                                     "Write S:6 M1: M2: M3: Overall:11 PR:1 PW:2");
    EXPECT_FALSE(g.average);
    EXPECT_EQ(g.label, "Peak Drive [MB:Average] (4KB)");
    EXPECT_EQ(g.read[0], 5);
    EXPECT_EQ(g.write[0], 6);
}

TEST(ResultLine, ATornLastLineIsDropped) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb\r\ntorn PEAK Re", {"a", "b"}},
        {"a\nb", {"a"}},
        {"\r\n\r\n", {"", ""}},
        {"only torn", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(complete_lines(c.text), c.lines) << c.text;
}

TEST(CompareData, ListsKeepResultLinesGroupedByBlockAndDropATornOne) {
    test::TempDir dir;
    const std::string l4 = "B disk (4KB) PEAK Read S:1 M1: M2: M3: Write S: M1: M2: M3: Overall:1 PR:1 PW:";
    const std::string l64a = "A disk (64KB) PEAK Read S:2 M1: M2: M3: Write S: M1: M2: M3: Overall:2 PR:2 PW:";
    const std::string l64b = "C disk (64KB) PEAK Read S:3 M1: M2: M3: Write S: M1: M2: M3: Overall:3 PR:3 PW:";
    test::write_file(dir / "RESULTSPEAK.DAT", l64b + "\r\nshort\r\nnot a result line at all\r\n" +
                                                  l4 + "\r\n" + l64a + "\r\n" + "Z disk (4KB) PEAK Re");
    const auto found = find_no_case(dir.path(), "ResultsPeak.dat");
    ASSERT_TRUE(found);
    EXPECT_EQ(load_compare_file(*found), (std::vector<std::string>{l4, l64a, l64b}));
    EXPECT_FALSE(find_no_case(dir.path(), "ResultsAverage.dat"));
    EXPECT_TRUE(load_compare_file(dir / "missing").empty());
}

}  // namespace
}  // namespace bw::results
