#pragma once

// What the result-block graph draws, worked out from a run's figures without a window: per block
// size one group of bars (one bar per test type that ran), and the throughput of every sampled
// second as lines. The main test and the basic test feed the same shape, so one window shows both
// and printing draws the same charts. Figures are megabytes per second (bytes / 1,000,000).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/TesterProtocol.h"
#include "standalone/BasicFigures.h"
#include "testengine/TestSamples.h"

namespace bw::results {

inline constexpr double kBytesPerMB = 1e6;

// Which figure of a block the bars show.
enum class GraphFigure { Peak, Average };

// One bar per block: the test type's figure at each category, in category order.
struct GraphBarSet {
    std::string name;
    Side side = Side::Read;
    std::vector<double> mb_per_s;
};

// A stretch of consecutive sampled seconds of one side: (second of the run, MB/s). A side whose
// seconds are interrupted by the other side's test starts a new stretch, so no line is drawn
// across seconds that side did not measure.
struct GraphLine {
    std::string name;
    Side side = Side::Read;
    std::vector<std::pair<double, double>> points;
};

struct ResultBlockGraph {
    std::string title;
    std::vector<std::string> blocks;  // the categories: the chosen block sizes, smallest first
    std::vector<GraphBarSet> bars;    // only the types that ran
    std::vector<GraphLine> lines;
    bool empty() const { return bars.empty() && lines.empty(); }
};

// The main test: `block_codes` are the chosen blocks ("1".."9", "A", "B"); a type is shown when
// its own side has samples at any block. The seconds follow the testers' order: the read types,
// then the write types, each over the blocks in the order they were chosen.
ResultBlockGraph main_test_graph(const testengine::TestSamples& samples,
                                 std::string_view block_codes, GraphFigure figure);

// The basic test as its window sees it: the figures of each finished block and every sampled
// second in the order they came.
struct BasicBlockDone {
    Side side = Side::Write;
    int index = 0;  // 0..10, the block code's panel
    basic::BlockFigures figures;
};
struct BasicSecond {
    Side side = Side::Write;
    double bytes_per_s = 0;
};
struct BasicGraphInput {
    std::string block_codes;
    std::vector<BasicBlockDone> blocks;
    std::vector<BasicSecond> seconds;
};
ResultBlockGraph basic_test_graph(const BasicGraphInput& input, GraphFigure figure);

// The graph's figures as a text table (one row per block, one column per bar set), for printing
// beside the charts and for reading without them.
std::string graph_table_text(const ResultBlockGraph& graph);

}  // namespace bw::results
