#pragma once

// What a main test measures, second by second: for each of the eight test types and eleven block
// sizes, the lists of sampled figures and their peaks, on each side the type moves data. The
// sampling fills it while the testers run; the evaluation, the report and the result files read
// it afterwards. Plain data: a recorded run can be replayed into the report without a window.

#include <array>
#include <vector>

#include "core/TesterProtocol.h"

namespace bw::testengine {

inline constexpr int kTestTypeCount = 8;

// One side (read or write) of one test type at one block size.
struct SideSamples {
    // One entry per sampled second, in order.
    std::vector<double> operations;    // the testers' operations per second on this side
    std::vector<double> disk_time;     // the drive's "% Disk Read Time" (or Write)
    std::vector<double> throughput;    // the drive's "Disk Read Bytes/sec" (or Write)
    std::vector<double> idle;          // the drive's "% Idle Time"
    std::vector<double> tester_bytes;  // bytes per second the testers asked for on this side

    double peak_operations = 0;
    double peak_throughput = 0;
    double peak_transfers = 0;  // "Disk Transfers/sec"
    double peak_side_ops = 0;   // "Disk Reads/sec" (read side) or "Disk Writes/sec"
    int peak_disk_time = 0;     // whole percent
    int peak_idle = 0;          // whole percent, from the fourth sample on
    int sample_count = 0;

    bool ran() const { return sample_count > 0; }
};

// One tick's figures: the three testers' process I/O rates and the tested drive's counters.
struct TickFigures {
    std::array<double, 3> tester_read_ops{}, tester_write_ops{};
    std::array<double, 3> tester_read_bytes{}, tester_write_bytes{};
    double read_bytes = 0, write_bytes = 0;           // "Disk Read Bytes/sec", "Disk Write Bytes/sec"
    double disk_read_time = 0, disk_write_time = 0;   // "% Disk Read Time", "% Disk Write Time"
    double idle = 0;                                  // "% Idle Time"
    double transfers = 0, reads = 0, writes = 0;      // "Disk Transfers/sec", "Disk Reads/sec", ...
};

class TestSamples {
public:
    // Type 1..8, block 1..11. Out-of-range arguments are a programming error (checked).
    SideSamples& side(int type, int block, Side s);
    const SideSamples& side(int type, int block, Side s) const;
    // The side a type tests (types 4 and 8 also file the other side, which supports the test).
    static Side main_side(int type);

    // Peak throughput / 100000 + peak idle x 100 of the type's own side, to the nearest whole.
    int score(int type, int block) const;

    // The highest drive read and write bytes per second of the whole run.
    double peak_read_bytes = 0, peak_write_bytes = 0;

private:
    struct Slot {
        SideSamples read, write;
    };
    std::array<std::array<Slot, kBlockCount>, kTestTypeCount> slots_{};
};

// Files one tick under the running type and block: appends the samples, raises the peaks and
// counts the sample; types 4 and 8 file both sides. Operations are the testers that the type
// runs: the first for a single test, the first two for Lite, all three for Heavy.
void file_tick(TestSamples& samples, int type, int block, const TickFigures& tick);

// Raises the run's overall read and write peaks; true for each side whose peak rose (the speed
// bars follow a new peak).
struct PeakRise {
    bool read = false, write = false;
};
PeakRise raise_overall_peaks(TestSamples& samples, const TickFigures& tick);

}  // namespace bw::testengine
