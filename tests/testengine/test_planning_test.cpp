// The start button's rules, one table each.
#include <gtest/gtest.h>

#include "testengine/TestDisplay.h"
#include "testengine/TestPlanning.h"

namespace bw::testengine {
namespace {

TEST(TimeText, HoursMinutesSecondsWithTwoDigits) {
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {{3725, "1:02:05"}, {0, "0:00:00"}, {59, "0:00:59"}, {60, "0:01:00"},
                 {745, "0:12:25"},  {86399, "23:59:59"}, {-5, "0:00:00"}};
    for (const auto& c : cases) EXPECT_EQ(time_text(c.seconds), c.text) << c.seconds;
}

TEST(SecondsPerBlock, AdjustShortensOnlyLongSelections) {
    const struct {
        int blocks, test_time;
        bool adjust;
        int expected;
    } cases[] = {
        {11, 30, true, 15}, {11, 30, false, 30}, {11, 25, true, 13},  // 12.5 rounds away
        {10, 30, true, 24}, {6, 30, true, 24},   {6, 30, false, 30},
        {5, 30, true, 30},  {1, 30, true, 30},   {7, 2, true, 2},     // 1.6 -> 2
    };
    for (const auto& c : cases)
        EXPECT_EQ(seconds_per_block(c.blocks, c.test_time, c.adjust), c.expected)
            << c.blocks << " blocks, T " << c.test_time << (c.adjust ? " adjust" : "");
}

TEST(Estimate, CasesOfTheStartButton) {
    const auto F = JobType::Functional, P = JobType::Performance;
    const struct {
        const char* codes;
        int test_time;
        bool adjust, read, write;
        int multi;
        JobType type;
        std::int64_t expected;
        const char* why;
    } cases[] = {
        {"1", 30, false, true, false, 0, P, 39, "one 4KB block runs 9 s longer"},
        {"1", 30, false, true, false, 0, F, 54, "a Functional read adds 15 s"},
        {"123456789AB", 30, true, true, false, 0, P, 745, "all blocks: 15 x 11 + 580"},
        {"13579", 30, true, true, false, 0, P, 150, "exactly five blocks use the full time"},
        {"2", 30, true, true, false, 0, P, 36, "8KB alone: 6 s longer"},
        {"3", 30, true, true, false, 0, P, 33, "16KB alone: 3 s longer"},
        {"4", 30, true, true, false, 0, P, 30, "32KB alone: no extra"},
        {"12", 30, true, true, false, 0, P, 60, "two blocks: no extra"},
        {"12", 2, true, true, true, 0, F, 8, "read and write both count; no Functional extra"},
        {"12", 2, true, true, false, 1, P, 8, "Lite doubles"},
        {"12", 2, true, true, false, 2, P, 12, "Heavy triples"},
        {"12", 2, true, false, true, 3, P, 12, "Heavy with the other side triples"},
        {"123456", 30, true, false, true, 0, P, 144, "six blocks take four fifths"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(estimate_seconds({c.codes, c.test_time, c.adjust, c.read, c.write, c.multi,
                                    c.type}),
                  c.expected)
            << c.why;
}

TEST(CpuCheck, ThresholdsByProcessorCount) {
    const struct {
        double total;
        int processors;
        bool warn;
    } cases[] = {{17.0, 4, false}, {17.1, 4, true}, {16, 8, false}, {15.0, 2, false},
                 {15.1, 3, true},  {10.0, 1, false}, {10.1, 1, true}, {10.1, 0, true}};
    for (const auto& c : cases)
        EXPECT_EQ(cpu_too_busy(c.total, c.processors), c.warn)
            << c.total << "% on " << c.processors;
    EXPECT_EQ(cpu_warning_text(23.4, "x  CPU Usage: 20%\r\n"),
              "CPU Usage is 23% and can affect the results of the test. You should Close or Stop "
              "the Following:\r\n\r\nx  CPU Usage: 20%\r\n\r\n\r\nContinue after Programs are "
              "closed or to Bypass.\r\n");
}

TEST(Activity, QueueAboveZeroOrTransferAboveATenth) {
    const struct {
        double queue, transfer;
        bool active;
    } cases[] = {{0, 0, false}, {0, 0.1, false}, {0, 0.11, true}, {0.01, 0, true}};
    for (const auto& c : cases)
        EXPECT_EQ(disk_active(c.queue, c.transfer), c.active) << c.queue << " " << c.transfer;
}

TEST(FreeSpace, TestFileSizeFromFreeMegabytes) {
    const struct {
        std::uint64_t free;
        std::optional<std::int64_t> size;
    } cases[] = {
        {400'000'000, std::nullopt},   {500'000'000, std::nullopt}, {500'000'001, 0},
        {500'600'000, 200},            {1'000'400'000, 200},        {1'000'600'000, 300},
        {5'000'400'000, 300},          {5'000'600'000, 500},        {900'000'000'000, 500},
    };
    for (const auto& c : cases) EXPECT_EQ(file_size_for_free_bytes(c.free), c.size) << c.free;
}

TEST(ClusterSize, FirstRowOfTheLetterWithoutCase) {
    const std::vector<std::string> list = {"C4096", "d1024", "D2048", "", "E"};
    const struct {
        char letter;
        const char* size;
    } cases[] = {{'C', "4096"}, {'c', "4096"}, {'D', "1024"}, {'E', ""}, {'F', "512"}};
    for (const auto& c : cases) EXPECT_EQ(cluster_size_for(list, c.letter), c.size) << c.letter;
}

TEST(SpeedBar, OnlyAboveAMegabyteAndWriteStartsHigher) {
    EXPECT_FALSE(speed_bar(Side::Read, 900'000));
    EXPECT_FALSE(speed_bar(Side::Write, 1'000'000));
    const auto read = speed_bar(Side::Read, 150'000'000);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->height, 1500);
    EXPECT_EQ(read->top, 3200 - 1500);
    const auto write = speed_bar(Side::Write, 150'000'000);
    ASSERT_TRUE(write);
    EXPECT_EQ(write->height, 1550);
    EXPECT_EQ(write->top + write->height, read->top + read->height);  // one base line
}

TEST(Figures, UnitsAndShapes) {
    TickReading r;
    r.tester_sums[tester_io::kReadBytesPerSec] = 1234567.4;
    r.drive[logical_disk::kIdleTime] = 42.6;
    r.drive[logical_disk::kAvgBytesRead] = 4096;
    r.drive[logical_disk::kWritesPerSec] = 12;
    const auto main = main_value_figures(r);
    EXPECT_EQ(main[tester_io::kReadBytesPerSec].text, "1,234,567 sec");
    EXPECT_EQ(main[tester_io::kOtherBytesPerSec].text, "0 Ops");
    const auto drive = value_a_figures(r);
    EXPECT_EQ(drive[1].text, "43 %");
    EXPECT_EQ(drive[11].text, "4.1 KB");
    EXPECT_EQ(drive[9].text, "12 Sec");
    EXPECT_EQ(hw_use_colour(40.0), kHwUseCalm);
    EXPECT_EQ(hw_use_colour(40.01), kHwUseBusy);
    EXPECT_EQ(hw_use_text(7.456), "7.46%");
    EXPECT_EQ(cpu_freq_text(2399.6), "(2400MHz)");
    EXPECT_EQ(seek_text(0.0123456), "0.012");
}

TEST(WindowCaption, ModeAndBlockOrTheDriveSpecifications) {
    TestParameters p;
    p.drive = "D:";
    p.drive_entry = "D:  1TB HDD [PD 1]";
    const struct {
        bool read, write;
        const char* codes;
        const char* rpm;
        const char* previous;
        const char* caption;
    } cases[] = {
        {true, false, "1", "", "", "Testing 1TB HDD [PD 1] Reading Block size 4KB"},
        {false, true, "9", "N/A", "", "Testing 1TB HDD [PD 1] Writing Block size 512KB"},
        {true, true, "A", "", "", "Testing 1TB HDD [PD 1] Reading and Writing"},
        {true, false, "12", "", "Testing x Block size 8KB", "Testing 1TB HDD [PD 1] Reading Block size 8KB"},
        {true, false, "12", "7200", "", "Testing 1TB HDD [PD 1] RPM: 7200  Cache: 64MB  SATA"},
    };
    for (const auto& c : cases) {
        p.read = c.read;
        p.write = c.write;
        p.block_codes = c.codes;
        LetterSpec specs;
        specs.Rpm = c.rpm;
        specs.Cache = "64MB";
        specs.Interface = "SATA";
        EXPECT_EQ(window_caption(p, specs, c.previous), c.caption);
    }
}

}  // namespace
}  // namespace bw::testengine
