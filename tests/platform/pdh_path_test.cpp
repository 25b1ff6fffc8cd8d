#include <gtest/gtest.h>

#include "platform/PdhDiskMap.h"
#include "platform/PdhPath.h"

namespace bw {
namespace {

TEST(PdhPath, ParsesTheShapesTheProgramUses) {
    struct Case {
        const char *text, *machine, *object, *instance, *counter;
    };
    static constexpr Case kGood[] = {
        {"\\\\HOST\\PhysicalDisk(0 C:)\\Disk Read Bytes/sec", "HOST", "PhysicalDisk",
         "0 C:", "Disk Read Bytes/sec"},
        {"\\\\h\\PhysicalDisk(1 D: E:)\\% Disk Time", "h", "PhysicalDisk",
         "1 D: E:", "% Disk Time"},
        {"\\\\h\\Memory\\Available Bytes", "h", "Memory", "", "Available Bytes"},
        {"\\Memory\\Page Faults/sec", "", "Memory", "", "Page Faults/sec"},
        {"\\\\h\\Processor Information(0,12)\\% Processor Time", "h", "Processor Information",
         "0,12", "% Processor Time"},
        {"\\\\h\\Process(a (b))\\ID Process", "h", "Process", "a (b)", "ID Process"},
    };
    for (const auto& c : kGood) {
        SCOPED_TRACE(c.text);
        const auto p = ParsePdhPath(c.text);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->machine, c.machine);
        EXPECT_EQ(p->object, c.object);
        EXPECT_EQ(p->instance, c.instance);
        EXPECT_EQ(p->counter, c.counter);
    }
    for (const char* bad : {"", "Memory\\Available Bytes", "\\\\h", "\\\\\\Memory\\x", "\\Memory\\",
                            "\\Memory", "\\PhysicalDisk(0\\x", "\\(0)\\x"})
        EXPECT_FALSE(ParsePdhPath(bad).has_value()) << bad;
}

TEST(PdhDiskMap, DiskNamesSortNaturally) {
    const std::vector<std::string> sorted = {"loop2",    "loop10", "nvme0n1", "nvme1n1",
                                             "nvme10n1", "sda",    "sdb",     "sdz",
                                             "sdaa",     "sdab",   "vda",     "zram1"};
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        EXPECT_TRUE(DiskNameLess(sorted[i], sorted[i + 1])) << sorted[i] << " < " << sorted[i + 1];
        EXPECT_FALSE(DiskNameLess(sorted[i + 1], sorted[i]))
            << sorted[i + 1] << " !< " << sorted[i];
    }
}

}  // namespace
}  // namespace bw
