#pragma once

// The two charts of a result-block graph, built from its plain figures: the grouped bars per
// block size and the throughput lines over the run's seconds. The graph window shows them and
// the print window draws the same charts on paper.

#include "results/ResultBlockGraph.h"

class QChart;

namespace bw {

QChart* make_bar_chart(const results::ResultBlockGraph& graph, results::GraphFigure figure);
QChart* make_line_chart(const results::ResultBlockGraph& graph);

}  // namespace bw
