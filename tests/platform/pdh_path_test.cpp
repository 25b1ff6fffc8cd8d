#include <gtest/gtest.h>

#include "platform/PdhDiskMap.h"
#include "platform/PdhPath.h"

namespace bw {
namespace {

struct PathCase {
    const char* text;
    bool ok;
    const char* machine;
    const char* object;
    const char* instance;
    const char* counter;
};

TEST(PdhPath, ParsesTheShapesTheProgramUses) {
    static constexpr PathCase kCases[] = {
        {"\\\\HOST\\PhysicalDisk(0 C:)\\Disk Read Bytes/sec", true, "HOST", "PhysicalDisk",
         "0 C:", "Disk Read Bytes/sec"},
        {"\\\\h\\PhysicalDisk(1 D: E:)\\% Disk Time", true, "h", "PhysicalDisk",
         "1 D: E:", "% Disk Time"},
        {"\\\\h\\Memory\\Available Bytes", true, "h", "Memory", "", "Available Bytes"},
        {"\\Memory\\Page Faults/sec", true, "", "Memory", "", "Page Faults/sec"},
        {"\\\\h\\Processor Information(0,12)\\% Processor Time", true, "h", "Processor Information",
         "0,12", "% Processor Time"},
        {"\\\\h\\LogicalDisk(0)\\% Disk Time", true, "h", "LogicalDisk", "0", "% Disk Time"},
        {"\\\\h\\Process(a (b))\\ID Process", true, "h", "Process", "a (b)", "ID Process"},
        {"", false, "", "", "", ""},
        {"Memory\\Available Bytes", false, "", "", "", ""},
        {"\\\\h", false, "", "", "", ""},
        {"\\\\\\Memory\\x", false, "", "", "", ""},
        {"\\Memory\\", false, "", "", "", ""},
        {"\\Memory", false, "", "", "", ""},
        {"\\PhysicalDisk(0\\x", false, "", "", "", ""},
        {"\\(0)\\x", false, "", "", "", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        const auto p = ParsePdhPath(c.text);
        ASSERT_EQ(p.has_value(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(p->machine, c.machine);
        EXPECT_EQ(p->object, c.object);
        EXPECT_EQ(p->instance, c.instance);
        EXPECT_EQ(p->counter, c.counter);
    }
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

TEST(PdhDiskMap, InstanceNamesCarryTheLetters) {
    EXPECT_EQ(PhysicalInstanceName({0, "sda", "C"}), "0 C:");
    EXPECT_EQ(PhysicalInstanceName({1, "sdb", "DE"}), "1 D: E:");
    EXPECT_EQ(PhysicalInstanceName({27, "sdab", ""}), "27");
    EXPECT_EQ(LogicalInstanceName({'Q', "sdq1", "/q"}), "Q:");
}

}  // namespace
}  // namespace bw
