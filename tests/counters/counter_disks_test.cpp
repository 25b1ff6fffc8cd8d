// Disks found by letter and by number: the record of the right row, or none.
#include "counters/CounterDisks.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

// Four listed disks, the last without a counter row; four volumes, the last without one too.
CounterState listed() {
    CounterState s;
    s.PhysicalList = {"0 C: E:", "1 D:", "12 F:", "2 G:"};
    s.LogicalList = {"C:", "D:", "E:", "F:"};
    for (PdhHandle row = 0; row < 3; ++row) {
        s.PhysicalDiskCounters.push_back({});
        s.PhysicalDiskCounters.back()[physical_disk::kDiskTime] = 100 + row;
        s.LogicalDiskCounters.push_back({});
        s.LogicalDiskCounters.back()[logical_disk::kDiskTime] = 200 + row;
    }
    return s;
}

TEST(CounterDisks, LettersAndNumbersFindTheirRowOrNone) {
    struct Case {
        const char* what;
        std::optional<CountedPhysicalDisk> found;
        int row;  // -1: none
        int number;
    };
    const CounterState s = listed();
    const Case kCases[] = {
        {"C", physical_disk_by_letter(s, 'C'), 0, 0},
        {"e, without case", physical_disk_by_letter(s, 'e'), 0, 0},
        {"D", physical_disk_by_letter(s, 'D'), 1, 1},
        {"F on disk 12", physical_disk_by_letter(s, 'F'), 2, 12},
        {"G: listed without counters", physical_disk_by_letter(s, 'G'), -1, -1},
        {"Z: not listed", physical_disk_by_letter(s, 'Z'), -1, -1},
        {"1 is a number, not a letter", physical_disk_by_letter(s, '1'), -1, -1},
        {"disk 12", physical_disk_by_number(s, 12), 2, 12},
        {"disk 1 (not the 1 of 12)", physical_disk_by_number(s, 1), 1, 1},
        {"disk 2 without counters", physical_disk_by_number(s, 2), -1, -1},
        {"disk 3 not listed", physical_disk_by_number(s, 3), -1, -1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.found.has_value(), c.row >= 0);
        if (!c.found) continue;
        EXPECT_EQ(c.found->row, c.row);
        EXPECT_EQ(c.found->number, c.number);
        EXPECT_EQ(c.found->instance, s.PhysicalList[c.row]);
        EXPECT_EQ(c.found->counters[physical_disk::kDiskTime], 100u + c.row);
    }
}

TEST(CounterDisks, VolumesAreFoundByTheirLetterOnly) {
    const CounterState s = listed();
    const auto e = logical_disk_by_letter(s, 'e');
    ASSERT_TRUE(e);
    EXPECT_EQ(e->row, 2);
    EXPECT_EQ(e->instance, "E:");
    EXPECT_EQ(e->counters[logical_disk::kDiskTime], 202u);
    EXPECT_FALSE(logical_disk_by_letter(s, 'F'));  // listed, no counter row
    EXPECT_FALSE(logical_disk_by_letter(s, 'Z'));
    EXPECT_FALSE(logical_disk_by_letter(CounterState{}, 'C'));
}

}  // namespace
}  // namespace bw
