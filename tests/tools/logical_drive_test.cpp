// The monitor's figures from one tick's readings: texts, suffixes, red rules, the figures without
// a Linux source, and the drive found by its letter in the shared counter query.
#include "tools/LogicalDrive.h"

#include <gtest/gtest.h>

#include <fstream>

#include "counters/Counters.h"
#include "support/counter_machine.h"
#include "tools/LogicalDriveText.h"

namespace bw {
namespace {

namespace ld = logical_disk;

enum Side { L, R };

const MonitorFigure& figure(const MonitorFigures& f, Side side, int i) {
    return side == L ? f.left[static_cast<size_t>(i)] : f.right[static_cast<size_t>(i)];
}

// A quiet two-processor machine with a little free space.
MonitorSnapshot quiet() {
    MonitorSnapshot s;
    s.drive = "E:";
    s.counted = true;
    s.disk[ld::kFreeSpace] = 50;
    s.disk[ld::kIdleTime] = 100;
    s.interrupt_time = {0, 0};
    s.interrupts = {0, 0};
    return s;
}

struct Case {
    const char* what;
    void (*set)(MonitorSnapshot&);
    Side side;
    int index;
    const char* text;
    bool red;
};

// The rules at and beside their limits.
TEST(LogicalDriveFigures, RedRulesAtTheirLimits) {
    static constexpr Case kCases[] = {
        {"14 % free", [](MonitorSnapshot& s) { s.disk[ld::kFreeSpace] = 14; }, L, 0, "14 %", true},
        {"14.6 % free: shown 15, still below 15",
         [](MonitorSnapshot& s) { s.disk[ld::kFreeSpace] = 14.6; }, L, 0, "15 %", true},
        {"15 % free", [](MonitorSnapshot& s) { s.disk[ld::kFreeSpace] = 15; }, L, 0, "15 %", false},
        {"queue 3 at 95 % disk time",
         [](MonitorSnapshot& s) {
             s.disk[ld::kCurrentQueueLength] = 3, s.disk[ld::kDiskTime] = 95;
         },
         L, 2, "3", true},
        {"queue 3 at 80 % disk time",
         [](MonitorSnapshot& s) {
             s.disk[ld::kCurrentQueueLength] = 3, s.disk[ld::kDiskTime] = 80;
         },
         L, 2, "3", false},
        {"queue 3 at exactly 90 %",
         [](MonitorSnapshot& s) {
             s.disk[ld::kCurrentQueueLength] = 3, s.disk[ld::kDiskTime] = 90;
         },
         L, 2, "3", false},
        {"queue 2 at 100 %",
         [](MonitorSnapshot& s) {
             s.disk[ld::kCurrentQueueLength] = 2, s.disk[ld::kDiskTime] = 100;
         },
         L, 2, "2", false},
        {"two processors at 30 and 60 % interrupt time",
         [](MonitorSnapshot& s) {
             s.interrupt_time = {30, 60};
         },
         L, 12, "45.00%", true},
        {"40 % on both: not above 40",
         [](MonitorSnapshot& s) {
             s.interrupt_time = {40, 40};
         },
         L, 12, "40.00%", false},
        {"one of four processors busy with interrupts",
         [](MonitorSnapshot& s) {
             s.interrupt_time = {100, 0, 0, 0};
         },
         L, 12, "25.00%", false},
        {"no interrupt time: no average taken", [](MonitorSnapshot& s) { s.interrupt_time = {}; },
         L, 12, "0.00%", false},
        {"1001 interrupts a second, summed",
         [](MonitorSnapshot& s) {
             s.interrupts = {600, 401};
         },
         L, 13, "1001 Sec", true},
        {"1000 interrupts a second",
         [](MonitorSnapshot& s) {
             s.interrupts = {500, 500};
         },
         L, 13, "1000 Sec", false},
        {"idle time read as 100.4", [](MonitorSnapshot& s) { s.disk[ld::kIdleTime] = 100.4; }, R, 9,
         "100 %", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        MonitorSnapshot s = quiet();
        c.set(s);
        const MonitorFigures figures = MonitorFiguresOf(s);  // the figure refers into these
        const MonitorFigure& f = figure(figures, c.side, c.index);
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(f.red, c.red);
        EXPECT_EQ(f.colour(), c.red ? 0x0000FFu : 0x800000u);
    }
}

// Every figure's format and suffix on a busy tick (rounding, grouping, the divisors).
TEST(LogicalDriveFigures, EveryFormatAndSuffix) {
    MonitorSnapshot s = quiet();
    const std::pair<int, double> kDisk[] = {
        {ld::kFreeSpace, 62.4},
        {ld::kFreeMegabytes, 1234567.4},
        {ld::kCurrentQueueLength, 1},
        {ld::kDiskTime, 55.6},
        {ld::kAvgQueueLength, 0.1364},
        {ld::kDiskReadTime, 12.5001},
        {ld::kAvgReadQueueLength, 0.125001},
        {ld::kDiskWriteTime, 43.1},
        {ld::kAvgWriteQueueLength, 2.5},
        {ld::kAvgSecTransfer, 0.0021},
        {ld::kAvgSecRead, 0.0007},
        {ld::kAvgSecWrite, 1.23456},
        {ld::kTransfersPerSec, 1234.4},
        {ld::kReadsPerSec, 234.5001},
        {ld::kWritesPerSec, 1000},
        {ld::kBytesPerSec, 52428800 + 1024},
        {ld::kReadBytesPerSec, 1024},
        {ld::kWriteBytesPerSec, 52428800},
        {ld::kAvgBytesTransfer, 65536},
        {ld::kAvgBytesRead, 4096},
        {ld::kAvgBytesWrite, 1048576},
        {ld::kIdleTime, 37.2},
        {ld::kSplitIoPerSec, 55},
    };
    for (const auto& [i, v] : kDisk) s.disk[static_cast<size_t>(i)] = v;
    s.interrupt_time = {1.2, 2.4};
    s.interrupts = {1234.2, 10};
    s.available_bytes = 1234567890;
    s.page_faults = 1234.5;
    s.system_calls = 999;
    const MonitorFigures f = MonitorFiguresOf(s);
    struct Shown {
        Side side;
        int index;
        const char* text;
    };
    static constexpr Shown kShown[] = {
        {L, 0, "62 %"},        {L, 1, "1,234,567MB"},    {L, 2, "1"},
        {L, 3, "56 %"},        {L, 4, "0.14"},           {L, 5, "13 %"},
        {L, 6, "0.13"},        {L, 7, "43 %"},           {L, 8, "2.50"},
        {L, 9, "0.0021"},      {L, 10, "0.0007"},        {L, 11, "1.2346"},
        {L, 12, "1.80%"},      {L, 13, "1244 Sec"},      {R, 0, "1,234 Sec"},
        {R, 1, "235 Sec"},     {R, 2, "1,000 Sec"},      {R, 3, "52,429,824 Sec"},
        {R, 4, "1,024 Sec"},   {R, 5, "52,428,800 Sec"}, {R, 6, "66 KB"},
        {R, 7, "4 KB"},        {R, 8, "1,049 KB"},       {R, 9, "37 %"},
        {R, 10, "n/a"},        {R, 11, "n/a"},           {R, 12, "1,235 MB"},
        {R, 13, "1234.5 Sec"},
    };
    for (const auto& e : kShown) {
        SCOPED_TRACE(std::string(e.side == L ? "left " : "right ") + std::to_string(e.index));
        EXPECT_EQ(figure(f, e.side, e.index).text, e.text);
    }
    // Shown values carry the divisors: a script reads what the window shows.
    EXPECT_DOUBLE_EQ(figure(f, R, 6).value, 65.536);
    EXPECT_DOUBLE_EQ(figure(f, R, 12).value, 1234.56789);
}

// Split IO and system calls have no Linux source: "n/a", never a 0 that reads as quiet, never
// red, whatever a reading says.
TEST(LogicalDriveFigures, FiguresWithoutASourceSayNa) {
    MonitorSnapshot s = quiet();
    s.disk[ld::kSplitIoPerSec] = 500;
    s.system_calls = 100000;
    const MonitorFigures f = MonitorFiguresOf(s);
    for (const int i : {10, 11}) {
        EXPECT_FALSE(f.right[static_cast<size_t>(i)].available);
        EXPECT_FALSE(f.right[static_cast<size_t>(i)].red);
        EXPECT_EQ(f.right[static_cast<size_t>(i)].text, "n/a");
    }
    int without_source = 0;
    for (const auto* column : {&f.left, &f.right})
        for (const auto& one : *column) without_source += one.available ? 0 : 1;
    EXPECT_EQ(without_source, 2);
}

// Page faults are shown as the plain number, whatever its size; a non-number reads 0.
TEST(LogicalDriveFigures, PlainAndBrokenNumbers) {
    const std::pair<double, const char*> kCases[] = {
        {12, "12 Sec"},
        {0.25, "0.25 Sec"},
        {123456789, "123456789 Sec"},
        {std::numeric_limits<double>::quiet_NaN(), "0 Sec"},
        {-0.0001, "-0.0001 Sec"}};
    for (const auto& [faults, text] : kCases) {
        MonitorSnapshot s = quiet();
        s.page_faults = faults;
        EXPECT_EQ(MonitorFiguresOf(s).right[13].text, text);
    }
    MonitorSnapshot s = quiet();
    s.disk[ld::kFreeMegabytes] = -0.2;  // rounds to zero: no "-0"
    EXPECT_EQ(MonitorFiguresOf(s).left[1].text, "0MB");
}

// Ticks recorded from the command line while fio wrote to a loop device (and one of a quiet
// drive): the readings give back the texts shown then, through the JSON round trip.
TEST(LogicalDriveFigures, RecordedTicksShowWhatTheyShowedThen) {
    for (const char* name : {"loop-write.jsonl", "quiet.jsonl"}) {
        SCOPED_TRACE(name);
        std::ifstream in(test::fixture(std::string("monitor/") + name));
        ASSERT_TRUE(in) << name;
        int ticks = 0;
        for (std::string line; std::getline(in, line); ++ticks) {
            const auto j = nlohmann::json::parse(line);
            const MonitorSnapshot s = MonitorSnapshotFromJson(j["readings"]);
            // Compared as plain JSON: the order of keys is not what is tested.
            const auto plain = [](const nlohmann::ordered_json& o) {
                return nlohmann::json::parse(o.dump());
            };
            EXPECT_EQ(plain(MonitorSnapshotJson(s)), j["readings"]);
            const auto again = plain(MonitorJson(s, MonitorFiguresOf(s)));
            EXPECT_EQ(again["left"], j["left"]);
            EXPECT_EQ(again["right"], j["right"]);
        }
        EXPECT_GT(ticks, 0);
    }
}

TEST(LogicalDriveFigures, SnapshotsFromBadJsonReadZero) {
    const char* kCases[] = {
        "null", "[]", R"({"disk": 5, "interrupts": "x"})",
        R"({"disk": {"% Free Space": "ten", "Nope": 3}, "interrupt_time_percent": [1, "x"]})"};
    for (const char* text : kCases) {
        SCOPED_TRACE(text);
        const MonitorSnapshot s = MonitorSnapshotFromJson(nlohmann::json::parse(text));
        EXPECT_EQ(s.disk[ld::kFreeSpace], 0);
        for (double v : s.interrupt_time) EXPECT_TRUE(v == 1 || v == 0);
        EXPECT_EQ(MonitorFiguresOf(s).left[0].text, "0 %");
    }
}

TEST(LogicalDriveFigures, TableShowsBothColumnsAndRedOnlyInColour) {
    MonitorSnapshot s = quiet();
    s.disk[ld::kFreeSpace] = 3;
    const MonitorFigures f = MonitorFiguresOf(s);
    const std::string plain = MonitorTable(s, f, false), coloured = MonitorTable(s, f, true);
    EXPECT_EQ(plain.find("\x1b["), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[31m"), std::string::npos);
    for (const auto& def : kMonitorLeft) EXPECT_NE(plain.find(def.caption), std::string::npos);
    for (const auto& def : kMonitorRight) EXPECT_NE(plain.find(def.caption), std::string::npos);
    s.counted = false;
    EXPECT_NE(MonitorTable(s, f, false).find("no counters for this drive"), std::string::npos);
}

// Through the shared counter query over a machine made of files: the figures of the drive named
// by its letter, wherever its row is; the processors' rows averaged and summed.
class MonitorScenario : public test::CountersScenario {
  protected:
    void add_groups() {
        library();
        ListLogicalDisks();
        AddMemoryCounters();
        AddLogicalDiskCounters();
        AddProcessorCounters();
    }
};

TEST_F(MonitorScenario, TheDriveIsFoundByItsLetter) {
    add_groups();
    ASSERT_EQ(counters().LogicalList.size(), 3u);
    m_.write("/proc/interrupts", "      CPU0   CPU1\n 0:   10   20  timer\n");
    CollectCounters();
    // One second: sda2 (E:) writes 2000 sectors in 400 ms with 3 requests in flight, sdb (D:)
    // reads 100; processor 0 spends 30 of 100 ticks on interrupts, processor 1 60.
    test::DiskIo e;
    e.writes = 20, e.write_sectors = 2000, e.write_ms = 400, e.in_flight = 3, e.io_ms = 500;
    test::DiskIo d;
    d.reads = 1, d.read_sectors = 100;
    m_.set_io("sda2", e);
    m_.set_io("sdb", d);
    auto cpus = test::idle_cpus(2);
    cpus[0].irq = 30, cpus[0].idle = 70, cpus[1].irq = 60, cpus[1].idle = 40;
    m_.set_cpus(cpus);
    m_.write("/proc/interrupts", "      CPU0   CPU1\n 0:  610   420  timer\n");
    clock_.advance(1000);
    const MonitorSnapshot s = ReadMonitorSnapshot('e');
    EXPECT_EQ(s.drive, "E:");
    ASSERT_TRUE(s.counted);
    const MonitorFigures f = MonitorFiguresOf(s);
    EXPECT_EQ(f.right[5].text, "1,024,000 Sec");  // Disk Write Bytes/sec of E:, not of D:
    EXPECT_EQ(f.right[4].text, "0 Sec");
    EXPECT_EQ(f.right[2].text, "20 Sec");
    EXPECT_EQ(f.right[8].text, "51 KB");
    EXPECT_EQ(f.left[2].text, "3");
    EXPECT_EQ(f.left[3].text, "40 %");
    EXPECT_FALSE(f.left[2].red);
    EXPECT_EQ(f.right[9].text, "50 %");
    EXPECT_EQ(f.left[12].text, "45.00%");
    EXPECT_TRUE(f.left[12].red);
    EXPECT_EQ(f.left[13].text, "1000 Sec");
    EXPECT_FALSE(f.left[13].red);

    // A letter with no volume: its disk figures read 0, the processors still count.
    clock_.advance(1000);
    const MonitorSnapshot none = ReadMonitorSnapshot('Q');
    EXPECT_FALSE(none.counted);
    EXPECT_EQ(MonitorFiguresOf(none).right[5].text, "0 Sec");
    EXPECT_EQ(none.interrupt_time.size(), 2u);
}

}  // namespace
}  // namespace bw
