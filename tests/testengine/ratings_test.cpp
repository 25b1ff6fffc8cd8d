// Every threshold and idle edge of the evaluation and the verdicts, one row each.
#include <gtest/gtest.h>

#include "testengine/Evaluation.h"
#include "testengine/Ratings.h"

namespace bw::testengine {
namespace {

constexpr Side R = Side::Read, W = Side::Write;

TEST(Ratings, PeakClassIsTheFirstThresholdStrictlyExceeded) {
    struct Case {
        double speed;
        Side side;
        const char* verdict;
    };
    const Case cases[] = {
        {20'000'000, R, "The Single Peak Read Speed is Below a USB 2.0 Drive"},
        {20'000'001, R, "The Single Peak Read Speed is Above a USB 2.0 Drive"},
        {40'000'000, R, "The Single Peak Read Speed is Above a USB 2.0 Drive"},
        {40'000'001, R, "The Single Peak Read Speed is Above a IDE (Parallel Hard Drive)"},
        {60'000'001, R, "The Single Peak Read Speed is Above a EIDE (Enhanced Parallel Hard Drive)"},
        {70'000'001, R,
         "The Single Peak Read Speed is Above a SATA (Hard Drive) and a ATA (Ultra Hard Drive)"},
        {80'000'001, R, "The Single Peak Read Speed is Above a SATA II Drive"},
        // The USB 3.0 read row comes after SATA II and is never reached.
        {90'000'001, R, "The Single Peak Read Speed is Above a SATA II Drive"},
        {110'000'001, R, "The Single Peak Read Speed is Above a SATA III Drive"},
        {125'000'001, R, "The Single Peak Read Speed is Above a SSD (Solid State Drive)"},
        {200'000'001, R, "The Single Peak Read Speed is Above a SSD SATA II 3G"},
        {270'000'001, R, "The Single Peak Read Speed is Above a SSD SATA III 6G"},
        {1'600'000'001, R, "The Single Peak Read Speed is Above a DDR2 RamDisk and Insane"},
        {2'500'000'000, R, "The Single Peak Read Speed is Above a DDR2 RamDisk and Insane"},
        {2'500'000'001, R, "The Single Peak Read Speed is Above a DDR3 RamDisk and Unbelieveable"},
        {0, W, "The Single Peak Write Speed is Below a USB 2.0 Drive"},
        {10'000'000, W, "The Single Peak Write Speed is Below a USB 2.0 Drive"},
        {10'000'001, W, "The Single Peak Write Speed is Above a USB 2.0 Drive"},
        // On the write side USB 3.0 (60 MB/s) lies between SATA / ATA and SATA II and is reached.
        {60'000'001, W, "The Single Peak Write Speed is Above a USB 3.0 Drive"},
        {70'000'001, W, "The Single Peak Write Speed is Above a SATA II Drive"},
        {1'750'000'001, W, "The Single Peak Write Speed is Above a DDR3 RamDisk and Unbelieveable"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(peak_class_verdict(c.speed, c.side), c.verdict) << c.speed;
}

TEST(Ratings, MultiTaskVerdictsAtEveryIdleEdge) {
    struct Case {
        IdleTest test;
        Side side;
        int idle;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {IdleTest::Single, R, 4,
         {"During Single Read Test the Disk Idle Time was 4%",
          "Multi-Tasking for this Drive will Yeild a Decline in Read Speed",
          "This is an Less then Average Drive for Multi-Tasking"}},
        {IdleTest::Single, R, 5,
         {"During Single Read Test the Disk Idle Time was 5%",
          "This Drive can handle Some Multi-Tasking and maintain Peak Speed"}},
        {IdleTest::Single, R, 14,
         {"During Single Read Test the Disk Idle Time was 14%",
          "This Drive can handle Some Multi-Tasking and maintain Peak Speed"}},
        {IdleTest::Single, R, 15,
         {"During Single Read Test the Disk Idle Time was 15%",
          "This Drive can handle Multi-Tasking Very Well"}},
        {IdleTest::Single, W, 0,
         {"During Single Write Test the Disk Idle Time was 0%",
          "Multi-Tasking for this Drive will Yeild a Decline in Write Speed",
          "This is an Less to Average Drive for Multi-Tasking"}},
        {IdleTest::Lite, R, 10,
         {"During Multi-Task Read Test the Disk Idle Time was 10%",
          "This Drive can handle Lite Read Multi-Tasking", "This is an Average Drive"}},
        {IdleTest::Lite, R, 11,
         {"During Multi-Task Read Test the Disk Idle Time was 11%",
          "This Drive can handle More than Lite Read Multi-Tasking",
          "This is an Above Average Drive"}},
        {IdleTest::Lite, W, 11,
         {"During Multi-Task Write Test the Disk Idle Time was 11%",
          "This Drive can handle More than Lite Write Multi-Tasking",
          "This is an Above Average Drive"}},
        {IdleTest::Heavy, R, 5,
         {"During Heavy Multi-Task Read Test the Disk Idle Time was 5%",
          "This Drive can handle Heavy Read Multi-Tasking", "This is an Great Drive"}},
        {IdleTest::Heavy, R, 6,
         {"During Heavy Multi-Task Read Test with Write, the Disk Idle Time was 6%",
          "This Drive can handle More than Heavy Read Multi-Tasking", "This is an Awesome Drive"}},
        {IdleTest::Heavy, W, 6,
         {"During Heavy Multi-Task Write Test with Write, the Disk Idle Time was 6%",
          "This Drive can handle More than Heavy Write Multi-Tasking", "This is an Awesome Drive"}},
        {IdleTest::HeavyOther, R, 1,
         {"During Multi-Task Read Test with Write, the Disk Idle Time was 1%",
          "This Drive can handle Heavy Read Multi-Tasking with Lite Writing",
          "This is an Great Drive"}},
        {IdleTest::HeavyOther, R, 2,
         {"During Multi-Task Read Test with Write, the Disk Idle Time was 2%",
          "This Drive can handle More than Heavy Read Multi-Tasking with Writing",
          "This is an Awesome Drive"}},
        {IdleTest::HeavyOther, W, 2,
         {"During Multi-Task Write Test with Write, the Disk Idle Time was 2%",
          "This Drive can handle More than Heavy Write Multi-Tasking with Writing",
          "This is an Awesome Drive"}},
        {IdleTest::Single, R, -1, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(multi_task_verdict(c.test, c.side, c.idle), c.lines) << c.idle;
}

TEST(Ratings, SustainedBandsAreStrictAndTestedFromTheTop) {
    struct Case {
        DriveTree tree;
        double speed;
        Side side;
        const char* text_begins;
    };
    const Case cases[] = {
        {DriveTree::Ram, 2'500'000'001, R, "This is a Superior Speed for a RAM Drive"},
        {DriveTree::Ram, 2'500'000'000, R, "This is a Excellent Speed for a RAM Drive"},
        {DriveTree::Ram, 700'000'000, R, "This is a Average Speed for a RAM Drive"},
        {DriveTree::Ram, 400'000'001, W, "This is a Good Speed for a RAM Drive"},
        {DriveTree::Usb, 1.25 * 90e6 + 1, R, "This is a Superior Speed for a USB 3.0"},
        {DriveTree::Usb, 1.25 * 90e6, R, "This is a Excellent Speed for a USB 3.0"},
        {DriveTree::Usb, 1.1 * 90e6, R, "This is a Great Speed for a USB 3.0"},
        {DriveTree::Usb, 90e6, R, "This is a Good Speed for a USB 2.0 Drive"},
        {DriveTree::Usb, 20e6, R, "This is a Low Speed for a USB 2.0 Drive"},
        {DriveTree::Usb, 60e6 + 1, W, "This is a Great Speed for a USB 3.0"},
        {DriveTree::Ssd, 1.25 * 270e6 + 1, R, "This is a Superior Speed (6G) for an SSD"},
        {DriveTree::Ssd, 1.25 * 270e6, R, "This is a Excellent Speed (6G) for an SSD"},
        {DriveTree::Ssd, 270e6, R, "This is a Superior Speed (3G)  of Good Speed (6G) for an SSD"},
        {DriveTree::Ssd, 200e6, R, "This is a Superior Speed for an SSD (Standard SATA)"},
        {DriveTree::Ssd, 125e6 + 1, R, "This is a Good Speed for an SSD (Standard SATA)"},
        {DriveTree::Ssd, 125e6, R, "This is a Low Speed for an SSD (Standard SATA)."},
        {DriveTree::Sata, 150e6 + 1, R, "This is a Good Speed (6G) for an SATA"},
        {DriveTree::Sata, 150e6, R, "This is a Excellent Speed (3G)  of Good Speed (6G) for an SATA"},  // = 1.25 x 3G class
        {DriveTree::Sata, 1.1 * 70e6 + 1, R, "This is a Excellent Speed for an SATA (Standard SATA)"},
        {DriveTree::Sata, 70e6, R, "This is a Low Speed for an SATA (Standard SATA)."},
        {DriveTree::Sata, 55e6 + 1, W, "This is a Good Speed for an SATA (Standard SATA)"},
        {DriveTree::Parallel, 70e6 + 1, R, "This Appears to be a Parallel Dirve (EIDE). These speeds are Excellent"},
        {DriveTree::Parallel, 70e6, R, "This Appears to be a Parallel Dirve (EIDE). These speeds are Good"},
        {DriveTree::Parallel, 1.1 * 60e6, R, "This Appears to be a Parallel Dirve (EIDE). These speeds are Lower"},
        {DriveTree::Parallel, 60e6, R, "This Appears to be a Parallel Drive (IDE). These speeds are Good"},
        {DriveTree::Parallel, 40e6, R, "This Appears to be a Parallel Drive (IDE/EIDE)."},
        {DriveTree::Parallel, 20e6, R, "This is a Slow Speed for most any drive"},
    };
    for (const auto& c : cases) {
        const std::string text(sustained_band(c.tree, c.speed, c.side).text);
        EXPECT_EQ(text.rfind(c.text_begins, 0), 0u) << c.speed << ": " << text;
    }
}

TEST(Ratings, SustainedVerdictLeadsAndTheUsbPortAdvice) {
    struct Case {
        DriveTree tree;
        double speed;
        bool usb3_port;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {DriveTree::Usb, 30e6, true,
         {"Peak Read Speed is 30.00 MBps. ", "Best Sustained Read Speed for USB Drive E: is 30.00",
          "This is a Good Speed for a USB 2.0 Drive or a Low End USB 3.0 Drive",
          "Your Motherboard has a USB 3.0 Port and if your USB Drive supports USB 3.0, ",
          "insure you have it connected to the correct port. USB 3.0 Plugs have ",
          "Blue inside the plug verses White."}},
        {DriveTree::Usb, 30e6, false,
         {"Peak Read Speed is 30.00 MBps. ", "Best Sustained Read Speed for USB Drive E: is 30.00",
          "This is a Good Speed for a USB 2.0 Drive or a Low End USB 3.0 Drive"}},
        {DriveTree::Usb, 95e6, true,
         {"Peak Read Speed is 95.00 MBps. ", "Best Sustained Read Speed for USB Drive E: is 95.00",
          "This is a Great Speed for a USB 3.0"}},
        {DriveTree::Ram, 800e6, false,
         {"Peak Read Speed is 800.00 MBps. ", "Best Sustained Read Speed for RAM Drive E: is 800.00",
          "This is a Good Speed for a RAM Drive, Equivalent to DDR Speeds."}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sustained_verdict(c.tree, c.speed, Side::Read, "E:", c.usb3_port), c.lines);
}

TEST(Evaluation, IdleRemarksAndTheAverageFloor) {
    struct Remark {
        int idle;
        const char* text;
    };
    const Remark remarks[] = {
        {0, "Peak Idle time was 0%, Maximum Disk Usage for this test"},
        {1, "Peak Idle time was 1%, Maximum Disk Usage for this test"},
        {2, "Peak Idle time was 2%, Near Maximum Disk Usage for this test"},
        {4, "Peak Idle time was 4%, Near Maximum Disk Usage for this test"},
        {5, ""},
        {50, ""},
    };
    for (const auto& r : remarks) EXPECT_EQ(idle_remark(r.idle), r.text) << r.idle;

    struct Average {
        std::vector<double> samples;
        double peak, average;
    };
    const Average averages[] = {
        {{30, 100}, 100, 100},       // exactly 30 % of the peak does not count
        {{31, 100}, 100, 66},        // 65.5 rounds away from zero
        {{10, 20, 30}, 100, 0},      // nothing above the floor
        {{}, 0, 0},                  // a block that never ran
        {{0, 0, 0}, 0, 0},           // a peak of 0: nothing above it
        {{5, 50, 60, 70}, 70, 60},
    };
    for (const auto& a : averages)
        EXPECT_EQ(average_above_floor(a.samples, a.peak), a.average) << a.peak;
}

}  // namespace
}  // namespace bw::testengine
