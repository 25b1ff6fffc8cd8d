// The readers of the kernel's text files, counter paths and disk names, without a machine.
#include <gtest/gtest.h>

#include "support/counter_machine.h"
#include "platform/PdhDiskMap.h"
#include "platform/PdhPath.h"
#include "platform/PdhSources.h"

namespace bw {
namespace {

TEST(PdhSources, DiskStatsKeepEveryFieldTheKernelWrites) {
    const std::string text =
        "   8       0 sda 10 1 20 30 40 2 50 60 3 70 80\n"         // 4.17 and older: 11 fields
        "   8       1 sda1 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"  // discard fields
        " 254       0 vda 41176 9096 3370290 20425 40482 10330 2383744 8773 0 7112 29715 6743 30 "
        "480640 397 3444 118\n"
        "garbage line\n"
        "   8       2 sdb 1 2 x 4 5 6 7 8 9 10 11\n"  // not a number: dropped
        "   8       3 sdc 1 2 3\n";                   // cut short: dropped
    const auto lines = ParseDiskStats(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name + lines[1].name + lines[2].name, "sdasda1vda");
    EXPECT_EQ(
        (std::array{lines[0].f[0], lines[0].f[10], lines[1].f[14], lines[2].f[9], lines[2].f[16]}),
        (std::array<std::uint64_t, 5>{10, 80, 15, 7112, 118}));
}

TEST(PdhSources, ProcStatAndInterruptsPerProcessor) {
    const auto cpus = ParseProcStat(
        "cpu  10 1 5 100 4 2 3 1 0 0\ncpu0 5 0 2 50 2 1 1 0 0 0\ncpu71 5 1 3 50 2 1 2 1 0 0\nintr "
        "5 1\n");
    ASSERT_EQ(cpus.size(), 3u);
    // Guest time is already in user time: the total leaves it out.
    EXPECT_EQ((std::array{cpus[0].cpu, cpus[2].cpu}), (std::array{-1, 71}));
    EXPECT_EQ((std::array{cpus[0].total(), cpus[0].idle_all(), cpus[2].steal}),
              (std::array<std::uint64_t, 3>{126, 104, 1}));
    // Offline processors leave gaps in the header; summary rows (ERR, MIS) have one number.
    EXPECT_EQ(ParseInterrupts("           CPU0       CPU2\n"
                              "  0:         10          0   IO-APIC   2-edge      timer\n"
                              "  1:          1          5   IO-APIC   1-edge      i8042\n"
                              "LOC:        100        200   Local timer interrupts\n"
                              "ERR:          3\n"),
              (std::vector<std::uint64_t>{114, 0, 205}));
}

TEST(PdhSources, DamagedFilesGiveWhatCanBeReadAndNeverCrash) {
    static constexpr const char* kGarbage[] = {
        "",
        "\n\n\n",
        "           CPU4000000000 CPU99999999999999999999999\n  0: 1 2\n",
        "cpu\ncpu0\ncpu99999999999 1 2 3 4 5 6 7 8\ncpuX 1 2 3 4\n",
        "8 0 sda 18446744073709551615 0 18446744073709551615 0 0 0 0 0 0 0 0\n",
        "1 (unterminated R 1 2 3",
        "rchar: \nwchar: x\n",
        "\0\0\0binary\xff\xfe",
    };
    for (const char* text : kGarbage) {
        SCOPED_TRACE(text);
        EXPECT_LE(ParseDiskStats(text).size(), 1u);
        for (const auto& c : ParseProcStat(text)) EXPECT_LT(c.cpu, 1 << 16);
        EXPECT_LE(ParseInterrupts(text).size(), 1u << 16);
        EXPECT_FALSE(ParseProcessStat(text).has_value());
        EXPECT_FALSE(ParseProcessIo(text).has_value());
        EXPECT_FALSE(FindStatValue(text, "pgfault").has_value());
    }
}

TEST(PdhSources, StatValuesMatchWholeKeysOnly) {
    const std::string text =
        "MemTotal:  100 kB\nMemAvailable:   42 kB\nCommitted_AS:  7 kB\n"
        "pgfault_x 9\npgfault 12345\npgmajfault 3\n";
    EXPECT_EQ(FindStatValue(text, "MemAvailable"), 42u);
    EXPECT_EQ(FindStatValue(text, "Committed_AS"), 7u);
    EXPECT_FALSE(FindStatValue(text, "Mem").has_value());
    EXPECT_EQ(FindStatValue(text, "pgfault"), 12345u);
}

TEST(PdhSources, ProcessStatSurvivesOddNames) {
    // A name with blanks and parentheses; fields 14, 15, 22 are utime, stime, starttime.
    const auto s = ParseProcessStat(
        "77 (a) (b c) R 1 77 77 0 -1 4194560 10 0 0 0 123 45 0 0 20 0 1 0 9999 1 2\n");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ((std::array{s->utime, s->stime, s->start_time}),
              (std::array<std::uint64_t, 3>{123, 45, 9999}));
    EXPECT_FALSE(ParseProcessStat("77 (cut short) R 1 2").has_value());
    const auto io = ParseProcessIo("rchar: 1\nwchar: 2\nsyscr: 3\nsyscw: 4\nread_bytes: 5\n");
    ASSERT_TRUE(io.has_value());
    EXPECT_EQ(io->syscw, 4u);
    EXPECT_FALSE(ParseProcessIo("rchar: 1\n").has_value());
}

TEST(PdhSources, ProcessesAreFoundByImageNameWithoutCase) {
    test::CounterMachine m;
    m.set_process(300, "/tmp/w/LOADWorker.exe", 1, 1, 10);
    m.set_process(200, "/tmp/w/loadworker.exe (deleted)", 1, 1, 10);
    m.set_process(100, "/usr/bin/sleep", 1, 1, 10);
    m.set_process(400, "/tmp/w/LOADWorker2.exe", 1, 1, 10);
    m.write("/proc/500/comm", "LOADWorker.exe\n");  // another user's: no exe link, only comm
    const Sysroot root = m.sysroot();
    for (const char* name : {"LOADWorker.exe", "LoadWorker"})
        EXPECT_EQ(FindProcesses(root, name), (std::vector<int>{200, 300, 500})) << name;
    EXPECT_EQ(FindProcesses(root, "LOADWorker2.exe"), (std::vector<int>{400}));
    EXPECT_TRUE(FindProcesses(root, "LOADWorker3.exe").empty());
    EXPECT_EQ(ProcessImageName(root, 200), "loadworker.exe");
    EXPECT_EQ(ProcessImageName(root, 999), "");
}

TEST(PdhPath, ParsesTheShapesTheProgramUses) {
    static constexpr std::array<const char*, 5> kGood[] = {
        // text, machine, object, instance, counter
        {"\\\\HOST\\PhysicalDisk(0 C:)\\Disk Read Bytes/sec", "HOST", "PhysicalDisk", "0 C:",
         "Disk Read Bytes/sec"},
        {"\\\\h\\PhysicalDisk(1 D: E:)\\% Disk Time", "h", "PhysicalDisk", "1 D: E:",
         "% Disk Time"},
        {"\\Memory\\Page Faults/sec", "", "Memory", "", "Page Faults/sec"},
        {"\\\\h\\Processor Information(0,12)\\% Processor Time", "h", "Processor Information",
         "0,12", "% Processor Time"},
        {"\\\\h\\Process(a (b))\\ID Process", "h", "Process", "a (b)", "ID Process"},
    };
    for (const auto& c : kGood) {
        SCOPED_TRACE(c[0]);
        const auto p = ParsePdhPath(c[0]);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ((std::array<std::string, 4>{p->machine, p->object, p->instance, p->counter}),
                  (std::array<std::string, 4>{c[1], c[2], c[3], c[4]}));
    }
    for (const char* bad : {"", "Memory\\Available Bytes", "\\\\h", "\\\\\\Memory\\x", "\\Memory\\",
                            "\\Memory", "\\PhysicalDisk(0\\x", "\\(0)\\x"})
        EXPECT_FALSE(ParsePdhPath(bad).has_value()) << bad;
}

TEST(PdhDiskMap, DiskNamesSortNaturally) {
    const std::vector<std::string> sorted = {"loop2", "loop10", "nvme0n1", "nvme1n1", "nvme10n1",
                                             "sda",   "sdb",    "sdz",     "sdaa",    "sdab",
                                             "vda",   "zram1"};
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        const auto &a = sorted[i], &b = sorted[i + 1];
        EXPECT_TRUE(DiskNameLess(a, b) && !DiskNameLess(b, a)) << a << " < " << b;
    }
}

}  // namespace
}  // namespace bw
