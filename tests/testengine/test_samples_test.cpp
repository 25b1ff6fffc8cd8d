#include "testengine/TestSamples.h"

#include <gtest/gtest.h>

namespace bw::testengine {
namespace {

TickFigures busy_tick(double idle = 10) {
    TickFigures t;
    t.tester_read_ops = {100, 20, 3};
    t.tester_write_ops = {400, 50, 6};
    t.tester_read_bytes = {1e6, 2e5, 3e4};
    t.tester_write_bytes = {4e6, 5e5, 6e4};
    t.read_bytes = 2'000'000;
    t.write_bytes = 3'000'000;
    t.disk_read_time = 40.4;
    t.disk_write_time = 59.6;
    t.idle = idle;
    t.transfers = 700;
    t.reads = 300;
    t.writes = 400;
    return t;
}

TEST(FileTick, OperationsCountTheTestersTheTypeRuns) {
    // type, side, operations, tester bytes: single = the first tester, Lite = two, Heavy = three;
    // the third tester's figures never reach a Lite test.
    struct Case {
        int type;
        Side side;
        double ops, asked;
    } cases[] = {
        {1, Side::Read, 100, 1e6},          {2, Side::Read, 120, 1.2e6},
        {3, Side::Read, 123, 1.23e6},       {4, Side::Read, 123, 1.23e6},
        {4, Side::Write, 456, 4.56e6},      {5, Side::Write, 400, 4e6},
        {6, Side::Write, 450, 4.5e6},       {7, Side::Write, 456, 4.56e6},
        {8, Side::Write, 456, 4.56e6},      {8, Side::Read, 123, 1.23e6},
    };
    for (const Case& c : cases) {
        TestSamples samples;
        file_tick(samples, c.type, 5, busy_tick());
        const SideSamples& s = samples.side(c.type, 5, c.side);
        SCOPED_TRACE("type " + std::to_string(c.type));
        ASSERT_EQ(s.sample_count, 1);
        EXPECT_DOUBLE_EQ(s.operations.at(0), c.ops);
        EXPECT_DOUBLE_EQ(s.tester_bytes.at(0), c.asked);
        EXPECT_DOUBLE_EQ(s.peak_operations, c.ops);
        const bool read = c.side == Side::Read;
        EXPECT_DOUBLE_EQ(s.throughput.at(0), read ? 2e6 : 3e6);
        EXPECT_EQ(s.peak_disk_time, read ? 40 : 60);
        EXPECT_DOUBLE_EQ(s.peak_side_ops, read ? 300 : 400);
    }
}

TEST(FileTick, OnlyHeavyWithTheOtherSideFilesBothSides) {
    for (int type = 1; type <= kTestTypeCount; ++type) {
        TestSamples samples;
        file_tick(samples, type, 1, busy_tick());
        const Side own = TestSamples::main_side(type);
        EXPECT_TRUE(samples.side(type, 1, own).ran()) << type;
        EXPECT_EQ(samples.side(type, 1, other_side(own)).ran(), type == 4 || type == 8) << type;
        // Nothing lands under another block.
        EXPECT_FALSE(samples.side(type, 2, own).ran()) << type;
    }
}

TEST(FileTick, TheFirstThreeSamplesNeverSetTheIdlePeak) {
    TestSamples samples;
    const double idles[] = {90, 80, 70, 12.4, 30.6, 20};
    const int peak_after[] = {0, 0, 0, 12, 31, 31};
    for (std::size_t i = 0; i < std::size(idles); ++i) {
        file_tick(samples, 1, 3, busy_tick(idles[i]));
        EXPECT_EQ(samples.side(1, 3, Side::Read).peak_idle, peak_after[i]) << "sample " << i + 1;
    }
    EXPECT_EQ(samples.side(1, 3, Side::Read).idle.size(), 6u);
}

TEST(Score, PeakThroughputPerHundredThousandPlusIdleTimesHundred) {
    TestSamples samples;
    for (int i = 0; i < 4; ++i) file_tick(samples, 5, 11, busy_tick(7));
    // 3 000 000 / 100 000 + 7 x 100
    EXPECT_EQ(samples.score(5, 11), 730);
    EXPECT_EQ(samples.score(1, 11), 0);
}

TEST(OverallPeaks, RiseOnlyWhenHigher) {
    TestSamples samples;
    TickFigures t = busy_tick();
    PeakRise first = raise_overall_peaks(samples, t);
    EXPECT_TRUE(first.read && first.write);
    t.read_bytes = 1e6;
    t.write_bytes = 9e6;
    PeakRise second = raise_overall_peaks(samples, t);
    EXPECT_FALSE(second.read);
    EXPECT_TRUE(second.write);
    EXPECT_DOUBLE_EQ(samples.peak_read_bytes, 2e6);
    EXPECT_DOUBLE_EQ(samples.peak_write_bytes, 9e6);
}

TEST(TestSamplesIndex, OutOfRangeIsRefused) {
    TestSamples samples;
    EXPECT_THROW(samples.side(0, 1, Side::Read), std::out_of_range);
    EXPECT_THROW(samples.side(9, 1, Side::Read), std::out_of_range);
    EXPECT_THROW(samples.side(1, 12, Side::Read), std::out_of_range);
    EXPECT_THROW(file_tick(samples, 1, 0, busy_tick()), std::out_of_range);
}

}  // namespace
}  // namespace bw::testengine
