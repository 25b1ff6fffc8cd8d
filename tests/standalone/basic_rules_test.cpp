// The basic test's rules as tables: block sizes, file sizes and writes per pass, the averaging
// over the seconds that were not stalls, peaks, the rating bar, the summary lines, the free-space
// rule and the seconds per block.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "standalone/BasicBlocks.h"
#include "standalone/BasicFigures.h"
#include "standalone/BasicPlan.h"

namespace bw::basic {
namespace {

TEST(BasicBlocks, FileSizeAndWritesPerPass) {
    const struct {
        char code;
        double file_parameter;
        std::uint64_t unit, align;
        std::uint64_t block;
        double file_mb;
        std::uint64_t writes;
    } kCases[] = {
        {'1', 250, 512, 4096, 4096, 25, 6400},  // USB: a tenth of 250 MB
        {'1', 500, 512, 4096, 4096, 500, 128000},
        {'2', 250, 512, 4096, 8192, 62.5, 8000},
        {'6', 250, 512, 4096, 98304, 212.5, 2550},
        {'7', 250, 512, 4096, 131072, 250, 2000},
        {'9', 250, 512, 4096, 524288, 275, 550},
        {'A', 300, 512, 4096, 1048576, 300, 300},
        {'B', 250, 512, 4096, 4194304, 312.5, 78},  // 78.125 writes
        {'B', 200, 512, 4096, 4194304, 200, 50},
        // Larger sectors make larger blocks; the file keeps the size the free space was checked
        // for.
        {'1', 500, 4096, 4096, 32768, 500, 16000},
        {'6', 300, 4096, 4096, 786432, 300, 450},  // 300 x 12 / 8
        // Direct I/O on a drive of 8 KiB blocks raises a 4 KB block to 8 KiB.
        {'1', 200, 512, 8192, 8192, 200, 25600},
    };
    for (const auto& c : kCases) {
        const BasicBlock* b = basic_block(c.code);
        ASSERT_NE(b, nullptr) << c.code;
        const std::uint64_t block = block_bytes(*b, c.unit, c.align);
        EXPECT_EQ(block, c.block) << c.code << " " << c.file_parameter;
        EXPECT_NEAR(file_megabytes(*b, c.file_parameter), c.file_mb, 1e-9) << c.code;
        EXPECT_EQ(writes_per_pass(*b, c.file_parameter, block), c.writes)
            << c.code << " " << c.file_parameter << " unit " << c.unit;
    }
}

TEST(BasicBlocks, CodesAndPanels) {
    const struct {
        char code;
        int index;
        const char* title;
    } kCases[] = {{'1', 0, "4 KB Test"},
                  {'9', 8, "512 KB Test"},
                  {'A', 9, "1024 KB (1 MB) Test"},
                  {'B', 10, "4096 KB (4 MB) Test"},
                  {'a', -1, nullptr},
                  {'0', -1, nullptr},
                  {'C', -1, nullptr}};
    for (const auto& c : kCases) {
        EXPECT_EQ(basic_block_index(c.code), c.index) << c.code;
        if (c.title) EXPECT_EQ(basic_block(c.code)->title, c.title);
    }
}

TEST(BasicFigures, AverageLeavesOutSecondsAtOrBelowThreeTenthsOfThePeak) {
    const struct {
        std::vector<double> samples;
        double peak;
        double average;
    } kCases[] = {
        {{100, 100, 100}, 100, 100},
        {{100, 20, 80}, 100, 90},        // the stall of 20 is left out
        {{100, 30, 80}, 100, 90},        // exactly 0.3 x peak is left out too
        {{100, 31, 70}, 100, 67},        // just above counts: 201 / 3 = 67
        {{1000, 301, 1}, 1000, 651},     // 1302 / 2, no rounding up of the threshold
        {{1001, 300, 300}, 1001, 1001},  // threshold 300.3 rounds to 300: 300 is not above it
        {{}, 0, 0},                      // no sampled second at all
        {{0, 0}, 0, 0},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(average_above_threshold(c.samples, c.peak), c.average) << c.samples.size();
}

TEST(BasicFigures, PeaksMoveOnlyWhenASecondBeatsThem) {
    Peaks p;
    const struct {
        double current;
        bool new_peak;
        double peak, peak_io;
    } kSteps[] = {
        {409600, true, 409600, 100}, {204800, false, 409600, 100}, {409600, false, 409600, 100},
        {819200, true, 819200, 200}, {409601, false, 819200, 200},
    };
    for (const auto& s : kSteps) {
        EXPECT_EQ(p.offer(s.current, 4096), s.new_peak) << s.current;
        EXPECT_EQ(p.bytes, s.peak);
        EXPECT_EQ(p.operations, s.peak_io);
    }
}

TEST(BasicFigures, SamplerClosesASecondOnlyPastItsThreshold) {
    SecondSampler s(10.0, kWriteSampleSeconds);
    EXPECT_FALSE(s.add(1000, 10.5));
    EXPECT_FALSE(s.add(1000, 10.9985));   // not yet 0.999 s
    EXPECT_EQ(s.add(2000, 11.25), 3200);  // 4000 bytes over 1.25 s
    EXPECT_FALSE(s.add(500, 11.5));       // a new second began at 11.25
    EXPECT_EQ(s.add(500, 12.25), 1000);
}

TEST(BasicFigures, RatingBar) {
    const struct {
        double peak;
        std::optional<double> height;
    } kCases[] = {
        {0, std::nullopt},         {999'999, std::nullopt},
        {1'000'000, std::nullopt},  // not above a million: the bar stays
        {1'000'001, 60.00001},     {100'000'000, 1050},
        {250'000'000, 2550},
    };
    for (const auto& c : kCases) {
        const auto bar = rating_bar(c.peak);
        ASSERT_EQ(bar.has_value(), c.height.has_value()) << c.peak;
        if (!bar) continue;
        EXPECT_NEAR(bar->height, *c.height, 1e-6) << c.peak;
        EXPECT_NEAR(bar->top, kRatingBase - *c.height, 1e-6) << c.peak;
    }
}

TEST(BasicFigures, SummaryLines) {
    BlockFigures f{123456789, 30141, 98765432, 24113};
    EXPECT_EQ(summary_lines(Side::Write, status_text(Side::Write, 'D', 4096), f),
              "Write Test on D Drive at 4 KB\r\n"
              "   Peak Write: 123,456,789 Bps\r\n"
              "   Peak Write I/O: 30,141 IOps\r\n"
              "   Average Write: 98,765,432 Bps\r\n"
              "   Average Write I/O: 24,113 IOps\r\n"
              "\r\n");
    EXPECT_EQ(status_text(Side::Read, 'E', 98304), "Read Test on E Drive at 96 KB");
    EXPECT_EQ(summary_lines(Side::Read, "x", BlockFigures{}),
              "x\r\n   Peak Read: 0 Bps\r\n   Peak Read I/O: 0 IOps\r\n   Average Read: 0 Bps\r\n"
              "   Average Read I/O: 0 IOps\r\n\r\n");
}

TEST(BasicPlan, WriteFileSizeFromFreeSpace) {
    const struct {
        std::uint64_t free;
        std::optional<int> mb;
    } kCases[] = {
        {400'000'000, std::nullopt}, {500'000'000, std::nullopt},
        {500'400'000, std::nullopt},  // 500 MB free is not more than 500
        {500'600'000, 200},           // rounds to 501
        {1'000'000'000, 200},        {1'000'600'000, 300},
        {5'000'000'000, 300},        {5'000'600'000, 500},
        {2'000'000'000'000, 500},
    };
    for (const auto& c : kCases) EXPECT_EQ(write_file_size(c.free), c.mb) << c.free;
}

TEST(BasicPlan, SecondsPerBlock) {
    const struct {
        int blocks, test_time;
        bool adjust;
        int seconds;
    } kCases[] = {
        {11, 30, true, 15}, {11, 30, false, 30}, {10, 30, true, 24}, {6, 30, true, 24},
        {5, 30, true, 30},  {1, 30, true, 30},   {11, 15, true, 8},  {6, 25, true, 20},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(seconds_per_block(c.blocks, c.test_time, c.adjust), c.seconds)
            << c.blocks << " " << c.test_time << " " << c.adjust;
}

}  // namespace
}  // namespace bw::basic
