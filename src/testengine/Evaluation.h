#pragma once

// What a finished main test measured, block by block and type by type: the peaks the sampling
// kept, the averages over the samples that count, the scores, and the texts of the test window's
// read and write result boxes and labels. Pure functions of the samples and the parameters, so a
// recorded run gives the same figures in the window, the command line and the tests.
//
// Each test type is evaluated from its own samples only. The heavy test with the other side
// (types 4 and 8) runs on the same drive as the plain heavy test (types 3 and 7) but under a
// different load; mixing their samples would let one test's seconds lift or sink the other's
// averages while their peaks and scores are kept apart, and the report would then set figures of
// two different loads side by side as if they were one.

#include <array>
#include <string>
#include <vector>

#include "testengine/TestParameters.h"
#include "testengine/TestSamples.h"

namespace bw::testengine {

// A score is peak (or average) bytes per second / kScoreBytesDivisor + idle x kScoreIdleFactor.
inline constexpr double kScoreBytesDivisor = 100000;
inline constexpr double kScoreIdleFactor = 100;
// Samples at or below this share of their peak are ramp-up or pauses and do not count.
inline constexpr double kAverageFloor = 0.3;

// One side of one test type at one block size.
struct SideFigures {
    bool ran = false;
    double peak_throughput = 0, peak_side_ops = 0, peak_operations = 0;
    int peak_disk_time = 0, peak_idle = 0;
    double avg_throughput = 0, avg_operations = 0, avg_disk_time = 0;
    // Bytes over the whole block: what the testers asked of the system and what the drive moved.
    double tester_bytes = 0, drive_bytes = 0;
};

// The mean of the samples above kAverageFloor x peak, to the nearest whole; 0 when none is.
double average_above_floor(const std::vector<double>& samples, double peak);

// "0" number format: whole number, rounded half away from zero ("0" for zero).
std::string format_zero(double value);

// "Peak Idle time was ..." for an idle peak below 5, "" otherwise.
std::string idle_remark(int idle);

// Test type 1..8 of a side at a multi-task level 0..3.
int type_of(Side side, int level);

struct Evaluation {
    // [type - 1][block - 1][side]
    std::array<std::array<std::array<SideFigures, 2>, kBlockCount>, kTestTypeCount> figures{};

    const SideFigures& at(int type, int block, Side side) const;
    // The side the type tests.
    const SideFigures& main(int type, int block) const;
    int peak_score(int type, int block) const;
    // The same formula on the average throughput; idle has only its peak, so the peak counts.
    int average_score(int type, int block) const;
    // The best throughput of a block on a side over its four types (BestRead / BestWrite).
    double best_peak(int block, Side side) const;
    double best_average(int block, Side side) const;
    // The highest block idle peak of a type, and the block that loaded the drive most (the
    // lowest idle peak, the smaller block on a tie); 0 when the type never ran. The report's
    // "placing Highest Load" lines name that block: the block of the highest idle peak would
    // name the block that loaded the drive least.
    int idle_figure(int type) const;
    int load_block(int type) const;
    // The largest block peak of the single test on a side.
    double single_peak(Side side) const;
    // The largest block peak of the single, lite and heavy tests on a side.
    double best_speed(Side side) const;
    // The largest block peak of the three multi-task tests on a side (the "Highest Burst
    // Multi-Task" line; the single test has a line of its own).
    double multi_task_burst(Side side) const;
    // Whether any type ran on the side.
    bool side_ran(Side side) const;
};

Evaluation evaluate(const TestSamples& samples);

// The blocks of the test, in block order, each once.
std::vector<int> tested_blocks(const TestParameters& params);

// The test window's labels of one block.
struct BlockLabels {
    int block = 0;
    std::string PReadTime, AReadTime, PWriteTime, AWriteTime;
    std::string MMIORead, MMMIORead, MMIOWrite, MMMIOWrite;
    std::string BestRead, BestWrite;
};

struct EvaluationTexts {
    std::string ReadText, WriteText;  // CR LF line ends
    std::vector<BlockLabels> labels;  // one per tested block
};

EvaluationTexts evaluation_texts(const TestParameters& params, const Evaluation& eval);

}  // namespace bw::testengine
