// The TRIM test's figures at the edges its users meet.
#include "standalone/TrimFigures.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

TEST(TrimFigures, TestAreaSizeAndWritesFollowTheFreeSpace) {
    struct Case {
        std::uint64_t free;
        double area, size_mb;
        long writes;
    };
    const Case kCases[] = {
        {80'000'000, 56'000'000, 30.8, 986},           // 985.6 rounds up
        {100'000'001, 100'000'000, 55, 1760},
        {500'000'000'000, 100'000'000, 55, 1760},
        {100'000'000, 70'000'000, 38.5, 1232},         // not above: 0.7 of it
        {0, 0, 0, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.free);
        EXPECT_DOUBLE_EQ(TrimTestArea(c.free), c.area);
        EXPECT_NEAR(TrimTestSizeMb(c.area), c.size_mb, 1e-9);
        EXPECT_EQ(TrimWritesPerPhase(c.area), c.writes);
    }
}

TEST(TrimFigures, TimeTextDropsWholeHours) {
    struct Case {
        long long seconds;
        const char* text;
    };
    const Case kCases[] = {
        {3725, "2 Min 5 Sec"}, {59, "0 Min 59 Sec"}, {60, "1 Min 0 Sec"},
        {3600, "0 Min 0 Sec"}, {0, "0 Min 0 Sec"},
    };
    for (const auto& c : kCases) EXPECT_EQ(SecToT(c.seconds), c.text);
}

TEST(TrimFigures, EstimateAddsTheOptionalRuns) {
    struct Case {
        bool rewrite, second_off;
        long long estimate;
    };
    const Case kCases[] = {
        {false, false, 3 * 100 + 60},
        {true, false, 4 * 100 + 60},
        {false, true, 5 * 100 + 30 + 60},
        {true, true, 6 * 100 + 30 + 60},
    };
    for (const auto& c : kCases) EXPECT_EQ(TrimEstimateSeconds(100, c.rewrite, c.second_off), c.estimate);
}

TEST(TrimFigures, ChangeAgainstTheReference) {
    struct Case {
        double speed, reference;
        const char* text;
    };
    const Case kCases[] = {
        {95, 100, "-5.00"}, {100, 100, "0.00"}, {112.345, 100, "12.35"},
        {0, 100, "-100.00"}, {50, 0, "n/a"},
    };
    for (const auto& c : kCases) EXPECT_EQ(TrimChangeText(c.speed, c.reference), c.text);
}

TEST(TrimFigures, ResultLinesCarryTheChangeExceptTheInitialWrite) {
    EXPECT_EQ(TrimResultLine(trim_phase(TrimPhase::InitialWrite), 123456789, 0),
              "Initial Write: 123,456,789 Bps");
    EXPECT_EQ(TrimResultLine(trim_phase(TrimPhase::ReWrite), 95, 100), "Re-Write: 95 Bps  (-5.00%)");
    EXPECT_EQ(TrimPhaseCaption(trim_phase(TrimPhase::TrimOff2), 'E'),
              "Performing Test 2 on E Drive with TRIM OFF");
}

}  // namespace
}  // namespace bw
