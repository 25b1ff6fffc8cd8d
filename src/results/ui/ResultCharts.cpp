#include "results/ui/ResultCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

namespace bw {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// One colour per side on the lines, so the read and write stretches read as two lines.
struct SideColour {
    Side side;
    QRgb colour;
};
inline constexpr SideColour kLineColours[] = {{Side::Read, 0x3c783c}, {Side::Write, 0xb03030}};

QColor line_colour(Side side) {
    for (const auto& c : kLineColours)
        if (c.side == side) return QColor::fromRgb(c.colour);
    return Qt::black;
}

QValueAxis* mb_axis(double top) {
    auto* y = new QValueAxis;
    y->setTitleText("MB/s");
    y->setLabelFormat("%.0f");
    y->setRange(0, top > 0 ? top * 1.05 : 1);
    return y;
}

}  // namespace

QChart* make_bar_chart(const results::ResultBlockGraph& graph, results::GraphFigure figure) {
    auto* chart = new QChart;
    chart->setTitle(q(graph.title) + (figure == results::GraphFigure::Peak
                                          ? " - peak per block size"
                                          : " - average per block size"));
    auto* series = new QBarSeries;
    double top = 0;
    for (const auto& set : graph.bars) {
        auto* bars = new QBarSet(q(set.name));
        for (double v : set.mb_per_s) {
            *bars << v;
            top = std::max(top, v);
        }
        series->append(bars);
    }
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    for (const auto& b : graph.blocks) x->append(q(b));
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = mb_axis(top);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    // Up to eight test types: a column beside the bars keeps their names whole.
    chart->legend()->setAlignment(Qt::AlignRight);
    return chart;
}

QChart* make_line_chart(const results::ResultBlockGraph& graph) {
    auto* chart = new QChart;
    chart->setTitle("Throughput per second");
    auto* x = new QValueAxis;
    x->setTitleText("Second of the test");
    x->setLabelFormat("%.0f");
    double last = 1, top = 0;
    for (const auto& line : graph.lines)
        for (const auto& [second, mb] : line.points) {
            last = std::max(last, second);
            top = std::max(top, mb);
        }
    x->setRange(0, last);
    auto* y = mb_axis(top);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bool named[2] = {false, false};
    for (const auto& line : graph.lines) {
        auto* series = new QLineSeries;
        series->setName(q(line.name));
        series->setColor(line_colour(line.side));
        for (const auto& [second, mb] : line.points) series->append(second, mb);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
        // A side interrupted by the other side's test has several stretches: one legend entry.
        bool& seen = named[line.side == Side::Read ? 0 : 1];
        if (seen)
            for (QLegendMarker* m : chart->legend()->markers(series)) m->setVisible(false);
        seen = true;
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

}  // namespace bw
