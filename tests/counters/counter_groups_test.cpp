#include "counters/Counters.h"

#include <gtest/gtest.h>

#include "counters/MainDisplay.h"
#include "support/counter_machine.h"

namespace bw {
namespace {

class CounterGroups : public test::CountersScenario {};
using Names = std::vector<std::string>;

// The order of the main window's load: memory, disks (a new query), testers, processors.
void add_every_group() {
    ListPhysicalDisks();
    ListLogicalDisks();
    AddMemoryCounters();
    AddPhysicalDiskCounters();
    AddLogicalDiskCounters();
    for (int t = 1; t <= 3; ++t) AddTesterCounters(t);
    AddProcessorCounters();
}

TEST_F(CounterGroups, EveryDiskAndProcessorGetsARowInTheLiveQuery) {
    // No limit of 26 disks or 64 processors; nvme0n1.. sort before sda, sdb.
    for (int i = 0; i < 28; ++i) m_.add_disk(fmt::format("nvme{}n1", i), fmt::format("259:{}", i));
    m_.set_cpus(test::idle_cpus(70));
    app().processor_count = 70;
    m_.write("/proc/vmstat", "pgfault 100\n");
    library();
    add_every_group();
    const CounterState& s = counters();
    // Letterless disks below 10 have one-character names ("2"), which the list skips; no _Total.
    ASSERT_EQ(s.PhysicalList.size(), 20u);
    EXPECT_EQ(s.PhysicalList[18], "28 C: E:");
    EXPECT_EQ(s.PhysicalList[19], "29 D:");
    EXPECT_EQ(s.LogicalList, (Names{"C:", "D:", "E:"}));
    // A misspelt name in a group's table would leave its handle 0.
    ASSERT_EQ(s.LogicalDiskCounters.size(), 3u);
    ASSERT_EQ(s.ProcessorCounters.size(), 70u);
    for (const auto& row : s.PhysicalDiskCounters)
        for (PdhHandle h : row) EXPECT_NE(h, 0u);
    for (const auto& row : s.LogicalDiskCounters)
        for (PdhHandle h : row) EXPECT_NE(h, 0u);
    for (const auto& row : s.TesterCounters)
        for (PdhHandle h : row) EXPECT_NE(h, 0u);
    for (PdhHandle h : s.ProcessorCounters[69]) EXPECT_NE(h, 0u);
    EXPECT_NE(s.ProcessorFrequencyCounter, 0u);
    EXPECT_NE(s.CacheCounters[1], 0u);
    // The memory counters were added again after the disk group replaced the query, so they
    // read live values.
    CollectCounters();
    m_.write("/proc/vmstat", "pgfault 700\n");
    clock_.advance(2000);
    CollectCounters();
    EXPECT_DOUBLE_EQ(CounterValue(s.MemoryCounters[kPageFaults]), 300);
}

TEST_F(CounterGroups, MissingDiskStatisticsLeaveEmptyDiskGroups) {
    m_.remove("/proc/diskstats");
    library();
    add_every_group();
    EXPECT_EQ(counters().PhysicalDiskLast, -1);
    EXPECT_TRUE(counters().LogicalDiskCounters.empty());
    EXPECT_EQ(counters().logical_disk_probe(), 0u);
}

// The inventory may name instances the default map would not: the same disk twice, a disk too
// short a name, a letter on no listed disk. The main window then reads that letter's logical disk.
TEST_F(CounterGroups, MainDisplayReadsThePhysicalDiskElseTheLogicalOne) {
    CounterDiskMap map;
    map.disks = {{0, "sda", "C"}, {0, "sda", "C"}, {1, "sdb", ""}};
    map.volumes = {{'C', "sda1", "/"}, {'D', "sdb", "/backup"}};
    library().set_disk_map(map);
    add_every_group();
    EXPECT_EQ(counters().PhysicalList, (Names{"0 C:"}));
    EXPECT_EQ(counters().LogicalList, (Names{"C:", "D:"}));
    struct Case {
        const char* entry;
        bool physical;
        double disk_time, bytes;
    };
    // Each second sda reads 100 sectors in 250 ms, sdb 200 in 500 ms; the processors are 50% and
    // 100% busy.
    static constexpr Case kCases[] = {
        {"C:\\ [System]", true, 25, 51200}, {"D:", false, 50, 102400}, {"Z:", false, 0, 0}};
    test::DiskIo sda, sdb;
    auto cpus = test::idle_cpus(2);
    SampleMainDisplay("");
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.entry);
        sda.reads += 1, sda.read_sectors += 100, sda.read_ms += 250;
        sdb.reads += 1, sdb.read_sectors += 200, sdb.read_ms += 500;
        m_.set_io("sda", sda);
        m_.set_io("sdb", sdb);
        cpus[0].user += 50, cpus[0].idle += 50, cpus[1].user += 100;
        m_.set_cpus(cpus);
        clock_.advance(1000);
        const LiveFigures f = SampleMainDisplay(c.entry);
        EXPECT_DOUBLE_EQ(f.cpu_percent, 75);  // the average, not the sum
        EXPECT_EQ(f.physical, c.physical);
        EXPECT_DOUBLE_EQ(f.disk_time_percent, c.disk_time);
        EXPECT_DOUBLE_EQ(f.bytes_per_sec, c.bytes);
    }
}

}  // namespace
}  // namespace bw
