#include "counters/Counters.h"

#include <gtest/gtest.h>

#include "counters/counters_scenario.h"

namespace bw {
namespace {

using test::CountersScenario;

class CounterGroups : public CountersScenario {};

TEST_F(CounterGroups, ListsHoldEachInstanceOnceWithoutTheTotal) {
    library();
    ListPhysicalDisks();
    ListLogicalDisks();
    const CounterState& s = counters();
    // Letters in mount-point order after "/": /backup is D:, /data is E:.
    EXPECT_EQ(s.PhysicalList, (std::vector<std::string>{"0 C: E:", "1 D:"}));
    EXPECT_EQ(s.PhysicalDiskLast, 1);
    EXPECT_EQ(s.LogicalList, (std::vector<std::string>{"C:", "D:", "E:"}));
    EXPECT_EQ(s.LogicalDiskLast, 2);
}

TEST_F(CounterGroups, ListWalkDropsTotalsLetterlessVolumesAndRepeats) {
    // The inventory may name instances the default map would not: a volume without a letter,
    // the same disk twice, blanks around a name.
    CounterDiskMap map;
    map.disks = {{0, "sda", "C"}, {0, "sda", "C"}, {1, "sdb", ""}};
    map.volumes = {{'C', "sda1", "/"}};
    library().set_disk_map(map);
    ListPhysicalDisks();
    EXPECT_EQ(counters().PhysicalList, (std::vector<std::string>{"0 C:"}));  // "1" is too short
    ListLogicalDisks();
    EXPECT_EQ(counters().LogicalList, (std::vector<std::string>{"C:"}));
}

TEST_F(CounterGroups, FailedEnumerationLeavesAnEmptyList) {
    m_.remove("/proc/diskstats");
    library();
    ListPhysicalDisks();
    ListLogicalDisks();
    EXPECT_TRUE(counters().PhysicalList.empty());
    EXPECT_EQ(counters().PhysicalDiskLast, -1);
    EXPECT_EQ(counters().LogicalDiskLast, -1);
    AddPhysicalDiskCounters();
    AddLogicalDiskCounters();
    EXPECT_TRUE(counters().LogicalDiskCounters.empty());
    EXPECT_EQ(counters().logical_disk_probe(), 0u);
}

TEST_F(CounterGroups, StartUpOrderLeavesEveryHandleInTheLiveQuery) {
    library();
    m_.write("/proc/vmstat", "pgfault 100\n");
    m_.write("/proc/meminfo", "MemAvailable: 2000 kB\nCommitted_AS: 10 kB\n");
    ListPhysicalDisks();
    ListLogicalDisks();
    AddMemoryCounters();
    const PdhHandle first_query = counters().SharedQuery;
    const PdhHandle first_memory = counters().memory_probe();
    EXPECT_NE(first_memory, 0u);
    AddPhysicalDiskCounters();
    EXPECT_NE(counters().SharedQuery, first_query);  // opened anew
    AddLogicalDiskCounters();
    for (int t = 1; t <= 3; ++t) AddTesterCounters(t);
    AddProcessorCounters();
    const CounterState& s = counters();
    EXPECT_NE(s.memory_probe(), first_memory);
    for (const auto& row : s.PhysicalDiskCounters)
        for (PdhHandle h : row) EXPECT_NE(h, 0u);
    ASSERT_EQ(s.LogicalDiskCounters.size(), 3u);
    for (const auto& row : s.LogicalDiskCounters)
        for (PdhHandle h : row) EXPECT_NE(h, 0u);
    for (int t = 1; t <= 3; ++t) EXPECT_NE(s.tester_probe(t), 0u);
    ASSERT_EQ(s.ProcessorCounters.size(), 2u);
    EXPECT_NE(s.ProcessorFrequencyCounter, 0u);
    EXPECT_NE(s.CacheCounters[1], 0u);

    // "\Memory\Page Faults/sec" reads live values after start-up.
    CollectCounters();
    m_.write("/proc/vmstat", "pgfault 700\n");
    clock_.advance(2000);
    CollectCounters();
    EXPECT_DOUBLE_EQ(CounterValue(s.MemoryCounters[kPageFaults]), 300);
    EXPECT_DOUBLE_EQ(CounterValue(s.MemoryCounters[kAvailableBytes]), 2000 * 1024.0);
    EXPECT_EQ(CounterValue(0), 0);
}

TEST_F(CounterGroups, ManyDisksAndProcessorsAllGetRows) {
    for (int i = 0; i < 28; ++i)
        m_.add_disk("nvme" + std::to_string(i) + "n1", fmt::format("259:{}", i));
    std::vector<CpuTimes> cpus;
    for (int i = 0; i < 70; ++i) cpus.push_back({i, 0, 0, 0, 0, 0, 0, 0, 0});
    m_.set_cpus(cpus);
    app().processor_count = 70;
    library();
    ListPhysicalDisks();
    // Disks without a letter have one-character names ("2") below 10, which the list skips.
    ASSERT_EQ(counters().PhysicalList.size(), 20u);
    EXPECT_EQ(counters().PhysicalList.back(), "29 D:");
    AddPhysicalDiskCounters();
    for (const auto& row : counters().PhysicalDiskCounters) EXPECT_NE(row[1], 0u);
    AddProcessorCounters();
    ASSERT_EQ(counters().ProcessorCounters.size(), 70u);
    EXPECT_NE(counters().ProcessorCounters[69][kProcessorTime], 0u);

    // Every processor counts towards the total, not only the first 64.
    SampleProcessorUsage();
    for (auto& c : cpus) c.user = 50, c.idle = 50;
    m_.set_cpus(cpus);
    clock_.advance(1000);
    SampleProcessorUsage();
    EXPECT_NEAR(counters().TotalProcessorUsage, 70 * 50.0, 1e-6);
    EXPECT_NEAR(counters().ProcessorUsage[69], 50.0, 1e-9);
}

TEST_F(CounterGroups, OneProcessorTotalIsThatProcessor) {
    m_.set_cpus({{0, 0, 0, 0, 0, 0, 0, 0, 0}});
    app().processor_count = 1;
    library();
    AddMemoryCounters();
    AddProcessorCounters();
    EXPECT_EQ(counters().ProcessorCounters.size(), 1u);
    SampleProcessorUsage();
    m_.set_cpus({{0, 30, 0, 10, 60, 0, 0, 0, 0}});
    clock_.advance(1000);
    SampleProcessorUsage();
    EXPECT_NEAR(counters().TotalProcessorUsage, 40.0, 1e-9);
    EXPECT_DOUBLE_EQ(counters().TotalProcessorUsage, counters().ProcessorUsage[0]);
}

TEST_F(CounterGroups, ProbeSaysWhetherTheLogicalDiskObjectTakesCounters) {
    library();
    AddMemoryCounters();
    EXPECT_TRUE(ProbeLogicalDiskCounter());
    m_.write("/sys/devices/virtual/block/sdb/queue/iostats", "0\n");
    clock_.advance(1000);
    EXPECT_FALSE(ProbeLogicalDiskCounter());
    CloseCounterQuery();
    EXPECT_EQ(counters().SharedQuery, 0u);
    EXPECT_FALSE(ProbeLogicalDiskCounter());
}

}  // namespace
}  // namespace bw
