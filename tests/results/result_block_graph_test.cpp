// The result-block graph's figures: which test types and blocks become which bars, and how the
// sampled seconds become lines, for full, partial and empty runs of the main and the basic test.
#include "results/ResultBlockGraph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bw;
using namespace bw::results;
using testengine::TestSamples;
using testengine::TickFigures;

namespace {

// A tick in which the drive moved `read` and `write` MB/s.
TickFigures tick(double read_mb, double write_mb) {
    TickFigures t;
    t.read_bytes = read_mb * kBytesPerMB;
    t.write_bytes = write_mb * kBytesPerMB;
    t.idle = 10;
    return t;
}

struct Filed {
    int type, block;
    std::vector<double> read_mb, write_mb;  // one entry per tick (the shorter list pads with 0)
};

TestSamples samples_of(const std::vector<Filed>& filed) {
    TestSamples s;
    for (const Filed& f : filed) {
        const std::size_t n = std::max(f.read_mb.size(), f.write_mb.size());
        for (std::size_t i = 0; i < n; ++i)
            testengine::file_tick(s, f.type, f.block,
                                  tick(i < f.read_mb.size() ? f.read_mb[i] : 0,
                                       i < f.write_mb.size() ? f.write_mb[i] : 0));
    }
    return s;
}

std::vector<std::string> set_names(const ResultBlockGraph& g) {
    std::vector<std::string> out;
    for (const auto& s : g.bars) out.push_back(s.name);
    return out;
}

// "Read 1-3" for a line over seconds 1 to 3.
std::vector<std::string> line_spans(const ResultBlockGraph& g) {
    std::vector<std::string> out;
    for (const auto& l : g.lines)
        out.push_back(l.name + " " + std::to_string(int(l.points.front().first)) + "-" +
                      std::to_string(int(l.points.back().first)));
    return out;
}

}  // namespace

TEST(MainTestGraph, TypesAndBlocksBecomeBarsAndSecondsBecomeLines) {
    struct Case {
        const char* what;
        std::vector<Filed> filed;
        const char* codes;
        std::vector<std::string> blocks, sets;
        std::vector<std::vector<double>> peaks;  // per set, per block
        std::vector<std::string> lines;
    };
    const Case kCases[] = {
        {"nothing ran yet: the chosen blocks, no bars, no lines",
         {},
         "15A",
         {"4KB", "64KB", "1024KB"},
         {},
         {},
         {}},
        {"a partial run: the blocks not reached stand at 0",
         {{1, 1, {100, 300, 200}, {}}},
         "15A",
         {"4KB", "64KB", "1024KB"},
         {"Single Read"},
         {{300, 0, 0}},
         {"Read 1-3"}},
        {"blocks chosen out of order are shown smallest first; the seconds follow the run",
         {{1, 10, {50}, {}}, {1, 1, {20, 30}, {}}},
         "A1",
         {"4KB", "1024KB"},
         {"Single Read"},
         {{30, 50}},
         {"Read 1-3"}},
        {"read and write types: one bar set each, the reads' seconds first",
         {{1, 5, {400, 500}, {}}, {5, 5, {}, {90, 80}}},
         "5",
         {"64KB"},
         {"Single Read", "Single Write"},
         {{500}, {90}},
         {"Read 1-2", "Write 3-4"}},
        {"the heavy read with write is a read bar; its write seconds run beside its reads",
         {{3, 2, {200, 210}, {}}, {4, 2, {150, 160}, {40, 45}}, {7, 2, {}, {60}}},
         "2",
         {"8KB"},
         {"Heavy multi-task read", "Heavy read with write", "Heavy multi-task write"},
         {{210}, {160}, {60}},
         {"Read 1-4", "Write 3-5"}},
        {"a side that stops and comes back later starts a new line",
         {{1, 3, {100, 100}, {}}, {5, 3, {}, {50}}, {8, 3, {30}, {70}}},
         "3",
         {"16KB"},
         {"Single Read", "Single Write", "Heavy write with read"},
         {{100}, {50}, {70}},
         {"Read 1-2", "Write 3-4", "Read 4-4"}},
        {"characters that are no block code are left out",
         {{5, 1, {}, {10}}},
         "Zz1?",
         {"4KB"},
         {"Single Write"},
         {{10}},
         {"Write 1-1"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const ResultBlockGraph g = main_test_graph(samples_of(c.filed), c.codes, GraphFigure::Peak);
        EXPECT_EQ(g.blocks, c.blocks);
        EXPECT_EQ(set_names(g), c.sets);
        ASSERT_EQ(g.bars.size(), c.peaks.size());
        for (std::size_t i = 0; i < c.peaks.size(); ++i) EXPECT_EQ(g.bars[i].mb_per_s, c.peaks[i]);
        EXPECT_EQ(line_spans(g), c.lines);
    }
}

TEST(MainTestGraph, TheAverageLeavesOutStallsAsTheReportDoes) {
    // 100 is the peak; 20 is below 0.3 x peak and does not count: (100 + 80) / 2.
    const auto s = samples_of({{1, 5, {100, 20, 80}, {}}});
    EXPECT_EQ(main_test_graph(s, "5", GraphFigure::Average).bars.at(0).mb_per_s,
              std::vector<double>{90});
    EXPECT_EQ(main_test_graph(s, "5", GraphFigure::Peak).bars.at(0).mb_per_s,
              std::vector<double>{100});
}

TEST(BasicTestGraph, FinishedBlocksBecomeBarsAndEverySecondALinePoint) {
    const basic::BlockFigures w{200e6, 0, 150e6, 0}, r{400e6, 0, 380e6, 0};
    struct Case {
        const char* what;
        BasicGraphInput input;
        GraphFigure figure;
        std::vector<std::string> blocks, sets;
        std::vector<std::vector<double>> values;
        std::vector<std::string> lines;
    };
    const Case kCases[] = {
        {"before the first second: the chosen blocks only",
         {"15", {}, {}},
         GraphFigure::Peak,
         {"4KB", "64KB"},
         {},
         {},
         {}},
        {"while the first block writes: a line, no bar yet",
         {"15", {}, {{Side::Write, 1e8}, {Side::Write, 2e8}}},
         GraphFigure::Peak,
         {"4KB", "64KB"},
         {},
         {},
         {"Write 1-2"}},
        {"write then read of one block: peaks",
         {"5", {{Side::Write, 4, w}, {Side::Read, 4, r}}, {{Side::Write, 2e8}, {Side::Read, 4e8}}},
         GraphFigure::Peak,
         {"64KB"},
         {"Write", "Read"},
         {{200}, {400}},
         {"Write 1-1", "Read 2-2"}},
        {"averages, and a block that was not chosen has no place",
         {"1", {{Side::Write, 0, w}, {Side::Write, 7, w}}, {}},
         GraphFigure::Average,
         {"4KB"},
         {"Write"},
         {{150}},
         {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const ResultBlockGraph g = basic_test_graph(c.input, c.figure);
        EXPECT_EQ(g.blocks, c.blocks);
        EXPECT_EQ(set_names(g), c.sets);
        ASSERT_EQ(g.bars.size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i)
            EXPECT_EQ(g.bars[i].mb_per_s, c.values[i]);
        EXPECT_EQ(line_spans(g), c.lines);
    }
}

TEST(GraphTable, ListsEveryBlockUnderEveryBarSet) {
    const auto g = main_test_graph(samples_of({{1, 1, {12.25}, {}}, {5, 5, {}, {3}}}), "15",
                                   GraphFigure::Peak);
    const std::string t = graph_table_text(g);
    EXPECT_NE(t.find("Single Read"), std::string::npos) << t;
    EXPECT_NE(t.find("Single Write"), std::string::npos) << t;
    EXPECT_NE(t.find("4KB "), std::string::npos) << t;
    EXPECT_NE(t.find("12.2"), std::string::npos) << t;  // 12.25 MB/s, one decimal
    EXPECT_NE(t.find("64KB"), std::string::npos) << t;
    EXPECT_NE(graph_table_text(main_test_graph({}, "1", GraphFigure::Peak))
                  .find("No block has finished yet."),
              std::string::npos);
}
