#include "results/ui/frmMyTest.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

#include "core/TesterProtocol.h"
#include "drives/DriveText.h"

namespace bw {

using namespace results;

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr const char* kColumns[] = {"Time",  "Block",          "Peak Read (Bytes/s)",
                                    "Peak Write (Bytes/s)", "Average Read (Bytes/s)",
                                    "Average Write (Bytes/s)", "Overall"};

}  // namespace

frmMyTest::frmMyTest(OwnTestFiles files, QWidget* parent)
    : QDialog(parent), files_(std::move(files)), groups_(own_test_groups(files_.tests)) {
    setObjectName("frmMyTest");
    setWindowTitle("Compare My Test");
    auto* main = new QVBoxLayout(this);
    auto* pick = new QHBoxLayout;
    pick->addWidget(new QLabel("Drive:", this));
    cboDrive_ = new QComboBox(this);
    cboDrive_->setObjectName("cboDrive");
    for (const auto& g : groups_) {
        auto it = std::find_if(files_.tests.begin(), files_.tests.end(),
                               [&](const OwnTest& t) { return t.group == g; });
        cboDrive_->addItem(q(it->title), q(g));
        cboDrive_->setItemData(cboDrive_->count() - 1, q(g), Qt::ToolTipRole);
    }
    pick->addWidget(cboDrive_, 3);
    pick->addWidget(new QLabel("Block:", this));
    cboBlock_ = new QComboBox(this);
    cboBlock_->setObjectName("cboBlock");
    pick->addWidget(cboBlock_, 1);
    main->addLayout(pick);

    table_ = new QTableWidget(this);
    table_->setObjectName("tblTests");
    table_->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList headers;
    for (const char* c : kColumns) headers << c;
    table_->setHorizontalHeaderLabels(headers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    main->addWidget(table_, 1);

    chart_ = new QChartView(this);
    chart_->setObjectName("chtOverTime");
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(300);
    main->addWidget(chart_, 2);

    notes_ = new QLabel(this);
    notes_->setObjectName("lblNotes");
    notes_->setWordWrap(true);
    std::string notes;
    for (const auto& n : files_.notes) notes += (notes.empty() ? "" : "\n") + n;
    notes_->setText(q(notes));
    notes_->setVisible(!notes.empty());
    main->addWidget(notes_);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    main->addWidget(close);

    connect(cboDrive_, &QComboBox::currentIndexChanged, this, [this] { drive_changed(); });
    connect(cboBlock_, &QComboBox::currentIndexChanged, this, [this] { show_tests(); });
    drive_changed();
    resize(980, 760);
}

void frmMyTest::drive_changed() {
    const std::string group = cboDrive_->currentData().toString().toStdString();
    QSignalBlocker quiet(cboBlock_);
    cboBlock_->clear();
    // Blocks in the block list's order, as the tests ran them.
    for (const auto& size : kBlockSizes)
        for (const auto& t : files_.tests)
            if (t.group == group && t.block == size.name) {
                cboBlock_->addItem(q(size.name));
                break;
            }
    show_tests();
}

void frmMyTest::show_tests() {
    const std::string group = cboDrive_->currentData().toString().toStdString();
    const std::string block = cboBlock_->currentText().toStdString();
    shown_.clear();
    for (const auto& t : files_.tests)
        if (t.group == group && t.block == block) shown_.push_back(t);

    table_->setRowCount(static_cast<int>(shown_.size()));
    for (int row = 0; row < static_cast<int>(shown_.size()); ++row) {
        const OwnTest& t = shown_[static_cast<size_t>(row)];
        const std::string cells[] = {t.when.empty() ? "time not readable" : t.when, t.block,
                                     format_grouped(t.peak_read),    format_grouped(t.peak_write),
                                     format_grouped(t.average_read), format_grouped(t.average_write),
                                     format_grouped(t.overall)};
        for (int col = 0; col < static_cast<int>(std::size(cells)); ++col) {
            auto* item = new QTableWidgetItem(q(cells[col]));
            if (col >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, col, item);
        }
    }

    auto* chart = new QChart;
    chart->setTitle(q(block.empty() ? std::string("No tests recorded")
                                    : "Peak speeds at " + block + " over time (MB/s)"));
    auto* read = new QLineSeries(chart);
    read->setName("Peak Read");
    auto* write = new QLineSeries(chart);
    write->setName("Peak Write");
    double top = 1;
    QDateTime first, last;
    for (const auto& t : shown_) {
        const QDateTime when = QDateTime::fromString(q(t.when), "yyyy-MM-dd HH:mm:ss");
        if (!when.isValid()) continue;  // in the table, not on the time axis
        const auto x = static_cast<qreal>(when.toMSecsSinceEpoch());
        if (t.peak_read > 0) read->append(x, t.peak_read / 1e6);
        if (t.peak_write > 0) write->append(x, t.peak_write / 1e6);
        top = std::max({top, t.peak_read / 1e6, t.peak_write / 1e6});
        if (!first.isValid() || when < first) first = when;
        if (!last.isValid() || when > last) last = when;
    }
    for (QLineSeries* s : {read, write}) {
        s->setPointsVisible(true);
        chart->addSeries(s);
    }
    auto* x = new QDateTimeAxis(chart);
    x->setFormat("dd MMM yy hh:mm");
    x->setTitleText("Test time");
    if (first.isValid()) x->setRange(first.addSecs(-60), last.addSecs(60));
    auto* y = new QValueAxis(chart);
    y->setRange(0, top * 1.1);
    y->setTitleText("MB/s");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* s : {read, write}) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

}  // namespace bw
