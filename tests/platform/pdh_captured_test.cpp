// The counter layer over files captured from a running kernel, one second apart.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/PdhQuery.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

// Field n (1-based, after the name) of the vda line of a captured diskstats.
double vda_field(const std::string& diskstats, int n) {
    std::istringstream lines(diskstats);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string major, minor, name;
        f >> major >> minor >> name;
        if (name != "vda") continue;
        double v = 0;
        for (int i = 0; i < n; ++i) f >> v;
        return v;
    }
    return -1;
}

// Sum of every count in the processor columns of a captured /proc/interrupts.
double interrupts_total(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    double sum = 0;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string label, word;
        f >> label;
        for (int cpu = 0; cpu < 2 && f >> word; ++cpu) {
            if (word.find_first_not_of("0123456789") != std::string::npos) break;
            sum += std::stod(word);
        }
    }
    return sum;
}

class PdhCaptured : public ::testing::Test {
  protected:
    PdhCaptured() : use_clock_(clock_) {
        lay("base");
        lay("t0");
    }
    void lay(const std::string& part) {
        fs::copy(test::fixture("counters/vm2cpu/" + part), root_.path(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                     fs::copy_options::copy_symlinks);
    }
    std::string captured(const std::string& rel) {
        return test::read_file(test::fixture("counters/vm2cpu/" + rel));
    }

    test::FakeClock clock_;
    test::UseClock use_clock_;
    test::TempDir root_;
};

TEST_F(PdhCaptured, FiguresFollowTheKernelsOwnFiles) {
    PdhLibrary lib{Sysroot(root_.path())};
    std::string names, instances;
    ASSERT_EQ(lib.EnumObjectItems("", "PhysicalDisk", &names, &instances), kPdhOk);
    EXPECT_EQ(instances, std::string("0 C:\0_Total\0\0", 13));
    PdhHandle q = 0;
    ASSERT_EQ(lib.OpenQuery(&q), kPdhOk);
    struct Row {
        const char* path;
        PdhHandle h = 0;
    };
    Row rows[] = {{"\\PhysicalDisk(0 C:)\\Disk Write Bytes/sec"},
                  {"\\PhysicalDisk(0 C:)\\Disk Writes/sec"},
                  {"\\LogicalDisk(C:)\\Avg. Disk sec/Write"},
                  {"\\PhysicalDisk(0 C:)\\% Idle Time"},
                  {"\\Processor Information(_Total)\\% Processor Time"},
                  {"\\Processor Information(_Total)\\Interrupts/sec"},
                  {"\\Memory\\Available Bytes"},
                  {"\\Memory\\Page Faults/sec"}};
    for (auto& r : rows) ASSERT_EQ(lib.AddCounter(q, r.path, &r.h), kPdhOk) << r.path;
    lib.CollectQueryData(q);
    lay("t1");
    clock_.advance(1000);
    lib.CollectQueryData(q);

    const std::string d0 = captured("t0/proc/diskstats"), d1 = captured("t1/proc/diskstats");
    const double writes = vda_field(d1, 5) - vda_field(d0, 5);
    ASSERT_GT(writes, 0);
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[0].h),
                     512 * (vda_field(d1, 7) - vda_field(d0, 7)));
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[1].h), writes);
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[2].h),
                     (vda_field(d1, 8) - vda_field(d0, 8)) / 1000 / writes);
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[3].h),
                     100 - (vda_field(d1, 10) - vda_field(d0, 10)) / 10);

    // /proc/stat summary line: busy share of all ticks.
    const auto cpu_line = [&](const std::string& rel) {
        std::istringstream f(captured(rel));
        std::string label;
        double v[8], total = 0;
        f >> label;
        for (double& x : v) f >> x, total += x;
        return std::pair{total, v[3] + v[4]};
    };
    const auto [t0, i0] = cpu_line("t0/proc/stat");
    const auto [t1, i1] = cpu_line("t1/proc/stat");
    EXPECT_NEAR(lib.GetDoubleCounterValue(rows[4].h), 100 - 100 * (i1 - i0) / (t1 - t0), 1e-9);
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[5].h),
                     interrupts_total(captured("t1/proc/interrupts")) -
                         interrupts_total(captured("t0/proc/interrupts")));

    const std::string mem = captured("t1/proc/meminfo");
    const size_t at = mem.find("MemAvailable:");
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[6].h), std::stod(mem.substr(at + 13)) * 1024);
    const auto faults = [&](const std::string& rel) {
        const std::string t = captured(rel);
        return std::stod(t.substr(t.find("\npgfault ") + 9));
    };
    EXPECT_DOUBLE_EQ(lib.GetDoubleCounterValue(rows[7].h),
                     faults("t1/proc/vmstat") - faults("t0/proc/vmstat"));
}

}  // namespace
}  // namespace bw
