// The comparison's rules over stored result lines: which lines the sort-by-drive switch keeps,
// the title from the multi-task figures, what a slot adds up, and the one scale of all bars.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "results/CompareResults.h"
#include "results/CompareSlots.h"
#include "support/fakes.h"

namespace bw::results {
namespace {

std::vector<std::string> labels(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(parse_result_line(l).label.substr(0, 10));
    return out;
}

TEST(CompareLists, TheSwitchKeepsOnlyLinesSharingAKeywordWithTheCurrentDrive) {
    const auto sources = compare_sources(test::fixture("results"));
    ASSERT_EQ(sources.peak.size(), 7u);  // 4 global lines, 3 of the user's own
    ASSERT_EQ(sources.average.size(), 3u);
    const struct {
        const char* what;
        bool sort_by_drive;
        std::string entry, system;
        std::vector<std::string> peak;
    } rows[] = {
        {"switch clear: every line, global first by block, then the user's own", false,
         "D:  120GB SSD [PD 1]  SSD", "",
         {"Kingston D", "Samsung SS", "WDC WD20EZ", "Crucial M4", "Samsung SS", "Samsung SS",
          "Samsung SS"}},
        {"an SSD entry lists only SSD lines", true, "D:  120GB SSD [PD 1]  SSD", "",
         {"Samsung SS", "Crucial M4", "Samsung SS", "Samsung SS", "Samsung SS"}},
        {"a keyword of the system description counts when the entry lacks it", true,
         "E:  2TB [PD 2]", "Cntrl:AHCI SATA 3G",
         {"Samsung SS", "WDC WD20EZ", "Samsung SS", "Samsung SS", "Samsung SS"}},
        {"a USB stick sees USB lines", true, "F:  1GB USB [PD 3]  USB", "", {"Kingston D"}},
        {"a drive with no keyword keeps nothing", true, "G:  1TB [PD 4]", "", {}},
    };
    for (const auto& r : rows) {
        const HoldLists lists =
            fill_hold_lists(sources.peak, sources.average, r.sort_by_drive, r.entry, r.system);
        EXPECT_EQ(labels(lists.HoldP), r.peak) << r.what;
        for (const auto& l : lists.HoldA) EXPECT_NE(l.find("AVERAGE"), std::string::npos) << r.what;
    }
}

TEST(CompareLists, KeywordsAreTriedInTheirOrderAndCompareWithCase) {
    const struct {
        const char* line;
        const char* entry;
        std::string_view want;
    } rows[] = {
        {"x USB RAM", "USB RAM", "USB"},
        {"x RAM", "USB RAM", "RAM"},
        {"x ssd", "SSD", ""},  // the keyword is matched as written
        {"x SATA 6G", "SATA 6G", "SATA"},  // the shorter keyword comes first
        {"x PATA", "IDE", ""},
    };
    for (const auto& r : rows) EXPECT_EQ(shared_keyword(r.line, r.entry, ""), r.want) << r.line;
}

TEST(CompareTitle, TheHighestLevelThatRanNamesTheComparison) {
    const struct {
        double read[4];
        const char* want;
    } rows[] = {
        {{100, 200, 300, 400}, "Compare Basic to Intense Multi-Tasking"},
        {{100, 200, 300, 0}, "Compare Basic to Heavier Mutli-Tasking"},
        {{100, 200, 0, 0}, "Compare Basic to Lite Multi-Task"},
        {{100, 0, 0, 0}, "Compare Basic"},
        {{0, 0, 0, 0}, ""},
        {{100, 0, 0, std::numeric_limits<double>::quiet_NaN()}, "Compare Basic"},
    };
    for (const auto& r : rows) EXPECT_EQ(compare_title(r.read), r.want);
}

TEST(CompareSlots, EveryBarSharesTheLargestReadPlusWriteTotal) {
    CurrentBlock now;
    now.read[0] = 1000;
    now.read[1] = 500;
    now.write[0] = 250;
    now.peak_read = 123456789;
    const std::vector<CompareSlot> slots = {
        slot_of(now, "this run"),
        slot_of_line("A (4KB) PEAK Read S:3000 M1: M2: M3: Write S:1000 M1: M2: M3: Overall:4000 "
                     "PR:300 PW:100"),
        slot_of_line("B (4KB) PEAK Read S:10 M1:10 M2:10 M3:10 Write S:1 M1:1 M2:1 M3:1 "
                     "Overall:44 PR:1 PW:1"),
    };
    EXPECT_EQ(slots[0].read, 1500);
    EXPECT_EQ(slots[0].write, 250);
    EXPECT_EQ(slots[0].total, 1750);
    EXPECT_EQ(slots[1].total, 4000);
    EXPECT_EQ(slots[1].label, "A (4KB)");
    EXPECT_EQ(slots[2].read, 40);
    EXPECT_EQ(common_scale(slots), 4000);
    EXPECT_EQ(scale_text(common_scale(slots)), "Graph = 0 to 4000 Bytes");
    EXPECT_EQ(peak_read_text(slots[0].peak_read), "Peak Read: 123,456,789 Bytes");
    EXPECT_EQ(peak_write_text(0), "Peak Write: 0 Bytes");
    // Nothing to draw still gives a scale a bar can be set against.
    EXPECT_EQ(common_scale({}), 1);
}

TEST(CompareSlots, HostileLinesShowZerosAndKeepTheScaleFinite) {
    const std::string huge(100 * 1024, 'x');
    const std::string rows[] = {
        "",
        "no word here at all",
        "Drive PEAK Read S:",  // torn after the first marker
        std::string("bin") + '\0' + "ary\xff\xfe PEAK Read S:\x01 M1:\x80",
        "D (4KB) PEAK Read S:1e308 M1:1e308 M2:1e308 M3:1e308 Write S:-5 M1:nan M2:inf M3:",
        huge,
        huge + " PEAK Read S:" + huge,
    };
    for (const auto& line : rows) {
        const CompareSlot s = slot_of_line(line);
        EXPECT_EQ(s.read, 0) << line.substr(0, 60);
        EXPECT_EQ(s.write, 0) << line.substr(0, 60);
        EXPECT_EQ(s.total, 0) << line.substr(0, 60);
        EXPECT_LE(s.label.size(), line.size());
        EXPECT_TRUE(std::isfinite(common_scale({s})));
    }
}

}  // namespace
}  // namespace bw::results
