#include "testengine/TestSamples.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace bw::testengine {

namespace {

void check(int type, int block) {
    if (type < 1 || type > kTestTypeCount || block < 1 || block > kBlockCount)
        throw std::out_of_range("test type " + std::to_string(type) + " block " +
                                std::to_string(block));
}

int whole(double v) { return static_cast<int>(std::lround(v)); }

// How many testers a multi-task level keeps busy on the side under test.
int testers_at_level(int level) { return level == 0 ? 1 : level == 1 ? 2 : 3; }

double sum_first(const std::array<double, 3>& per_tester, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += per_tester[static_cast<std::size_t>(i)];
    return sum;
}

void file_side(SideSamples& s, Side side, int testers, const TickFigures& t) {
    const bool read = side == Side::Read;
    const double ops = sum_first(read ? t.tester_read_ops : t.tester_write_ops, testers);
    const double asked = sum_first(read ? t.tester_read_bytes : t.tester_write_bytes, testers);
    const double disk_time = read ? t.disk_read_time : t.disk_write_time;
    const double throughput = read ? t.read_bytes : t.write_bytes;
    const double side_ops = read ? t.reads : t.writes;

    s.operations.push_back(ops);
    s.disk_time.push_back(disk_time);
    s.throughput.push_back(throughput);
    s.idle.push_back(t.idle);
    s.tester_bytes.push_back(asked);

    s.peak_operations = std::max(s.peak_operations, ops);
    s.peak_throughput = std::max(s.peak_throughput, throughput);
    s.peak_transfers = std::max(s.peak_transfers, t.transfers);
    s.peak_side_ops = std::max(s.peak_side_ops, side_ops);
    s.peak_disk_time = std::max(s.peak_disk_time, whole(disk_time));
    ++s.sample_count;
    // The first seconds of a block are the testers ramping up: idle then says nothing.
    if (s.sample_count >= 4) s.peak_idle = std::max(s.peak_idle, whole(t.idle));
}

}  // namespace

SideSamples& TestSamples::side(int type, int block, Side s) {
    check(type, block);
    Slot& slot = slots_[static_cast<std::size_t>(type - 1)][static_cast<std::size_t>(block - 1)];
    return s == Side::Read ? slot.read : slot.write;
}

const SideSamples& TestSamples::side(int type, int block, Side s) const {
    return const_cast<TestSamples*>(this)->side(type, block, s);
}

Side TestSamples::main_side(int type) {
    check(type, 1);
    return kTestTypes[type - 1].side;
}

int TestSamples::score(int type, int block) const {
    const SideSamples& s = side(type, block, main_side(type));
    return whole(s.peak_throughput / 100000.0 + s.peak_idle * 100.0);
}

void file_tick(TestSamples& samples, int type, int block, const TickFigures& tick) {
    check(type, block);
    const TestTypeRow& row = kTestTypes[type - 1];
    const int testers = testers_at_level(row.level);
    file_side(samples.side(type, block, row.side), row.side, testers, tick);
    // The heavy test with the other side: that side's figures are kept beside it.
    if (row.level == kMaxMultiLevel)
        file_side(samples.side(type, block, other_side(row.side)), other_side(row.side), testers,
                  tick);
}

PeakRise raise_overall_peaks(TestSamples& samples, const TickFigures& tick) {
    PeakRise rise;
    if (tick.read_bytes > samples.peak_read_bytes) {
        samples.peak_read_bytes = tick.read_bytes;
        rise.read = true;
    }
    if (tick.write_bytes > samples.peak_write_bytes) {
        samples.peak_write_bytes = tick.write_bytes;
        rise.write = true;
    }
    return rise;
}

}  // namespace bw::testengine
