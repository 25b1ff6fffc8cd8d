#include "counters/Counters.h"

#include <gtest/gtest.h>

#include "counters/counter_machine.h"

namespace bw {
namespace {

class CounterGroups : public test::CountersScenario {
  protected:
    void list_disks() {
        library();
        ListPhysicalDisks();
        ListLogicalDisks();
    }
};

TEST_F(CounterGroups, ListsHoldEachInstanceOnceWithoutTheTotal) {
    list_disks();
    const CounterState& s = counters();
    // Letters in mount-point order after "/": /backup is D:, /data is E:.
    EXPECT_EQ(s.PhysicalList, (std::vector<std::string>{"0 C: E:", "1 D:"}));
    EXPECT_EQ(s.PhysicalDiskLast, 1);
    EXPECT_EQ(s.LogicalList, (std::vector<std::string>{"C:", "D:", "E:"}));
    EXPECT_EQ(s.LogicalDiskLast, 2);

    // The inventory may name instances the default map would not: a volume without a letter,
    // the same disk twice.
    CounterDiskMap map;
    map.disks = {{0, "sda", "C"}, {0, "sda", "C"}, {1, "sdb", ""}};
    map.volumes = {{'C', "sda1", "/"}};
    library().set_disk_map(map);
    ListPhysicalDisks();
    ListLogicalDisks();
    EXPECT_EQ(s.PhysicalList, (std::vector<std::string>{"0 C:"}));  // "1" is too short
    EXPECT_EQ(s.LogicalList, (std::vector<std::string>{"C:"}));
}

TEST_F(CounterGroups, FailedEnumerationLeavesAnEmptyList) {
    m_.remove("/proc/diskstats");
    list_disks();
    AddPhysicalDiskCounters();
    AddLogicalDiskCounters();
    const CounterState& s = counters();
    EXPECT_TRUE(s.PhysicalList.empty());
    EXPECT_EQ(s.PhysicalDiskLast, -1);
    EXPECT_EQ(s.LogicalDiskLast, -1);
    EXPECT_TRUE(s.LogicalDiskCounters.empty());
    EXPECT_EQ(s.logical_disk_probe(), 0u);
}

TEST_F(CounterGroups, StartUpOrderLeavesEveryHandleInTheLiveQuery) {
    m_.write("/proc/vmstat", "pgfault 100\n");
    m_.write("/proc/meminfo", "MemAvailable: 2000 kB\nCommitted_AS: 10 kB\n");
    list_disks();
    AddMemoryCounters();
    const CounterState& s = counters();
    const PdhHandle first_query = s.SharedQuery, first_memory = s.memory_probe();
    EXPECT_NE(first_memory, 0u);
    AddPhysicalDiskCounters();
    EXPECT_NE(s.SharedQuery, first_query);  // opened anew
    AddLogicalDiskCounters();
    for (int t = 1; t <= 3; ++t) AddTesterCounters(t);
    AddProcessorCounters();
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
    for (int i = 0; i < 28; ++i) m_.add_disk(fmt::format("nvme{}n1", i), fmt::format("259:{}", i));
    m_.set_cpus(test::idle_cpus(70));
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
}

TEST_F(CounterGroups, TotalProcessorUsageSumsEveryProcessor) {
    struct Case {
        int count;
        std::uint64_t user, system, idle;
        double each;
    };
    // One processor is its own total; past 64 every one still counts.
    static constexpr Case kCases[] = {{1, 30, 10, 60, 40}, {70, 50, 0, 50, 50}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.count);
        ResetCounterState();
        auto cpus = test::idle_cpus(c.count);
        m_.set_cpus(cpus);
        app().processor_count = c.count;
        library();
        AddMemoryCounters();
        AddProcessorCounters();
        SampleProcessorUsage();
        for (auto& t : cpus) t.user = c.user, t.system = c.system, t.idle = c.idle;
        m_.set_cpus(cpus);
        clock_.advance(1000);
        SampleProcessorUsage();
        ASSERT_EQ(counters().ProcessorUsage.size(), static_cast<size_t>(c.count));
        EXPECT_NEAR(counters().ProcessorUsage.back(), c.each, 1e-9);
        EXPECT_NEAR(counters().TotalProcessorUsage, c.count * c.each, 1e-6);
    }
}

TEST_F(CounterGroups, ProbeSaysWhetherTheLogicalDiskObjectTakesCounters) {
    library();
    AddMemoryCounters();
    EXPECT_TRUE(ProbeLogicalDiskCounter());
    m_.set_iostats("sdb", false);
    clock_.advance(1000);
    EXPECT_FALSE(ProbeLogicalDiskCounter());
    CloseCounterQuery();
    EXPECT_EQ(counters().SharedQuery, 0u);
    EXPECT_FALSE(ProbeLogicalDiskCounter());
}

}  // namespace
}  // namespace bw
