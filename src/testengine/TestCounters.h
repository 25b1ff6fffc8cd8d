#pragma once

// One tick's counter reading of a main test: the shared query collected once, then the three
// testers' process I/O rates, the tested volume's disk counters, its physical disk's latencies
// and the processor figures. The run controller files the reading; the windows show it.

#include <array>
#include <filesystem>

#include "counters/CounterState.h"
#include "testengine/TestSamples.h"

namespace bw::testengine {

struct TickReading {
    TickFigures figures;  // what the samples file
    // Sums over the three testers, in the order of kTesterCounterNames (the `MainValue` row).
    std::array<double, tester_io::kCount> tester_sums{};
    // The volume's counters, in the order of kLogicalDiskCounterNames (the `ValueA` row).
    std::array<double, logical_disk::kCount> drive{};
    double sec_per_read = 0, sec_per_write = 0;  // the physical disk's, `ReadSeek` / `WriteSeek`
    double tester_cpu_percent = 0;               // the three testers together
    double cpu_percent = 0;                      // the machine, averaged over its processors
    double cpu_mhz = 0;
    bool volume_counted = false;  // the letter has logical-disk counters at all
};

// Collects the shared query and reads every counter of a tick for drive `letter`.
TickReading ReadTestCounters(char letter);

// Points the tester counters at the testers running from `working_folder`: processes of the same
// name from another folder (another user's program) come first in the counters' numbering, and
// their figures are not this test's.
void FollowTesters(const std::filesystem::path& working_folder);

}  // namespace bw::testengine
