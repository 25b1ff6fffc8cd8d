// Processor, memory and process counters against sequences of /proc states.
#include <unistd.h>

#include <gtest/gtest.h>

#include "counters/counter_machine.h"
#include "platform/PdhQuery.h"

namespace bw {
namespace {

using test::CounterMachine;

class PdhCounters : public ::testing::Test {
  protected:
    PdhCounters() : use_clock_(clock_) {}
    void open() {
        lib_ = std::make_unique<PdhLibrary>(m_.sysroot());
        ASSERT_EQ(lib_->OpenQuery(&query_), kPdhOk);
    }
    PdhHandle add(const std::string& path) {
        PdhHandle h = 0;
        EXPECT_EQ(lib_->AddCounter(query_, path, &h), kPdhOk) << path;
        return h;
    }
    void collect_after(int ms) {
        clock_.advance(ms);
        lib_->CollectQueryData(query_);
    }
    double value(PdhHandle h, PdhStatus* st = nullptr) {
        return lib_->GetDoubleCounterValue(h, st);
    }

    test::FakeClock clock_;
    test::UseClock use_clock_;
    CounterMachine m_;
    std::unique_ptr<PdhLibrary> lib_;
    PdhHandle query_ = 0;
};

std::vector<CpuTimes> cpus(int count, std::uint64_t busy, std::uint64_t idle) {
    std::vector<CpuTimes> v;
    for (int i = 0; i < count; ++i) {
        CpuTimes t;
        t.cpu = i;
        t.user = busy * (i + 1);
        t.idle = idle;
        v.push_back(t);
    }
    return v;
}

TEST_F(PdhCounters, ProcessorTimeOfEveryProcessorBeyond64) {
    m_.set_cpus(cpus(72, 0, 0));
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
    // Processor i is busy 1 tick in (i + 1) + 100... per 100 ticks of its clock: busy b(i+1), idle
    // 100.
    auto later = cpus(72, 1, 100);
    for (auto& t : later) t.idle = 100 - std::min<std::uint64_t>(t.user, 100);
    m_.set_cpus(later);
    collect_after(1000);
    EXPECT_NEAR(value(p0), 1.0, 1e-9);
    EXPECT_NEAR(value(p70), 71.0, 1e-9);
    EXPECT_NEAR(value(idle70), 29.0, 1e-9);
    double busy = 0, all = 0;
    for (const auto& t : later) busy += t.user, all += t.total();
    EXPECT_NEAR(value(total), 100.0 * busy / all, 1e-9);
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

    // It ends: its counters read 0, saying so.
    m_.end_process(4321);
    collect_after(1000);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(ops, &st), 0);
    EXPECT_EQ(st, kPdhNoInstance);

    // A new tester under the same name: found again, its rate starts over.
    m_.set_process(5000, "/w/LOADWorker.exe", 0, 0, 900, {0, 0, 7, 0});
    collect_after(1000);
    EXPECT_EQ(value(ops, &st), 0);
    EXPECT_EQ(st, kPdhInvalidData);
    m_.set_process(5000, "/w/LOADWorker.exe", 0, 0, 900, {0, 0, 57, 0});
    collect_after(500);
    EXPECT_DOUBLE_EQ(value(ops), 100);

    // The PID reused by another process (new start time) is not the tester.
    m_.set_process(5000, "/usr/bin/other", 0, 0, 950, {0, 0, 1000, 0});
    collect_after(1000);
    EXPECT_EQ(value(ops, &st), 0);
    EXPECT_EQ(st, kPdhNoInstance);
}

TEST_F(PdhCounters, ATesterSeenBeforeItsExecIsFoundAfterIt) {
    // posix_spawn: the child shows under the parent's name until its exec.
    m_.set_process(600, "/usr/bin/brantwell", 0, 0, 10);
    open();
    const PdhHandle pid = add("\\Process(LoadWorker)\\ID Process");
    collect_after(0);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(pid, &st), 0);
    m_.set_process(600, "/w/LOADWorker.exe", 0, 0, 10);
    collect_after(1000);
    EXPECT_DOUBLE_EQ(value(pid), 600);
}

TEST_F(PdhCounters, APidHandedOnLongAfterTheLastScanIsLookedAtAgain) {
    m_.set_process(700, "/bin/sleep", 0, 0, 10);
    open();
    const PdhHandle pid = add("\\Process(LoadWorker)\\ID Process");
    for (int i = 0; i < 3; ++i) collect_after(1000);  // 700 is known as sleep by now
    m_.set_process(700, "/w/LOADWorker.exe", 0, 0, 99999);
    collect_after(60000);
    EXPECT_DOUBLE_EQ(value(pid), 700);
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

TEST_F(PdhCounters, ClosingAQueryDropsItsCounters) {
    open();
    const PdhHandle h = add("\\Memory\\Available Bytes");
    EXPECT_EQ(lib_->CloseQuery(query_), kPdhOk);
    PdhStatus st = kPdhOk;
    EXPECT_EQ(value(h, &st), 0);
    EXPECT_EQ(st, kPdhInvalidHandle);
    EXPECT_EQ(lib_->CloseQuery(query_), kPdhInvalidHandle);
    EXPECT_EQ(lib_->CollectQueryData(query_), kPdhInvalidHandle);
}

}  // namespace
}  // namespace bw
