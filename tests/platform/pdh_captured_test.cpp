// The counter layer over files captured from a running kernel, one second apart. The expected
// figures are worked out by hand from the captured files (t1 minus t0).
#include <gtest/gtest.h>

#include "counters/counter_machine.h"

namespace bw {
namespace {

TEST(PdhCaptured, FiguresFollowTheKernelsOwnFiles) {
    test::TempDir root;
    test::lay_captured(root.path(), "base");
    test::lay_captured(root.path(), "t0");
    test::PdhRig r;
    const Sysroot sysroot(root.path());
    r.open(&sysroot);
    std::string names, instances;
    ASSERT_EQ(r.lib_->EnumObjectItems("", "PhysicalDisk", &names, &instances), kPdhOk);
    EXPECT_EQ(instances, std::string("0 C:\0_Total\0\0", 13));
    struct Row {
        const char* path;
        double value;
    };
    static constexpr Row kRows[] = {
        {"\\PhysicalDisk(0 C:)\\Disk Write Bytes/sec", 140992.0 * 512},  // vda sectors written
        {"\\PhysicalDisk(0 C:)\\Disk Writes/sec", 67},
        {"\\LogicalDisk(C:)\\Avg. Disk sec/Write", 1.383 / 67},           // 1383 ms writing
        {"\\PhysicalDisk(0 C:)\\% Idle Time", 100 - 72 / 10.0},           // 72 ms busy
        {"\\Processor Information(0,1)\\% User Time", 100.0 * 86 / 114},  // cpu1 user+nice
        {"\\Processor Information(_Total)\\Interrupts/sec", 730},         // both columns
        {"\\Memory\\Available Bytes", 20825280.0 * 1024},
        {"\\Memory\\Page Faults/sec", 52807},
    };
    std::vector<PdhHandle> handles;
    for (const auto& row : kRows) handles.push_back(r.add(row.path));
    r.collect_after(0);
    test::lay_captured(root.path(), "t1");
    r.collect_after(1000);
    for (size_t i = 0; i < handles.size(); ++i)
        EXPECT_NEAR(r.value(handles[i]), kRows[i].value, 1e-9 * kRows[i].value) << kRows[i].path;
}

}  // namespace
}  // namespace bw
