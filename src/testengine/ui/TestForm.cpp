#include "testengine/ui/TestForm.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "core/AppState.h"
#include "core/ui/frmSave.h"
#include "platform/TextFiles.h"
#include "platform/prompt.h"
#include "results/ui/frmPrint.h"
#include "results/ui/frmResultBlock.h"
#include "testengine/RunSummary.h"
#include "testengine/TestDisplay.h"

namespace bw {

using namespace testengine;

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QString colour_css(std::uint32_t bgr) {
    return QString("color: #%1%2%3;")
        .arg(bgr & 0xFF, 2, 16, QChar('0'))
        .arg((bgr >> 8) & 0xFF, 2, 16, QChar('0'))
        .arg((bgr >> 16) & 0xFF, 2, 16, QChar('0'));
}

// Twips as the bars are laid out; a screen pixel is fifteen of them.
constexpr int kTwipsPerPixel = 15;
constexpr int kBarAreaPixels = kBarBaseTwips / kTwipsPerPixel;
constexpr int kBarWidthPixels = 28;

QLabel* value_label(QWidget* parent, const char* name) {
    auto* l = new QLabel("0", parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(110);
    return l;
}

// Caption, value pairs in rows of `per_row`.
template <typename Labels, typename Captions>
QGroupBox* figure_group(const QString& title, QWidget* parent, Labels& labels,
                        const Captions& captions, const char* name, int per_row) {
    auto* box = new QGroupBox(title, parent);
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);  // spare room goes to the results
    auto* grid = new QGridLayout(box);
    for (size_t i = 0; i < labels.size(); ++i) {
        labels[i] = value_label(box, name);
        labels[i]->setObjectName(QString("%1_%2").arg(name).arg(i));
        const int row = static_cast<int>(i) / per_row, col = static_cast<int>(i) % per_row * 2;
        grid->addWidget(new QLabel(q(captions[i].caption), box), row, col);
        grid->addWidget(labels[i], row, col + 1);
    }
    return box;
}

}  // namespace

TestForm::TestForm(const TestParameters& params, RunEnv env, QWidget* parent)
    : QDialog(parent), run_(params, std::move(env)) {
    setObjectName("TestForm");
    setModal(true);
    build();
}

TestForm::~TestForm() { stop_run(); }

void TestForm::build() {
    const TickReading none;
    auto* main = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(figure_group("Testers (the three LOADWorker processes together)", this,
                                MainValue_, main_value_figures(none), "MainValue", 2),
                   0, Qt::AlignTop);
    auto* side = new QVBoxLayout;
    auto* cpu = new QGroupBox("Processor", this);
    auto* cpu_grid = new QGridLayout(cpu);
    HWUse_ = value_label(cpu, "HWUse");
    CPUFreqL_ = value_label(cpu, "CPUFreqL");
    TesterCpu_ = value_label(cpu, "TesterCpu");
    cpu_grid->addWidget(new QLabel("Processor use (%)", cpu), 0, 0);
    cpu_grid->addWidget(HWUse_, 0, 1);
    cpu_grid->addWidget(new QLabel("Frequency (MHz)", cpu), 1, 0);
    cpu_grid->addWidget(CPUFreqL_, 1, 1);
    cpu_grid->addWidget(new QLabel("Testers' processor use (%)", cpu), 2, 0);
    cpu_grid->addWidget(TesterCpu_, 2, 1);
    side->addWidget(cpu);

    auto* speed = new QGroupBox("Highest speeds of this test (bytes/s)", this);
    auto* speed_grid = new QGridLayout(speed);
    HighRead_ = value_label(speed, "HighRead");
    HighWrite_ = value_label(speed, "HighWrite");
    speed_grid->addWidget(new QLabel("Read (bytes/s)", speed), 0, 0);
    speed_grid->addWidget(HighRead_, 0, 1);
    speed_grid->addWidget(new QLabel("Write (bytes/s)", speed), 1, 0);
    speed_grid->addWidget(HighWrite_, 1, 1);
    // The bars stand on one base line at the bottom of their area and grow upward.
    auto* bars = new QWidget(speed);
    bars->setFixedSize(3 * kBarWidthPixels, kBarAreaPixels);
    ReadBar_ = new QFrame(bars);
    ReadBar_->setObjectName("ReadBar");
    ReadBar_->setStyleSheet("background: #3c783c;");
    WriteBar_ = new QFrame(bars);
    WriteBar_->setObjectName("WriteBar");
    WriteBar_->setStyleSheet("background: #3c3c9c;");
    ReadBar_->setGeometry(0, kBarAreaPixels, kBarWidthPixels, 0);
    WriteBar_->setGeometry(2 * kBarWidthPixels, kBarAreaPixels, kBarWidthPixels, 0);
    speed_grid->addWidget(bars, 0, 2, 3, 1);
    speed_grid->addWidget(new QLabel("Bars: read (left), write (right)", speed), 2, 0, 1, 2);
    side->addWidget(speed);
    for (QGroupBox* box : {cpu, speed}) box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    top->addLayout(side);
    main->addLayout(top);

    const std::string drive = run_.params().drive;
    auto* drive_box = figure_group(q("Drive " + drive + " (its volume's counters)"), this, ValueA_,
                                   value_a_figures(none), "ValueA", 3);
    auto* drive_grid = static_cast<QGridLayout*>(drive_box->layout());
    ReadSeek_ = value_label(drive_box, "ReadSeek");
    WriteSeek_ = value_label(drive_box, "WriteSeek");
    const int next = drive_grid->rowCount();
    drive_grid->addWidget(new QLabel("Read latency (s)", drive_box), next, 0);
    drive_grid->addWidget(ReadSeek_, next, 1);
    drive_grid->addWidget(new QLabel("Write latency (s)", drive_box), next, 2);
    drive_grid->addWidget(WriteSeek_, next, 3);
    main->addWidget(drive_box);

    auto* scores = new QGroupBox("Scores (peak bytes/s / 100,000 + peak idle % x 100)", this);
    auto* score_grid = new QGridLayout(scores);
    score_grid->addWidget(new QLabel("Read tests", scores), 0, 0);
    score_grid->addWidget(new QLabel("Write tests", scores), 0, 2);
    for (const TestTypeRow& row : kTestTypes) {
        const int i = row.number - 1;
        Rating_[static_cast<size_t>(i)] = value_label(scores, "Rating");
        Rating_[static_cast<size_t>(i)]->setObjectName(
            QString(row.side == Side::Read ? "RTestRating_%1" : "WTestRating_%1").arg(row.number));
        const int col = row.side == Side::Read ? 0 : 2, line = 1 + i % 4;
        score_grid->addWidget(new QLabel(q(row.label), scores), line, col);
        score_grid->addWidget(Rating_[static_cast<size_t>(i)], line, col + 1);
    }
    scores->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    main->addWidget(scores);

    auto* progress = new QGroupBox("Progress", this);
    auto* pv = new QVBoxLayout(progress);
    TLabel_ = new QLabel("Waiting for the testers to start", progress);
    TLabel_->setObjectName("TLabel");
    TestLb_ = new QLabel(progress);
    TestLb_->setObjectName("TestLb");
    TestLb_->setToolTip("Reading block - multi-task reading - writing block - multi-task writing - "
                        "counter index");
    auto* bar_row = new QHBoxLayout;
    TestBar_ = new QProgressBar(progress);
    TestBar_->setObjectName("TestBar");
    TestBar_->setTextVisible(false);
    TestBar_->setStyleSheet("QProgressBar::chunk { background: rgb(60, 120, 60); }");
    TestPER_ = new QLabel("0.0%", progress);
    TestPER_->setObjectName("TestPER");
    TimeRemain_ = new QLabel(progress);
    TimeRemain_->setObjectName("TimeRemain");
    TestPER_->setMinimumWidth(60);
    TimeRemain_->setMinimumWidth(100);
    bar_row->addWidget(TestBar_, 1);
    bar_row->addWidget(TestPER_);
    bar_row->addWidget(TimeRemain_);
    ExampleTest_ = new QLabel(progress);
    ExampleTest_->setObjectName("ExampleTest");
    ExampleTest_->setWordWrap(true);
    pv->addWidget(TLabel_);
    pv->addLayout(bar_row);
    pv->addWidget(TestLb_);
    pv->addWidget(ExampleTest_);
    main->addWidget(progress);

    auto* blocks = new QHBoxLayout;
    for (int i = 0; i < static_cast<int>(RClick_.size()); ++i) {
        const bool summary = i > kBlockCount;
        const QString name = i == 0                   ? QString("ALL")
                             : i == kBlockCount + 1 ? QString("Read")
                             : i == kBlockCount + 2 ? QString("Write")
                                                    : q(kBlockSizes[i - 1].name);
        auto* b = new QPushButton(name, this);
        b->setObjectName(QString("RClick_%1").arg(i));
        const bool chosen =
            i == 0 || (summary ? (i == kBlockCount + 1 ? run_.params().read : run_.params().write)
                               : run_.params().block_codes.find(block_code_char(i)) !=
                                     std::string::npos);
        b->setEnabled(false);
        b->setProperty("chosen", chosen);
        b->setStyleSheet(chosen ? "" : "background: #e0e0e0;");
        connect(b, &QPushButton::clicked, this, [this, i] { RClick(i); });
        RClick_[static_cast<size_t>(i)] = b;
        blocks->addWidget(b);
    }
    main->addLayout(blocks);
    OverallText_ = new QPlainTextEdit(this);
    OverallText_->setObjectName("OverallText");
    OverallText_->setReadOnly(true);
    OverallText_->setPlaceholderText("The results show here when the testers finish.");
    main->addWidget(OverallText_, 1);
    auto* end_row = new QHBoxLayout;
    mnuSave_ = new QPushButton("Save Report...", this);
    mnuSave_->setObjectName("mnuSave");
    mnuSave_->setEnabled(false);
    mnuSave_->setToolTip("Saves the report once the test has finished");
    connect(mnuSave_, &QPushButton::clicked, this, [this] { mnuSave_Click(); });
    mnucompare_ = new QPushButton("Compare...", this);
    mnucompare_->setObjectName("mnucompare");
    mnucompare_->setEnabled(false);
    mnucompare_->setToolTip("Sets this test beside stored results once the test has finished");
    connect(mnucompare_, &QPushButton::clicked, this,
            [this] { ui_registry().open_window("frmCompare", this); });
    // The block graph is offered only for a run of all eleven block sizes.
    mnuGraph_ = new QPushButton("Graph...", this);
    mnuGraph_->setObjectName("mnuGraph");
    mnuGraph_->setEnabled(std::all_of(std::begin(kBlockSizes), std::end(kBlockSizes),
                                      [&](const BlockSize& b) {
                                          return run_.params().block_codes.find(b.code) !=
                                                 std::string::npos;
                                      }));
    if (!mnuGraph_->isEnabled()) mnuGraph_->setToolTip("The graph needs all eleven block sizes");
    connect(mnuGraph_, &QPushButton::clicked, this, [this] { mnuGraph_Click(); });
    end_row->addWidget(mnuGraph_);
    mnuPrint_ = new QPushButton("Print...", this);
    mnuPrint_->setObjectName("mnuPrint");
    mnuPrint_->setEnabled(false);
    mnuPrint_->setToolTip("Prints the report once the test has finished");
    connect(mnuPrint_, &QPushButton::clicked, this, [this] { mnuPrint_Click(); });
    end_row->addWidget(mnuPrint_);
    auto* exit = new QPushButton("Exit", this);
    exit->setObjectName("mnuexit");
    connect(exit, &QPushButton::clicked, this, &QDialog::close);
    end_row->addStretch();
    end_row->addWidget(mnucompare_);
    end_row->addWidget(mnuSave_);
    end_row->addWidget(exit);
    main->addLayout(end_row);

    setWindowTitle(q(window_caption(run_.params(), CurrentDriveSpecs(),
                                    windowTitle().toStdString())));

    Timer1_ = new QTimer(this);
    Timer1_->setInterval(1000);
    connect(Timer1_, &QTimer::timeout, this, &TestForm::GetVALUES);
}

void TestForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) {
        opened_ = true;
        // After the window is up, so its first paint does not wait for the testers.
        QTimer::singleShot(0, this, &TestForm::open_run);
    }
}

void TestForm::open_run() {
    if (stopped_) return;  // closed before it opened: no job goes out
    app().busy = true;
    run_.open();
    TestBar_->setMaximum(static_cast<int>(std::max<std::int64_t>(1, run_.maximum())));
    ExampleTest_->setText(q(run_.tip()));
    TimeRemain_->setText(q(time_left_text(0, run_.maximum())));
    TestLb_->setText(q(run_.line()));
    if (run_.tick_at_open()) GetVALUES();
    if (!stopped_) Timer1_->start();
}

void TestForm::GetVALUES() {
    if (stopped_ || run_.end() != RunEnd::Running) return;
    const RunEnd end = run_.tick();
    show_tick();
    if (end != RunEnd::Running) ended(end);
}

void TestForm::show_tick() {
    const TickReading& r = run_.reading();
    const auto main = main_value_figures(r);
    for (size_t i = 0; i < main.size(); ++i) MainValue_[i]->setText(q(main[i].text));
    const auto drive = value_a_figures(r);
    for (size_t i = 0; i < drive.size(); ++i) ValueA_[i]->setText(q(drive[i].text));
    ReadSeek_->setText(q(seek_text(r.sec_per_read)));
    WriteSeek_->setText(q(seek_text(r.sec_per_write)));
    TesterCpu_->setText(q(tester_cpu_text(r.tester_cpu_percent)));
    HWUse_->setText(q(hw_use_text(r.cpu_percent)));
    HWUse_->setStyleSheet(colour_css(hw_use_colour(r.cpu_percent)));
    CPUFreqL_->setText(q(cpu_freq_text(r.cpu_mhz)));
    const TestSamples& s = run_.samples();
    if (run_.last_rise().read) show_bar(ReadBar_, Side::Read, s.peak_read_bytes);
    if (run_.last_rise().write) show_bar(WriteBar_, Side::Write, s.peak_write_bytes);
    HighRead_->setText(q(high_text(s.peak_read_bytes)));
    HighWrite_->setText(q(high_text(s.peak_write_bytes)));
    if (run_.type() > 0 && run_.block() > 0)
        Rating_[static_cast<size_t>(run_.type() - 1)]->setText(
            QString::number(s.score(run_.type(), run_.block())));
    if (!run_.status().empty()) TLabel_->setText(q(run_.status()));
    TestLb_->setText(q(run_.line()));
    ExampleTest_->setText(q(run_.tip()));
    TestBar_->setValue(static_cast<int>(std::min(run_.elapsed(), run_.maximum())));
    TestPER_->setText(q(progress_percent_text(run_.elapsed(), run_.maximum())));
    TimeRemain_->setText(q(time_left_text(run_.elapsed(), run_.maximum())));
}

void TestForm::show_bar(QFrame* bar, Side side, double bytes) {
    const auto geometry = speed_bar(side, bytes);
    if (!geometry) return;
    const int height = std::min(kBarAreaPixels, geometry->height / kTwipsPerPixel);
    bar->setGeometry(bar->x(), kBarAreaPixels - height, kBarWidthPixels, height);
}

void TestForm::ended(RunEnd end) {
    Timer1_->stop();
    switch (end) {
    case RunEnd::Finished: {
        TLabel_->setText("Building the report");
        finished_ = EndOfRun(run_);
        OverallText_->setPlainText(q(finished_text(*finished_)));
        TLabel_->setText("Test finished");
        for (QPushButton* b : RClick_) b->setEnabled(b->property("chosen").toBool());
        mnuSave_->setEnabled(true);
        mnucompare_->setEnabled(ui_registry().has_window("frmCompare"));
        // What the drive's history says of this test stands where the eye is after a run.
        for (const std::string& finding : finished_->report.findings)
            TLabel_->setText(TLabel_->text() + "\n" + q(finding));
        mnuPrint_->setEnabled(true);
        if (!finished_->files.ok())
            MsgBox("Some result files could not be written:\r\n" +
                       written_files_text(finished_->files),
                   PromptIcon::Exclamation);
        return;  // the window stays until the user closes it
    }
    case RunEnd::NoActivity:  // the start button says why
        break;
    case RunEnd::TesterError:
    case RunEnd::TesterGone:
        MsgBox(run_.message(), PromptIcon::Critical);
        break;
    case RunEnd::Running:
        return;
    }
    close();
}

void TestForm::RClick(int index) {
    if (!finished_) return;
    const ReportResult& r = finished_->report;
    const std::string text = index == 0                 ? r.OverallText
                             : index == kBlockCount + 1 ? r.texts.ReadText
                             : index == kBlockCount + 2 ? r.texts.WriteText
                                                        : block_report(r, index);
    OverallText_->setPlainText(q(text));
}

void TestForm::mnuSave_Click() {
    if (!finished_) return;
    // The save window leaves "" after Cancel: then nothing is written.
    const std::string chosen = frmSave::Ask(run_.params().drive_entry, this);
    if (chosen.empty()) return;
    std::string error;
    if (!text_files::replace(chosen, finished_->report.OverallText, &error))
        MsgBox("The report was not saved: " + error, PromptIcon::Exclamation);
}

void TestForm::mnuGraph_Click() {
    const std::string codes = run_.params().block_codes;
    frmResultBlock::Show(
        [this, codes](results::GraphFigure f) {
            return results::main_test_graph(run_.samples(), codes, f);
        },
        [this] { return !stopped_ && run_.end() == RunEnd::Running; }, run_.params().drive_entry,
        this);
}

void TestForm::mnuPrint_Click() {
    if (!finished_) return;
    PrintContent content;
    content.title = windowTitle().toStdString();
    content.text = finished_->report.OverallText;
    content.graph = results::main_test_graph(run_.samples(), run_.params().block_codes,
                                             results::GraphFigure::Peak);
    content.drive_entry = run_.params().drive_entry;
    frmPrint::Show(std::move(content), this);
}

void TestForm::stop_run() {
    if (stopped_) return;
    stopped_ = true;
    if (Timer1_) Timer1_->stop();
    run_.close();
    app().busy = false;
}

void TestForm::closeEvent(QCloseEvent* event) {
    stop_run();
    event->accept();
}

void TestForm::reject() {
    stop_run();
    QDialog::reject();
}

}  // namespace bw
