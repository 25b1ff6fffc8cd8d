#include "results/ResultBlockGraph.h"

#include <fmt/format.h>

#include <algorithm>

#include "testengine/Evaluation.h"

namespace bw::results {

namespace {

// The legend names of the eight test types: the heavy tests with the other side say which side
// they measure (the test window's score rows name them after the load they add instead).
struct TypeName {
    int type;
    std::string_view name;
};
inline constexpr TypeName kTypeNames[] = {
    {1, "Single Read"},
    {2, "Lite multi-task read"},
    {3, "Heavy multi-task read"},
    {4, "Heavy read with write"},
    {5, "Single Write"},
    {6, "Lite multi-task write"},
    {7, "Heavy multi-task write"},
    {8, "Heavy write with read"},
};

struct SideName {
    Side side;
    std::string_view name;
};
inline constexpr SideName kSideNames[] = {{Side::Read, "Read"}, {Side::Write, "Write"}};

std::string side_name(Side side) {
    for (const auto& s : kSideNames)
        if (s.side == side) return std::string(s.name);
    return {};
}

// The chosen block indexes 1..11, smallest first, each once; characters that are no code are
// left out.
std::vector<int> chosen_blocks(std::string_view codes) {
    std::vector<int> out;
    for (const BlockSize& b : kBlockSizes)
        if (codes.find(b.code) != std::string_view::npos) out.push_back(b.index);
    return out;
}

// The chosen blocks in the order they run, each once.
std::vector<int> run_order(std::string_view codes) {
    std::vector<int> out;
    for (char c : codes)
        if (int i = block_index_from_code(c);
            i > 0 && std::find(out.begin(), out.end(), i) == out.end())
            out.push_back(i);
    return out;
}

std::vector<std::string> block_names(const std::vector<int>& blocks) {
    std::vector<std::string> out;
    for (int i : blocks) out.emplace_back(block_size(i)->name);
    return out;
}

// Appends seconds to a side's lines, starting a new stretch when the side's last stretch did
// not end at the second before.
class LineBuilder {
  public:
    void add(Side side, double second, double bytes_per_s) {
        GraphLine* open = nullptr;
        for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
            if (it->side == side) {
                open = &*it;
                break;
            }
        if (!open || open->points.empty() || open->points.back().first != second - 1) {
            lines_.push_back({side_name(side), side, {}});
            open = &lines_.back();
        }
        open->points.emplace_back(second, bytes_per_s / kBytesPerMB);
    }
    std::vector<GraphLine> take() { return std::move(lines_); }

  private:
    std::vector<GraphLine> lines_;
};

}  // namespace

ResultBlockGraph main_test_graph(const testengine::TestSamples& samples,
                                 std::string_view block_codes, GraphFigure figure) {
    ResultBlockGraph g;
    g.title = "Main test";
    const std::vector<int> blocks = chosen_blocks(block_codes);
    g.blocks = block_names(blocks);
    for (const TypeName& t : kTypeNames) {
        const Side side = testengine::TestSamples::main_side(t.type);
        GraphBarSet set{std::string(t.name), side, {}};
        bool ran = false;
        for (int b : blocks) {
            const testengine::SideSamples& s = samples.side(t.type, b, side);
            ran = ran || s.ran();
            const double bytes = figure == GraphFigure::Peak ? s.peak_throughput
                                                             : testengine::average_above_floor(
                                                                   s.throughput, s.peak_throughput);
            set.mb_per_s.push_back(bytes / kBytesPerMB);
        }
        if (ran) g.bars.push_back(std::move(set));
    }
    // One second per tick: a tick files both sides for the heavy tests with the other side, so
    // both sides share the seconds of that test.
    LineBuilder lines;
    double second = 0;
    for (int type = 1; type <= testengine::kTestTypeCount; ++type)
        for (int b : run_order(block_codes)) {
            const Side main = testengine::TestSamples::main_side(type);
            std::size_t ticks = 0;
            for (Side side : {main, other_side(main)}) {
                const auto& values = samples.side(type, b, side).throughput;
                for (std::size_t i = 0; i < values.size(); ++i)
                    lines.add(side, second + 1 + static_cast<double>(i), values[i]);
                ticks = std::max(ticks, values.size());
            }
            second += static_cast<double>(ticks);
        }
    g.lines = lines.take();
    return g;
}

ResultBlockGraph basic_test_graph(const BasicGraphInput& input, GraphFigure figure) {
    ResultBlockGraph g;
    g.title = "Basic test";
    const std::vector<int> blocks = chosen_blocks(input.block_codes);
    g.blocks = block_names(blocks);
    // The basic test writes first, then reads.
    for (Side side : {Side::Write, Side::Read}) {
        GraphBarSet set{side_name(side), side, std::vector<double>(blocks.size(), 0.0)};
        bool ran = false;
        for (const BasicBlockDone& d : input.blocks) {
            if (d.side != side) continue;
            const auto at = std::find(blocks.begin(), blocks.end(), d.index + 1);
            if (at == blocks.end()) continue;  // a block that was not chosen has no category
            ran = true;
            set.mb_per_s[static_cast<std::size_t>(at - blocks.begin())] =
                (figure == GraphFigure::Peak ? d.figures.peak : d.figures.average) / kBytesPerMB;
        }
        if (ran) g.bars.push_back(std::move(set));
    }
    LineBuilder lines;
    for (std::size_t i = 0; i < input.seconds.size(); ++i)
        lines.add(input.seconds[i].side, static_cast<double>(i + 1), input.seconds[i].bytes_per_s);
    g.lines = lines.take();
    return g;
}

std::string graph_table_text(const ResultBlockGraph& graph) {
    std::string out = graph.title + " (MB/s)\n";
    if (graph.bars.empty()) return out + "No block has finished yet.\n";
    out += fmt::format("{:<8}", "Block");
    for (const GraphBarSet& set : graph.bars) out += fmt::format(" {:>24}", set.name);
    out += "\n";
    for (std::size_t row = 0; row < graph.blocks.size(); ++row) {
        out += fmt::format("{:<8}", graph.blocks[row]);
        for (const GraphBarSet& set : graph.bars)
            out += fmt::format(" {:>24.1f}", row < set.mb_per_s.size() ? set.mb_per_s[row] : 0.0);
        out += "\n";
    }
    return out;
}

}  // namespace bw::results
