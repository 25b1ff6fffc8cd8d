// The basic test's loops over a drive that moves no data (fake_drive.h): peaks and averages as
// the drive's speed changes, passes that start again, test files removed on every path, Cancel,
// refused opens, the summary appended to the overall file; the quick read baseline; Baseline.dat
// at start-up and the colours it gives; the plan the main window's options make.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <string>

#include "core/AppState.h"
#include "core/MainOptions.h"
#include "standalone/Baseline.h"
#include "standalone/BasicPlan.h"
#include "standalone/BasicRun.h"
#include "standalone/fake_drive.h"
#include "standalone/modQuickREAD.h"
#include "support/fakes.h"

namespace bw::basic {
namespace {

using fake::FakeDrive;

// Records what the window would be shown.
struct Recorder : BasicObserver {
    std::vector<std::string> statuses, problems;
    std::vector<SampleEvent> samples;
    std::vector<std::pair<Side, int>> blocks;
    void status(const std::string& t) override { statuses.push_back(t); }
    void sample(const SampleEvent& e) override { samples.push_back(e); }
    void block_done(Side s, int i, const BlockFigures&) override { blocks.push_back({s, i}); }
    void problem(const std::string& r) override { problems.push_back(r); }
};

BasicParams params(std::string codes, bool write, bool read) {
    BasicParams p;
    p.drive = 'D';
    p.block_codes = std::move(codes);
    p.seconds_per_block = 5;
    p.file_size = 200;
    p.write = write;
    p.read = read;
    return p;
}

BasicOutcome run(const BasicParams& p, FakeDrive& drive, Recorder& rec,
                 const std::atomic<bool>& cancel) {
    BasicRun r(
        p, drive, [&] { return drive.now(); }, rec, cancel);
    return r.run();
}

// The drive's speed over time, and the figures of one 5-second block of 64 KB written.
TEST(BasicRun, PeaksAndAveragesFollowTheDrive) {
    const struct {
        const char* what;
        std::function<double(double)> rate;
        double peak, average, tolerance;
    } kCases[] = {
        {"steady", [](double) { return 100e6; }, 100e6, 100e6, 1},
        // A slow third second is sampled but too low to count in the average; the seconds next
        // to it carry a sliver of it.
        {"stall", [](double t) { return t >= 2 && t < 3 ? 10e6 : 100e6; }, 100e6, 100e6, 0.3e6},
        // A fast first second sets the peak; the slower seconds still count (above 0.3 of it).
        {"burst", [](double t) { return t < 1 ? 200e6 : 100e6; }, 200e6, 120e6, 0.2e6},
        // Half speed after a fast start: still above 0.3 of the peak.
        {"slowing", [](double t) { return t < 2 ? 100e6 : 35e6; }, 100e6, 61e6, 0.2e6},
        // Below 0.3 of the peak after the first second: the average is the first second alone.
        {"collapse", [](double t) { return t < 1 ? 100e6 : 25e6; }, 100e6, 100e6, 0.2e6},
    };
    for (const auto& c : kCases) {
        FakeDrive drive;
        drive.rate = c.rate;
        Recorder rec;
        std::atomic<bool> cancel{false};
        BasicParams p = params("5", true, false);
        p.seconds_per_block = 4.5;  // five sampled seconds: the fifth ends the block
        const BasicOutcome out = run(p, drive, rec, cancel);
        ASSERT_EQ(out.blocks.size(), 1u) << c.what;
        const BlockResult& b = out.blocks.front();
        EXPECT_EQ(b.block_size, 65536u);
        EXPECT_NEAR(b.figures.peak, c.peak, c.peak * 0.001) << c.what;
        EXPECT_EQ(b.figures.peak_io, std::round(b.figures.peak / 65536)) << c.what;
        EXPECT_EQ(b.samples.size(), 5u) << c.what;
        EXPECT_NEAR(b.figures.average, c.average, c.tolerance) << c.what;
        EXPECT_EQ(b.figures.average_io, std::round(b.figures.average / 65536)) << c.what;
        EXPECT_FALSE(drive.write_file_exists) << c.what;
        EXPECT_EQ(drive.write_opens, drive.write_removes) << c.what;
        EXPECT_TRUE(rec.problems.empty()) << c.what;
    }
}

// A pass writes the whole file and starts again with a new file until the time is up; a read
// pass runs to the end of the file and starts again one aligned block in.
TEST(BasicRun, PassesStartAgainUntilTheTimeIsUp) {
    FakeDrive drive;  // 100 MB/s: a 200 MB file takes about 2.1 s
    Recorder rec;
    std::atomic<bool> cancel{false};
    BasicParams p = params("A", true, true);
    p.seconds_per_block = 7;
    const BasicOutcome out = run(p, drive, rec, cancel);
    EXPECT_EQ(drive.write_opens, 4);  // passes start at 0, 2.1, 4.2 and 6.3 s
    EXPECT_EQ(drive.write_removes, 4);
    EXPECT_EQ(drive.read_file_bytes, kReadFileBytes);  // made once, read ~14 times a pass of 7 s
    EXPECT_EQ(drive.read_opens, 1);
    EXPECT_EQ(rec.statuses, (std::vector<std::string>{"Write Test on D Drive at 1024 KB",
                                                      "Read Test on D Drive at 1024 KB"}));
    ASSERT_EQ(out.blocks.size(), 2u);
    EXPECT_EQ(rec.blocks, (std::vector<std::pair<Side, int>>{{Side::Write, 9}, {Side::Read, 9}}));
    EXPECT_GE(rec.samples.back().progress, 13);
}

// The read test file is made smaller on a fuller drive and not at all on a full one.
TEST(BasicRun, ReadFileFitsTheFreeSpace) {
    const struct {
        std::uint64_t free;
        std::uint64_t made;
        bool refused;
    } kCases[] = {
        {0, kReadFileBytes, false},  // unknown: the full size
        {10'000'000'000, kReadFileBytes, false},
        {100 << 20, 94371840, false},  // nine tenths of it
        {1000, 0, true},
    };
    for (const auto& c : kCases) {
        FakeDrive drive;
        drive.free = c.free;
        Recorder rec;
        std::atomic<bool> cancel{false};
        BasicParams p = params("5", false, true);
        p.seconds_per_block = 2;
        run(p, drive, rec, cancel);
        EXPECT_EQ(drive.read_file_bytes, c.made) << c.free;
        EXPECT_EQ(rec.problems.size(), c.refused ? 1u : 0u) << c.free;
    }
}

// Cancel in the middle of the write test: no read test, no test file, the overall file as it
// was; the run ends at the next sampled second.
TEST(BasicRun, CancelLeavesNoTestFileAndTheOverallFileAsItWas) {
    bw::test::TempDir dir;
    const auto overall = dir / "Overall.txt";
    bw::test::write_file(overall, "earlier results\r\n");
    FakeDrive drive;
    std::atomic<bool> cancel{false};
    drive.before_transfer = [&](double t) {
        if (t > 7.5) cancel = true;
    };
    Recorder rec;
    BasicParams p = params("15", true, true);
    p.overall_file = overall;
    const BasicOutcome out = run(p, drive, rec, cancel);
    EXPECT_TRUE(out.cancelled);
    EXPECT_LT(drive.now(), 8.6);
    EXPECT_FALSE(drive.write_file_exists);
    EXPECT_EQ(drive.write_opens, drive.write_removes);
    EXPECT_EQ(drive.read_opens, 0);
    EXPECT_EQ(out.blocks.size(), 1u);  // the first block was done
    EXPECT_EQ(bw::test::read_file(overall), "earlier results\r\n");
}

// Cancel while the read test file is being made: the file is cut short and removed, nothing is
// read.
TEST(BasicRun, CancelWhileTheReadFileIsMadeReadsNothing) {
    FakeDrive drive;
    Recorder rec;
    std::atomic<bool> cancel{true};
    const BasicOutcome out = run(params("5", false, true), drive, rec, cancel);
    EXPECT_TRUE(out.cancelled);
    EXPECT_TRUE(drive.cancelled_while_making);
    EXPECT_EQ(drive.read_opens, 0);
    EXPECT_FALSE(drive.read_file_exists);
    EXPECT_TRUE(out.blocks.empty());
}

// A test file that cannot be made ends the write test with its reason; the read test still runs
// and both tests' summaries go to the overall file.
TEST(BasicRun, RefusedOpensSayWhyAndTheOtherTestRuns) {
    const struct {
        std::string refuse_write, refuse_read;
        std::size_t blocks;
        std::string overall;  // what the overall file holds after
    } kCases[] = {
        {"no room for TestB.tmp", "", 1, "Read Test on D Drive at 64 KB"},
        {"", "raw reads refused", 1, "Write Test on D Drive at 64 KB"},
        {"w", "r", 0, ""},
    };
    for (const auto& c : kCases) {
        bw::test::TempDir dir;
        FakeDrive drive;
        drive.refuse_write = c.refuse_write;
        drive.refuse_read = c.refuse_read;
        Recorder rec;
        std::atomic<bool> cancel{false};
        BasicParams p = params("5", true, true);
        p.seconds_per_block = 2;
        p.read_source = ReadSource::Volume;
        p.overall_file = dir / "Overall.txt";
        const BasicOutcome out = run(p, drive, rec, cancel);
        EXPECT_EQ(out.blocks.size(), c.blocks);
        std::vector<std::string> reasons;
        for (const auto& r : {c.refuse_write, c.refuse_read})
            if (!r.empty()) reasons.push_back(r);
        EXPECT_EQ(rec.problems, reasons);
        const std::string text = bw::test::read_file(p.overall_file);
        if (!c.overall.empty()) EXPECT_NE(text.find(c.overall), std::string::npos) << text;
        EXPECT_EQ(drive.read_file_bytes, 0u);  // the raw volume needs no read test file
    }
}

TEST(QuickRead, AverageOfTheWholeSampledSecondsInMegabytes) {
    const struct {
        std::function<double(double)> rate;
        std::uint64_t volume;
        long long mb;
    } kCases[] = {
        {[](double) { return 250e6; }, 8ull << 30, 250},
        // A small volume is read many times over; the seconds span the passes.
        {[](double) { return 250e6; }, 64 << 20, 250},
        // Eleven seconds are sampled: the tenth closes a little before 10 s, so one more follows.
        {[](double t) { return t < 5 ? 100e6 : 300e6; }, 8ull << 30, 209},  // (5x100 + 6x300) / 11
        {[](double) { return 1.4e6; }, 8ull << 30, 1},
    };
    for (const auto& c : kCases) {
        FakeDrive drive;
        drive.rate = c.rate;
        drive.read_size = c.volume;
        std::vector<std::string> shown;
        const QuickReadResult r = QuickRead(
            'd', drive, [&] { return drive.now(); },
            [&](const std::string& s) { shown.push_back(s); });
        EXPECT_EQ(r.mb_per_second, c.mb);
        EXPECT_EQ(r.reason, "");
        EXPECT_GE(drive.now(), 10.0);
        EXPECT_LT(drive.now(), 11.01);
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown.front(), "Intial D Drive Baseline");
        EXPECT_EQ(shown.back().substr(0, 24), "Intial D Drive Baseline.");
        EXPECT_EQ(drive.largest_reserve, 32768u);
    }
}

TEST(QuickRead, AVolumeThatCannotBeOpenedGivesZeroAndTheReason) {
    FakeDrive drive;
    drive.refuse_read = "Brantwell could not open /dev/vda1 (Operation not permitted)";
    const QuickReadResult r = QuickRead('C', drive, [&] { return drive.now(); }, {});
    EXPECT_EQ(r.mb_per_second, 0);
    EXPECT_EQ(r.reason, drive.refuse_read);
}

// Start-up: a drive without a stored baseline gets one, once; a refusal is not stored; the main
// window's colours follow what is stored.
TEST(Baseline, TakenOnceForDrivesWithoutOneAndColoursFollow) {
    bw::test::TempDir dir;
    app().program_folder = dir.path();
    WriteBaseline(dir.path(), "  500GB HDD [PD 1]", 90);
    const std::vector<std::string> entries = {"C:  20GB VirtIO [PD 0] {OS}", "D:  500GB HDD [PD 1]",
                                              "E:  1GB RAM [PD 2]"};
    std::string asked;
    const QuickReader reader = [&](char letter) {
        asked += letter;
        QuickReadResult r;
        if (letter == 'C')
            r.reason = "raw reads refused";
        else
            r.mb_per_second = 250;
        return r;
    };
    auto taken = TakeMissingBaselines(entries, dir.path(), reader);
    EXPECT_EQ(asked, "CE");
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].reason, "raw reads refused");
    EXPECT_EQ(ReadBaseline(dir.path(), baseline_key(entries[0])), "");
    EXPECT_EQ(ReadBaseline(dir.path(), baseline_key(entries[2])), "250");
    EXPECT_EQ(ReadBaseline(dir.path(), baseline_key(entries[1])), "90");

    asked.clear();
    TakeMissingBaselines(entries, dir.path(), reader);
    EXPECT_EQ(asked, "C");  // only the refused one is tried again

    const struct {
        std::size_t entry;
        MultiTaskColours colours;
    } kColours[] = {{0, {kBlack, kBlack, kBlack}},
                    {1, {kGreen, kOlive, kOlive}},
                    {2, {kGreen, kGreen, kGreen}}};
    for (const auto& c : kColours) {
        const auto got = CheckCAP(baseline_key(entries[c.entry]));
        EXPECT_EQ(got.ChkMulti, c.colours.ChkMulti) << c.entry;
        EXPECT_EQ(got.ChkMultiH, c.colours.ChkMultiH) << c.entry;
        EXPECT_EQ(got.ChkMultiHS, c.colours.ChkMultiHS) << c.entry;
    }
    app().program_folder.clear();
}

MainOptions options_for(const std::string& entry, bool read, bool write) {
    MainOptions o;
    o.DriveList = {entry};
    o.DriveListIndex = 0;
    o.ChkRead.checked = read;
    o.ChkWrite.checked = write;
    o.SelBlock = block_selection("15");
    return o;
}

// The main window's options become the run's parameters; the free-space question decides
// between a read-only test and none.
TEST(BasicPlan, OptionsBecomeParameters) {
    const struct {
        const char* what;
        std::string entry;
        bool read, write;
        std::uint64_t free;
        std::optional<bool> answer;  // the free-space question, when asked
        bool planned;
        bool write_after;
        double file_size;
    } kCases[] = {
        {"room", "D:  500GB HDD [PD 1]", true, true, 20'000'000'000, {}, true, true, 500},
        {"usb", "E:  16GB USB [PD 2]", false, true, 2'000'000'000, {}, true, true, 250},
        {"full, read only", "D:  500GB HDD [PD 1]", true, true, 400'000'000, true, true, false, 0},
        {"full, no", "D:  500GB HDD [PD 1]", true, true, 400'000'000, false, false, false, 0},
        {"full but read only anyway", "D:  1GB HDD [PD 1]", true, false, 1000, {}, true, false, 0},
    };
    for (const auto& c : kCases) {
        bw::test::ScriptedPrompt prompt;
        if (c.answer) prompt.answer_yes(*c.answer);
        bw::test::UsePrompt use(prompt);
        PlanFacts facts;
        facts.free_bytes = c.free;
        facts.cluster_size = "4096";
        facts.program_folder = "/prog";
        auto p = PlanBasicTest(options_for(c.entry, c.read, c.write), facts);
        ASSERT_EQ(p.has_value(), c.planned) << c.what;
        EXPECT_EQ(prompt.count_containing("Drive does not contain enough free space"),
                  c.answer ? 1 : 0)
            << c.what;
        EXPECT_FALSE(prompt.unanswered_remaining()) << c.what;
        if (!p) continue;
        EXPECT_EQ(p->write, c.write_after) << c.what;
        EXPECT_EQ(p->file_size, c.file_size) << c.what;
        EXPECT_EQ(p->drive, c.entry[0]);
        EXPECT_EQ(p->block_codes, "15");
        EXPECT_EQ(p->unit_size, 4096u);
        EXPECT_EQ(p->seconds_per_block, 30);
        EXPECT_EQ(p->read_source, ReadSource::Volume);  // option 1: "Performance Test"
        EXPECT_TRUE(p->overall_file.empty());
    }
}

TEST(BasicPlan, ReadSourceAppendAndNothingChosen) {
    bw::test::ScriptedPrompt prompt;
    bw::test::UsePrompt use(prompt);
    PlanFacts facts;
    facts.program_folder = "/prog";
    MainOptions o = options_for("D:  500GB HDD [PD 1]", true, false);
    o.TestType = 0;
    o.TestAllDrv.checked = true;
    auto p = PlanBasicTest(o, facts);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->read_source, ReadSource::File);
    EXPECT_EQ(p->overall_file, std::filesystem::path("/prog/Overall.txt"));
    EXPECT_EQ(p->unit_size, 512u);  // the inventory did not say
    EXPECT_EQ(p->total_seconds, 60);

    o.SelBlock = {};
    EXPECT_FALSE(PlanBasicTest(o, facts));
    EXPECT_EQ(prompt.texts().back(), "No Block Size Selected!");
}

}  // namespace
}  // namespace bw::basic
