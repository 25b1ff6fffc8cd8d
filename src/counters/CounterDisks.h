#pragma once

// The listed disks by what the program knows them by: a drive letter or a physical disk number.
// Readers get the disk's record (its row, instance and counter handles) instead of searching
// the instance lists themselves.

#include <array>
#include <optional>
#include <string>

#include "counters/CounterState.h"

namespace bw {

struct CountedPhysicalDisk {
    int row = 0;           // in PhysicalList
    int number = -1;       // the physical disk number the instance starts with
    std::string instance;  // "0 C: D:"
    std::array<PdhHandle, physical_disk::kCount> counters{};
};

struct CountedLogicalDisk {
    int row = 0;           // in LogicalList
    std::string instance;  // "C:"
    std::array<PdhHandle, logical_disk::kCount> counters{};
};

// The disk that holds `letter` ("C", without case), the disk numbered `number`, the volume of
// `letter`. None when it is not listed or its row has no counters.
std::optional<CountedPhysicalDisk> physical_disk_by_letter(const CounterState& s, char letter);
std::optional<CountedPhysicalDisk> physical_disk_by_number(const CounterState& s, int number);
std::optional<CountedLogicalDisk> logical_disk_by_letter(const CounterState& s, char letter);

}  // namespace bw
