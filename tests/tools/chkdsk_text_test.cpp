// The disk check's reading of checker output: lines handed out whole and clean, a percentage that
// only grows, options turned into each checker's own switches, and results told by exit status.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/SystemQueryText.h"
#include "support/chkdsk_fakes.h"
#include "support/fakes.h"
#include "tools/ChkDskCheckers.h"
#include "tools/ChkDskText.h"

namespace bw {
namespace {

std::string recording(const std::string& name) {
    return test::read_file(test::fixture("chkdsk/" + name));
}

TEST(ChkDskText, E2fsckProgressLinesGiveThePassWeightedPercentage) {
    struct Case {
        const char* line;
        int percent;
    };
    const Case kCases[] = {
        {"1 0 8 /dev/loop0", 0},
        {"1 4 8 /dev/loop0", 35},
        {"1 8 8 /dev/loop0", 70},
        {"2 1 2 /dev/loop0", 80},
        {"3 1 1 /dev/loop0", 92},
        {"4 0 10 /dev/loop0", 92},
        {"5 16 16 /dev/loop0", 100},
        {"1 9 8 /dev/loop0", 70},  // past its end: the pass's end
        {"0 1 2 /dev/loop0", -1},
        {"6 1 1 /dev/loop0", -1},
        {"3 5 0 /dev/loop0", -1},
        {"1 -1 8 /dev/loop0", -1},
        {"Pass 1: Checking", -1},
        {"", -1},
        {"1 2", -1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(E2fsckPercent(c.line), c.percent);
    }
}

TEST(ChkDskText, RecordedProgressOnlyGrowsAndReachesHundredOnlyWithTheResult) {
    const std::string recorded = recording("e2fsck-check-damaged.progress");
    for (size_t size : {1, 5, 13, 4096}) {
        SCOPED_TRACE(size);
        ProgressMeter meter("e2fsck");
        std::vector<int> seen;
        for (const auto& step : test::chunked(test::CheckerStep::Kind::Progress, recorded, size)) {
            meter.feed_progress(step.text);
            seen.push_back(meter.value());
        }
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(seen.back(), 99);  // every pass done, the result not yet
        meter.finish();
        EXPECT_EQ(meter.value(), 100);
    }
    ProgressMeter meter("e2fsck");
    meter.feed_progress("3 1 1 /dev/x\n1 0 8 /dev/x\n");  // a pass line out of order
    EXPECT_EQ(meter.value(), 92);
}

TEST(ChkDskText, PhaseHeadingsMoveTheCheckersWithoutProgressLines) {
    ProgressMeter xfs("xfs_repair");
    std::vector<int> seen;
    for (const auto& line : text::lines(recording("xfs_repair-check-damaged.out"))) {
        xfs.feed_line(line);
        seen.push_back(xfs.value());
    }
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 85);
    ProgressMeter other("e2fsck");
    other.feed_line("Phase 7 - verify link counts...");  // another checker's heading
    EXPECT_EQ(other.value(), 0);
}

TEST(ChkDskText, OutputArrivesAsWholeCleanLines) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
        const char* rest;
    };
    const Case kCases[] = {
        {"line split between reads",
         {"Pass 1: Che", "cking inodes\nPass"},
         {"Pass 1: Checking inodes\n"},
         "Pass\n"},
        {"CR LF", {"a\r\nb\r", "\n"}, {"a\n", "b\n"}, ""},
        {"character split between reads", {"caf\xC3", "\xA9\n"}, {"caf\xC3\xA9\n"}, ""},
        {"bytes that are not UTF-8", {"x\xFFy\xC3z\n"}, {"x?y?z\n"}, ""},
        {"progress display rewritten in place",
         {"10% done\r20% ", "done\rfinished\n"},
         {"finished\n"},
         ""},
        {"backspaces",
         {"  0.00% done\b\b\b\b\b\b\b\b\b\b\b\b 50.00% done\b\b\b", "\b\b\b\b\b\b\b\b\bPass\n"},
         {"Pass\n"},
         ""},
        {"control characters", {std::string("a\0b\x1b[1mc\td\n", 11)}, {"ab[1mc\td\n"}, ""},
        {"empty lines kept", {"\n\n"}, {"\n", "\n"}, ""},
        {"nothing", {}, {}, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        OutputPieces pieces;
        std::vector<std::string> lines;
        for (const auto& chunk : c.chunks)
            for (auto& l : pieces.feed(chunk)) lines.push_back(l);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(pieces.finish(), c.rest);
    }
}

TEST(ChkDskCheckers, OptionsBecomeEachCheckersOwnSwitches) {
    struct Case {
        const char* fstype;
        CheckerOptions options;
        std::vector<std::string> argv;
        bool fd3;
        std::vector<std::string> notes_containing;
    };
    const Case kCases[] = {
        {"ext4", {.mounted = true}, {"P", "-n", "-C", "3", "-f", "/dev/x"}, true, {}},
        {"ext3",
         {.repair = true, .verbose = true, .enhanced = true},
         {"P", "-y", "-C", "3", "-v", "-f", "-c", "/dev/x"},
         true,
         {}},
        // e2fsck without -f checks only a volume it finds not clean.
        {"ext2", {.only_if_dirty = true}, {"P", "-n", "-C", "3", "/dev/x"}, true, {}},
        {"ext4",
         {.enhanced = true},
         {"P", "-n", "-C", "3", "-f", "/dev/x"},
         true,
         {"only while repairing"}},
        {"xfs", {.verbose = true}, {"P", "-n", "-v", "/dev/x"}, false, {}},
        {"xfs",
         {.repair = true, .enhanced = true},
         {"P", "/dev/x"},
         false,
         {"offers no bad-block read"}},
        {"btrfs",
         {.verbose = true, .mounted = true},
         {"P", "check", "--readonly", "--force", "/dev/x"},
         false,
         {"has no verbose mode"}},
        {"btrfs", {}, {"P", "check", "--readonly", "/dev/x"}, false, {}},
        {"vfat", {.repair = true, .enhanced = true}, {"P", "-a", "-t", "/dev/x"}, false, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.fstype);
        const CheckerDef* checker = CheckerFor(c.fstype);
        ASSERT_NE(checker, nullptr);
        const CheckerPlan plan = PlanChecker(*checker, "P", "/dev/x", c.options);
        EXPECT_EQ(plan.argv, c.argv);
        EXPECT_EQ(plan.progress_on_fd3, c.fd3);
        ASSERT_EQ(plan.notes.size(), c.notes_containing.size());
        for (size_t i = 0; i < plan.notes.size(); ++i)
            EXPECT_NE(plan.notes[i].find(c.notes_containing[i]), std::string::npos)
                << plan.notes[i];
    }
    for (const char* none : {"exfat", "ntfs", "", "iso9660", "ext"})
        EXPECT_EQ(CheckerFor(none), nullptr) << none;
}

TEST(ChkDskCheckers, ExitStatusDecidesTheResult) {
    using O = CheckOutcome;
    struct Case {
        const char* fstype;
        bool repair;
        int status;
        O outcome;
    };
    const Case kCases[] = {
        {"ext4", false, 0, O::NoProblems},   {"ext4", false, 4, O::ProblemsLeft},
        {"ext4", true, 1, O::Repaired},      {"ext4", true, 2, O::Repaired},
        {"ext4", true, 3, O::Repaired},      {"ext4", true, 5, O::ProblemsLeft},
        {"ext4", false, 8, O::Failed},       {"ext4", false, 12, O::Failed},
        {"ext4", false, 16, O::Failed},      {"ext4", false, 128, O::Failed},
        {"ext4", true, 32, O::Cancelled},    {"ext4", true, 33, O::Cancelled},
        {"ext4", false, 64, O::Failed},  // no meaning: not a result
        {"xfs", false, 0, O::NoProblems},    {"xfs", false, 1, O::ProblemsLeft},
        {"xfs", false, 2, O::Failed},        {"xfs", true, 0, O::RepairDone},
        {"xfs", true, 2, O::ProblemsLeft},   {"xfs", true, 1, O::Failed},
        {"btrfs", false, 0, O::NoProblems},  {"btrfs", false, 1, O::ProblemsLeft},
        {"vfat", false, 1, O::ProblemsLeft}, {"vfat", true, 1, O::Repaired},
        {"vfat", true, 0, O::NoProblems},    {"vfat", false, 2, O::Failed},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.fstype) + " " + std::to_string(c.status) +
                     (c.repair ? " repair" : ""));
        EXPECT_EQ(OutcomeOf(*CheckerFor(c.fstype), c.repair, c.status), c.outcome);
    }
}

TEST(ChkDskCheckers, OnlyNoProblemsSaysNoProblems) {
    using O = CheckOutcome;
    for (O o :
         {O::NoProblems, O::Repaired, O::RepairDone, O::ProblemsLeft, O::Failed, O::Cancelled}) {
        const std::string line = OutcomeText(o, "e2fsck", 1);
        EXPECT_EQ(line.find("No Problems") != std::string::npos, o == O::NoProblems) << line;
        EXPECT_TRUE(line.ends_with(".\n")) << line;
    }
    EXPECT_NE(OutcomeText(O::Failed, "e2fsck", -1).find("ended by a signal"), std::string::npos);
}

}  // namespace
}  // namespace bw
