#include "results/ui/frmResultBlock.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "results/ui/ResultCharts.h"
#include "results/ui/frmPrint.h"

namespace bw {

namespace {

struct FigureChoice {
    results::GraphFigure figure;
    const char* caption;
};
inline constexpr FigureChoice kFigures[] = {{results::GraphFigure::Peak, "Peak"},
                                            {results::GraphFigure::Average, "Average"}};

QChartView* chart_view(const char* name, QWidget* parent) {
    auto* v = new QChartView(parent);
    v->setObjectName(name);
    v->setRenderHint(QPainter::Antialiasing);
    v->setMinimumSize(480, 380);
    return v;
}

}  // namespace

frmResultBlock::frmResultBlock(GraphSource source, StillRunning running, std::string drive_entry,
                               QWidget* parent)
    : QDialog(parent),
      source_(std::move(source)),
      running_(std::move(running)),
      drive_entry_(std::move(drive_entry)) {
    setObjectName("frmResultBlock");
    setWindowTitle("Result Blocks");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Bars show the", this));
    cboFigure_ = new QComboBox(this);
    cboFigure_->setObjectName("cboFigure");
    for (const auto& f : kFigures) cboFigure_->addItem(f.caption);
    top->addWidget(cboFigure_);
    Label1_ = new QLabel(this);
    Label1_->setObjectName("Label1");
    top->addWidget(Label1_, 1);
    layout->addLayout(top);

    auto* charts = new QHBoxLayout;
    bars_ = chart_view("BarChart", this);
    lines_ = chart_view("LineChart", this);
    charts->addWidget(bars_, 1);
    charts->addWidget(lines_, 1);
    layout->addLayout(charts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* print = new QPushButton("Print / PDF...", this);
    print->setObjectName("mnuPrint");
    connect(print, &QPushButton::clicked, this, [this] { mnuPrint(); });
    auto* close = new QPushButton("Close", this);
    close->setObjectName("Command1");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(print);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(cboFigure_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    Timer1_ = new QTimer(this);
    Timer1_->setInterval(1000);
    connect(Timer1_, &QTimer::timeout, this, [this] { refresh(); });
    refresh();
    resize(1100, 560);
}

void frmResultBlock::Show(GraphSource source, StillRunning running, std::string drive_entry,
                          QWidget* parent) {
    frmResultBlock window(std::move(source), std::move(running), std::move(drive_entry), parent);
    window.exec();
}

results::GraphFigure frmResultBlock::figure() const {
    const int i = std::max(0, cboFigure_->currentIndex());
    return kFigures[i].figure;
}

void frmResultBlock::refresh() {
    const bool live = running_ && running_();
    graph_ = source_ ? source_(figure()) : results::ResultBlockGraph{};
    // A view owns its chart but lets go of the one before without deleting it.
    for (auto [view, chart] : {std::pair{bars_, make_bar_chart(graph_, figure())},
                               std::pair{lines_, make_line_chart(graph_)}}) {
        QChart* old = view->chart();
        view->setChart(chart);
        delete old;
    }
    QString note = graph_.empty() ? "No block has finished yet." : "";
    if (live)
        note += (note.isEmpty() ? "" : " ") + QString("The test is running: the graph follows it.");
    Label1_->setText(note);
    if (live && !Timer1_->isActive()) Timer1_->start();
    if (!live) Timer1_->stop();
}

void frmResultBlock::mnuPrint() {
    PrintContent content;
    content.title = graph_.title + " graph";
    content.text = results::graph_table_text(graph_);
    content.graph = graph_;
    content.figure = figure();
    content.drive_entry = drive_entry_;
    frmPrint::Show(std::move(content), this);
}

}  // namespace bw
