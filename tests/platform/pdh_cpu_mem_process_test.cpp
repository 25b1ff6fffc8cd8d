// Processor, memory and process counters against sequences of /proc states.
#include <gtest/gtest.h>

#include "counters/counter_machine.h"

namespace bw {
namespace {

class PdhCounters : public ::testing::Test, public test::PdhRig {};

TEST_F(PdhCounters, ProcessorTimeOfEveryProcessorBeyond64) {
    m_.set_cpus(test::idle_cpus(72));
    open();
    std::string names, instances;
    ASSERT_EQ(lib_->EnumObjectItems("", "Processor Information", &names, &instances), kPdhOk);
    EXPECT_NE(instances.find(std::string("0,71\0", 5)), std::string::npos);
    const PdhHandle p0 = add("\\Processor Information(0,0)\\% Processor Time");
    const PdhHandle p70 = add("\\Processor Information(0,70)\\% Processor Time");
    const PdhHandle total = add("\\Processor Information(_Total)\\% Processor Time");
    const PdhHandle idle70 = add("\\Processor(70)\\% Idle Time");
    const PdhHandle missing = add("\\Processor Information(0,99)\\% Processor Time");
    collect_after(0);
    // Processor i is busy i + 1 ticks of 100.
    auto later = test::idle_cpus(72);
    double busy = 0;
    for (auto& t : later) t.user = t.cpu + 1, t.idle = 99 - t.cpu, busy += t.user;
    m_.set_cpus(later);
    collect_after(1000);
    EXPECT_NEAR(value(p0), 1.0, 1e-9);
    EXPECT_NEAR(value(p70), 71.0, 1e-9);
    EXPECT_NEAR(value(idle70), 29.0, 1e-9);
    EXPECT_NEAR(value(total), busy / 72, 1e-9);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(missing, &st), 0);
    EXPECT_EQ(st, kPdhNoInstance);
}

TEST_F(PdhCounters, InterruptsPerSecondPerProcessor) {
    m_.write("/proc/interrupts",
             "      CPU0   CPU1\n 0:   10   20  timer\nLOC:  100  200  Local\n");
    open();
    const PdhHandle cpu1 = add("\\Processor Information(0,1)\\Interrupts/sec");
    const PdhHandle total = add("\\Processor Information(_Total)\\Interrupts/sec");
    collect_after(0);
    m_.write("/proc/interrupts",
             "      CPU0   CPU1\n 0:   30   20  timer\nLOC:  150  420  Local\n");
    collect_after(2000);
    EXPECT_DOUBLE_EQ(value(cpu1), 110);
    EXPECT_DOUBLE_EQ(value(total), 145);
}

TEST_F(PdhCounters, MemoryFiguresAndPageFaults) {
    m_.write("/proc/meminfo",
             "MemTotal: 8000 kB\nMemAvailable: 5000 kB\nBuffers: 100 kB\nCached: 900 kB\n"
             "CommitLimit: 9000 kB\nCommitted_AS: 3000 kB\n");
    m_.write("/proc/vmstat", "pgfault 1000\n");
    open();
    const PdhHandle committed = add("\\Memory\\Committed Bytes");
    const PdhHandle available = add("\\Memory\\Available Bytes");
    const PdhHandle cache = add("\\Memory\\Cache Bytes");
    const PdhHandle peak = add("\\Memory\\Cache Bytes Peak");
    const PdhHandle faults = add("\\Memory\\Page Faults/sec");
    collect_after(0);
    EXPECT_DOUBLE_EQ(value(committed), 3000 * 1024.0);
    EXPECT_DOUBLE_EQ(value(available), 5000 * 1024.0);
    EXPECT_DOUBLE_EQ(value(cache), 1000 * 1024.0);
    EXPECT_EQ(value(faults), 0);
    m_.write("/proc/meminfo",
             "MemAvailable: 5000 kB\nBuffers: 100 kB\nCached: 400 kB\nCommitted_AS: 3000 kB\n");
    m_.write("/proc/vmstat", "pgfault 1600\n");
    collect_after(2000);
    EXPECT_DOUBLE_EQ(value(cache), 500 * 1024.0);
    EXPECT_DOUBLE_EQ(value(peak), 1000 * 1024.0);
    EXPECT_DOUBLE_EQ(value(faults), 300);
}

TEST_F(PdhCounters, ProcessIoRatesFollowTheProcessUntilItEnds) {
    m_.set_process(4321, "/w/LOADWorker.exe", 0, 0, 500, {1000, 0, 10, 0});
    open();
    const PdhHandle ops = add("\\Process(LoadWorker)\\IO Read Operations/sec");
    const PdhHandle bytes = add("\\Process(LoadWorker)\\IO Read Bytes/sec");
    const PdhHandle data = add("\\Process(LoadWorker)\\IO Data Operations/sec");
    const PdhHandle other = add("\\Process(LoadWorker)\\IO Other Operations/sec");
    const PdhHandle pid = add("\\Process(LoadWorker)\\ID Process");
    collect_after(0);
    EXPECT_DOUBLE_EQ(value(pid), 4321);
    m_.set_process(4321, "/w/LOADWorker.exe", 0, 0, 500, {1000 + 4096 * 300, 8192, 310, 5});
    collect_after(1000);
    EXPECT_DOUBLE_EQ(value(ops), 300);
    EXPECT_DOUBLE_EQ(value(bytes), 4096 * 300);
    EXPECT_DOUBLE_EQ(value(data), 305);
    EXPECT_DOUBLE_EQ(value(other), 0);

    const auto expect_zero = [&](PdhStatus why) {
        PdhStatus st = kPdhOk;
        EXPECT_EQ(value(ops, &st), 0);
        EXPECT_EQ(st, why);
    };
    m_.end_process(4321);  // it ends: its counters read 0, saying so
    collect_after(1000);
    expect_zero(kPdhNoInstance);
    // A new tester under the same name: found again, its rate starts over.
    m_.set_process(5000, "/w/LOADWorker.exe", 0, 0, 900, {0, 0, 7, 0});
    collect_after(1000);
    expect_zero(kPdhInvalidData);
    m_.set_process(5000, "/w/LOADWorker.exe", 0, 0, 900, {0, 0, 57, 0});
    collect_after(500);
    EXPECT_DOUBLE_EQ(value(ops), 100);
    // The PID reused by another process (new start time) is not the tester.
    m_.set_process(5000, "/usr/bin/other", 0, 0, 950, {0, 0, 1000, 0});
    collect_after(1000);
    expect_zero(kPdhNoInstance);
}

TEST(PdhProcessScan, APidThatBecomesATesterIsLookedAtAgain) {
    struct Case {
        const char* before;
        int collects, step, gap;
        std::uint64_t start_after;
    };
    static constexpr Case kCases[] = {
        {"/usr/bin/brantwell", 1, 0, 1000, 10},  // posix_spawn: the parent's name until exec
        {"/bin/sleep", 3, 1000, 60000, 99999},   // handed on long after the last scan
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.before);
        test::PdhRig r;
        r.m_.set_process(600, c.before, 0, 0, 10);
        r.open();
        const PdhHandle pid = r.add("\\Process(LoadWorker)\\ID Process");
        for (int i = 0; i < c.collects; ++i) r.collect_after(c.step);
        EXPECT_EQ(r.value(pid), 0);
        r.m_.set_process(600, "/w/LOADWorker.exe", 0, 0, c.start_after);
        r.collect_after(c.gap);
        EXPECT_DOUBLE_EQ(r.value(pid), 600);
    }
}

TEST_F(PdhCounters, SeveralProcessesOfOneNameAreNumbered) {
    m_.set_process(10, "/bin/worker", 0, 0, 1);
    m_.set_process(20, "/bin/worker", 0, 0, 1);
    open();
    std::string names, instances;
    ASSERT_EQ(lib_->EnumObjectItems("", "Process", &names, &instances), kPdhOk);
    EXPECT_EQ(instances, std::string("worker\0worker#1\0\0", 17));
    const PdhHandle second = add("\\Process(worker#1)\\ID Process");
    collect_after(0);
    EXPECT_DOUBLE_EQ(value(second), 20);
}

TEST_F(PdhCounters, CountersWithoutALinuxSourceReadZero) {
    open();
    const PdhHandle copy = add("\\Cache\\Copy Reads/sec");
    const PdhHandle calls = add("\\System\\System Calls/sec");
    collect_after(0);
    collect_after(1000);
    PdhStatus st = 1;
    EXPECT_EQ(value(copy, &st), 0);
    EXPECT_EQ(st, kPdhOk);
    EXPECT_EQ(value(calls), 0);
    EXPECT_FALSE(PdhLibrary::CounterHasSource("Cache", "Copy Reads/sec"));
    EXPECT_FALSE(PdhLibrary::CounterHasSource("LogicalDisk", "Split IO/Sec"));
    EXPECT_FALSE(PdhLibrary::CounterHasSource("Process", "IO Other Bytes/sec"));
    EXPECT_TRUE(PdhLibrary::CounterHasSource("PhysicalDisk", "Disk Read Bytes/sec"));
}

}  // namespace
}  // namespace bw
