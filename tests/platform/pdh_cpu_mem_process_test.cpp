// Processor, memory and process counters against sequences of /proc states, and the whole layer
// over files captured from a running kernel.
#include <gtest/gtest.h>

#include "support/counter_machine.h"

namespace bw {
namespace {

using Read = std::pair<double, PdhStatus>;

class PdhCounters : public ::testing::Test, public test::PdhRig {
  protected:
    // A counter's value with the status it came with.
    Read read(PdhHandle h) {
        PdhStatus st = 1;
        const double v = value(h, &st);
        return {v, st};
    }
};

TEST_F(PdhCounters, ProcessorTimeAndInterruptsOfEveryProcessorBeyond64) {
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
    const PdhHandle irq1 = add("\\Processor Information(0,1)\\Interrupts/sec");
    m_.write("/proc/interrupts", "      CPU0   CPU1\n 0:   10   20  timer\n");
    collect_after(0);
    auto later = test::idle_cpus(72);  // processor i is busy i + 1 ticks of 100
    for (auto& t : later) t.user = t.cpu + 1, t.idle = 99 - t.cpu;
    m_.set_cpus(later);
    m_.write("/proc/interrupts", "      CPU0   CPU1\n 0:   30  240  timer\n");
    collect_after(2000);
    EXPECT_NEAR(value(p0), 1.0, 1e-9);
    EXPECT_NEAR(value(p70), 71.0, 1e-9);
    EXPECT_NEAR(value(idle70), 29.0, 1e-9);
    EXPECT_NEAR(value(total), 36.5, 1e-9);  // (1 + ... + 72) / 72
    EXPECT_EQ(read(missing), Read(0, kPdhNoInstance));
    EXPECT_DOUBLE_EQ(value(irq1), 110);
}

TEST_F(PdhCounters, ProcessIoRatesFollowTheProcessUntilItEnds) {
    m_.set_process(4321, "/w/LOADWorker.exe", 0, 0, 500, {1000, 0, 10, 0});
    open();
    const std::string p = "\\Process(LoadWorker)\\";
    const PdhHandle ops = add(p + "IO Read Operations/sec"), bytes = add(p + "IO Read Bytes/sec"),
                    data = add(p + "IO Data Operations/sec"),
                    other = add(p + "IO Other Operations/sec"), pid = add(p + "ID Process");
    collect_after(0);
    EXPECT_DOUBLE_EQ(value(pid), 4321);
    m_.set_process(4321, "/w/LOADWorker.exe", 0, 0, 500, {1000 + 4096 * 300, 8192, 310, 5});
    collect_after(1000);
    EXPECT_EQ((std::array{value(ops), value(bytes), value(data), value(other)}),
              (std::array{300.0, 4096 * 300.0, 305.0, 0.0}));
    // It ends: its counters read 0, saying so. A new tester under the same name is found again and
    // its rate starts over; the PID reused by another program is not the tester.
    m_.end_process(4321);
    struct Step {
        int pid;  // 0: none
        const char* exe;
        std::uint64_t start_time, syscr;
        int ms;
        Read read;
    };
    static constexpr Step kSteps[] = {
        {0, "", 0, 0, 1000, {0, kPdhNoInstance}},
        {5000, "/w/LOADWorker.exe", 900, 7, 1000, {0, kPdhInvalidData}},
        {5000, "/w/LOADWorker.exe", 900, 57, 500, {100, kPdhOk}},
        {5000, "/usr/bin/other", 950, 1000, 1000, {0, kPdhNoInstance}},
    };
    for (const auto& s : kSteps) {
        SCOPED_TRACE(s.exe);
        if (s.pid) m_.set_process(s.pid, s.exe, 0, 0, s.start_time, {0, 0, s.syscr, 0});
        collect_after(s.ms);
        EXPECT_EQ(read(ops), s.read);
    }
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

// The program's counter tables name some figures the kernel does not keep: they are added and
// read 0 without failing, and the command line marks them.
TEST_F(PdhCounters, CountersWithoutALinuxSourceReadZero) {
    open();
    const PdhHandle copy = add("\\Cache\\Copy Reads/sec");
    const PdhHandle calls = add("\\System\\System Calls/sec");
    collect_after(0);
    collect_after(1000);
    EXPECT_EQ(read(copy), Read(0, kPdhOk));
    EXPECT_EQ(read(calls), Read(0, kPdhOk));
    for (const auto& [object, counter, has] :
         {std::tuple{"Cache", "Copy Reads/sec", false}, {"LogicalDisk", "Split IO/Sec", false},
          {"Process", "IO Other Bytes/sec", false}, {"PhysicalDisk", "Disk Read Bytes/sec", true}})
        EXPECT_EQ(PdhLibrary::CounterHasSource(object, counter), has) << counter;
}

// A two-processor VM one second apart (t0, t1); the figures are worked out by hand from the
// captured files (t1 minus t0).
TEST(PdhCaptured, FiguresFollowTheKernelsOwnFiles) {
    test::TempDir root;
    for (const char* part : {"base", "t0"}) test::lay_captured(root.path(), part);
    test::PdhRig r;
    const Sysroot sysroot(root.path());
    r.open(&sysroot);
    static constexpr std::pair<const char*, double> kRows[] = {
        {"\\PhysicalDisk(0 C:)\\Disk Write Bytes/sec", 140992.0 * 512},  // vda sectors written
        {"\\PhysicalDisk(0 C:)\\Disk Writes/sec", 67},
        {"\\LogicalDisk(C:)\\Avg. Disk sec/Write", 1.383 / 67},           // 1383 ms writing
        {"\\PhysicalDisk(0 C:)\\% Idle Time", 100 - 72 / 10.0},           // 72 ms busy
        {"\\Processor Information(0,1)\\% User Time", 100.0 * 86 / 114},  // cpu1 user+nice
        {"\\Processor Information(_Total)\\Interrupts/sec", 730},         // both columns
        {"\\Memory\\Available Bytes", 20825280.0 * 1024},
        {"\\Memory\\Committed Bytes", 2600416.0 * 1024},                 // Committed_AS
        {"\\Memory\\Cache Bytes", (20340 + 4127344.0) * 1024},           // Buffers + Cached
        {"\\Memory\\Cache Bytes Peak", (20332 + 4140776.0) * 1024},      // t0's, the larger
        {"\\Memory\\Page Faults/sec", 52807},
    };
    std::vector<PdhHandle> handles;
    for (const auto& row : kRows) handles.push_back(r.add(row.first));
    r.collect_after(0);
    test::lay_captured(root.path(), "t1");
    r.collect_after(1000);
    for (size_t i = 0; i < handles.size(); ++i)
        EXPECT_NEAR(r.value(handles[i]), kRows[i].second, 1e-9 * kRows[i].second) << kRows[i].first;
}

}  // namespace
}  // namespace bw
