#include "standalone/ui/FrmBasic.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/AppState.h"
#include "core/SaveName.h"
#include "core/ui/frmSave.h"
#include "core/ui/modAlwaysOnTop.h"
#include "platform/TextFiles.h"
#include "platform/prompt.h"
#include "results/ui/frmPrint.h"
#include "results/ui/frmResultBlock.h"
#include "standalone/BasicBlocks.h"
#include "standalone/BasicPlan.h"

namespace bw {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Twips to pixels: the bars were laid out in twips, 15 to a pixel.
constexpr double kTwipsPerPixel = 15;
constexpr int kBarAreaPixels = static_cast<int>(basic::kRatingBase / kTwipsPerPixel);
constexpr int kBarWidth = 28;

// Reports made before the window opened are deleted: they belong to an earlier test.
inline constexpr const char* kStaleReports[] = {"Recommend.txt", "specs.txt", "Overall.txt"};

}  // namespace

// Carries the run's reports from the worker thread to the window's thread.
class FrmBasic::Relay : public basic::BasicObserver {
  public:
    explicit Relay(FrmBasic* w) : w_(w) {}
    void status(const std::string& text) override {
        post([w = w_, text] { w->MainL_->setText(q(text)); });
    }
    void sample(const basic::SampleEvent& e) override {
        post([w = w_, e] { w->on_sample(e); });
    }
    void block_done(Side side, int index, const basic::BlockFigures& f) override {
        post([w = w_, side, index, f] { w->on_block(side, index, f); });
    }
    void problem(const std::string& reason) override {
        post([w = w_, reason] { w->on_problem(reason); });
    }

  private:
    template <typename F>
    void post(F f) {
        QMetaObject::invokeMethod(w_, std::move(f), Qt::QueuedConnection);
    }
    FrmBasic* w_;
};

FrmBasic::FrmBasic(basic::BasicParams params, std::unique_ptr<basic::BasicDrive> drive,
                   basic::SecondsNow now, std::string drive_entry, QWidget* parent)
    : QDialog(parent),
      params_(std::move(params)),
      drive_(std::move(drive)),
      now_(std::move(now)),
      drive_entry_(std::move(drive_entry)),
      relay_(std::make_unique<Relay>(this)) {
    setObjectName("FrmBasic");
    graph_input_.block_codes = params_.block_codes;
    setWindowTitle("Basic Test");
    build_controls();
    Form_Load();
}

FrmBasic::~FrmBasic() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

QLabel* FrmBasic::label(const QString& name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

void FrmBasic::build_controls() {
    auto* layout = new QVBoxLayout(this);
    MainL_ = label("MainL", this);
    layout->addWidget(MainL_);

    panels_ = new QStackedWidget(this);
    auto* main_panel = new QWidget(panels_);
    auto* grid = new QGridLayout(main_panel);
    const struct {
        const char* caption;
        QLabel* FrmBasic::*field;
        const char* name;
        int row, column;
    } kLive[] = {
        {"Peak Write", &FrmBasic::WritePeak_, "WritePeak", 0, 0},
        {"Write I/O", &FrmBasic::WriteIO_, "WriteIO", 1, 0},
        {"Current Write", &FrmBasic::WriteCur_, "WriteCur", 2, 0},
        {"Peak Read", &FrmBasic::ReadPeak_, "ReadPeak", 0, 2},
        {"Read I/O", &FrmBasic::ReadIO_, "ReadIO", 1, 2},
        {"Current Read", &FrmBasic::ReadCur_, "ReadCur", 2, 2},
    };
    for (const auto& l : kLive) {
        grid->addWidget(new QLabel(l.caption, main_panel), l.row, l.column);
        this->*l.field = label(l.name, main_panel);
        grid->addWidget(this->*l.field, l.row, l.column + 1);
    }
    // The rating bars stand on a base line; their height follows the peak.
    auto* bars = new QFrame(main_panel);
    bars->setFixedSize(3 * kBarWidth, kBarAreaPixels);
    bars->setFrameShape(QFrame::StyledPanel);
    WriteBar_ = new QFrame(bars);
    WriteBar_->setObjectName("WriteBar");
    WriteBar_->setStyleSheet("background: #c00000;");
    ReadBar_ = new QFrame(bars);
    ReadBar_->setObjectName("ReadBar");
    ReadBar_->setStyleSheet("background: #008000;");
    WriteBar_->setGeometry(kBarWidth / 3, kBarAreaPixels, kBarWidth, 0);
    ReadBar_->setGeometry(kBarWidth * 5 / 3, kBarAreaPixels, kBarWidth, 0);
    grid->addWidget(bars, 0, 4, 3, 1);
    panels_->addWidget(main_panel);

    for (int i = 0; i < basic::kBasicBlockCount; ++i) {
        auto* page = new QWidget(panels_);
        page->setObjectName(QString("BBlock(%1)").arg(i));
        auto* g = new QGridLayout(page);
        Panel& p = BBlock_[static_cast<size_t>(i)];
        p.TestTitle = label(QString("TestTitle(%1)").arg(i), page);
        g->addWidget(p.TestTitle, 0, 0, 1, 2);
        const struct {
            const char* caption;
            QLabel* Panel::*field;
            const char* name;
        } kFigures[] = {
            {"Peak Write", &Panel::BPeakWrite, "BPeakWrite"},
            {"Peak Write I/O", &Panel::BPeakWriteIO, "BPeakWriteIO"},
            {"Average Write", &Panel::BAverWrite, "BAverWrite"},
            {"Average Write I/O", &Panel::BAverWriteIO, "BAverWriteIO"},
            {"Peak Read", &Panel::BPeakRead, "BPeakRead"},
            {"Peak Read I/O", &Panel::BPeakReadIO, "BPeakReadIO"},
            {"Average Read", &Panel::BAverRead, "BAverRead"},
            {"Average Read I/O", &Panel::BAverReadIO, "BAverReadIO"},
        };
        int row = 1;
        for (const auto& f : kFigures) {
            g->addWidget(new QLabel(f.caption, page), row, 0);
            p.*f.field = label(QString("%1(%2)").arg(f.name).arg(i), page);
            g->addWidget(p.*f.field, row++, 1);
        }
        panels_->addWidget(page);
    }
    layout->addWidget(panels_);

    auto* progress_row = new QHBoxLayout;
    TestBar_ = new QProgressBar(this);
    TestBar_->setObjectName("TestBar");
    TestBar_->setTextVisible(false);
    TestPER_ = label("TestPER", this);
    progress_row->addWidget(TestBar_, 1);
    progress_row->addWidget(TestPER_);
    layout->addLayout(progress_row);

    Command1_ = new QPushButton("Cancel", this);
    Command1_->setObjectName("Command1");
    layout->addWidget(Command1_, 0, Qt::AlignRight);
    connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName("Timer1");
    connect(Timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    build_menus(this);
}

void FrmBasic::build_menus(QWidget* holder) {
    auto* bar = new QMenuBar(holder);
    layout()->setMenuBar(bar);
    QMenu* blocks = bar->addMenu("Block Size");
    for (int i = 0; i < basic::kBasicBlockCount; ++i) {
        const auto& b = basic::kBasicBlocks[i];
        QAction* a = blocks->addAction(q(std::string(b.title)));
        a->setObjectName(q(std::string(b.menu)));
        connect(a, &QAction::triggered, this, [this, i] { show_block(i); });
        block_menus_[static_cast<size_t>(i)] = a;
    }
    mnuGraph_ = bar->addAction("Graph");
    mnuGraph_->setObjectName("mnuGraph");
    connect(mnuGraph_, &QAction::triggered, this, [this] { mnuGraph(); });
    mnuPrint_ = bar->addAction("Print");
    mnuPrint_->setObjectName("mnuPrint");
    mnuPrint_->setEnabled(false);
    mnuPrint_->setToolTip("Prints the results once the test is done");
    connect(mnuPrint_, &QAction::triggered, this, [this] { mnuPrint(); });
    QAction* main = bar->addAction("Main");
    main->setObjectName("mnuMain");
    connect(main, &QAction::triggered, this, [this] { mnuMain(); });
    QAction* save = bar->addAction("Save");
    save->setObjectName("mnuSave");
    connect(save, &QAction::triggered, this, [this] { mnuSave(); });
}

void FrmBasic::Form_Load() {
    for (const char* name : kStaleReports) {
        std::string ignored;  // a report that cannot be removed is simply an old one
        if (!app().program_folder.empty())
            text_files::remove(app().program_folder / name, &ignored);
    }
    TestBar_->setMaximum(std::max(1, static_cast<int>(params_.total_seconds)));
    TestBar_->setValue(0);
    if (params_.block_codes.size() < static_cast<size_t>(basic::kBasicBlockCount)) {
        for (auto* a : block_menus_) a->setEnabled(false);
        for (char code : params_.block_codes)
            if (int i = basic::basic_block_index(code); i >= 0)
                block_menus_[static_cast<size_t>(i)]->setEnabled(true);
    }
    mnuGraph_->setEnabled(true);
    mnuMain();
    SetAlwaysOnTop(this, true);
    Timer1_->setSingleShot(true);
    Timer1_->start(100);
}

void FrmBasic::Timer1_Timer() {
    worker_ = std::thread([this] {
        basic::BasicRun run(params_, *drive_, now_, *relay_, cancel_);
        basic::BasicOutcome out = run.run();
        QMetaObject::invokeMethod(
            this, [this, out = std::move(out)] { on_finished(out); }, Qt::QueuedConnection);
    });
}

void FrmBasic::on_sample(const basic::SampleEvent& e) {
    graph_input_.seconds.push_back({e.side, e.current});
    const bool write = e.side == Side::Write;
    if (e.new_peak) {
        (write ? WritePeak_ : ReadPeak_)->setText(q(basic::bps(e.peaks.bytes)));
        (write ? WriteIO_ : ReadIO_)->setText(q(basic::iops(e.peaks.operations)));
        write ? SetWRating(e.peaks.bytes) : SetRRating(e.peaks.bytes);
    }
    (write ? WriteCur_ : ReadCur_)->setText(q(basic::bps(e.current)));
    TestBar_->setValue(std::min(e.progress, TestBar_->maximum()));
    TestPER_->setText(QString::number(100.0 * e.progress / TestBar_->maximum(), 'f', 1) + "%");
}

void FrmBasic::on_block(Side side, int index, const basic::BlockFigures& f) {
    if (index < 0) return;
    graph_input_.blocks.push_back({side, index, f});
    Panel& p = BBlock_[static_cast<size_t>(index)];
    const bool write = side == Side::Write;
    (write ? p.BPeakWrite : p.BPeakRead)->setText(q(basic::bps(f.peak)));
    (write ? p.BPeakWriteIO : p.BPeakReadIO)->setText(q(basic::iops(f.peak_io)));
    (write ? p.BAverWrite : p.BAverRead)->setText(q(basic::bps(f.average)));
    (write ? p.BAverWriteIO : p.BAverReadIO)->setText(q(basic::iops(f.average_io)));
}

void FrmBasic::on_problem(const std::string& reason) {
    MsgBox(reason, PromptIcon::Exclamation, "Basic Test");
}

void FrmBasic::on_finished(const basic::BasicOutcome& outcome) {
    if (worker_.joinable()) worker_.join();
    finished_ = true;
    outcome_ = outcome;
    if (outcome.cancelled) {
        done(QDialog::Rejected);
        return;
    }
    if (params_.block_codes.size() == 1)
        show_block(basic::basic_block_index(params_.block_codes[0]));
    Command1_->setText("Done");
    mnuPrint_->setEnabled(true);
    TestBar_->setValue(TestBar_->maximum());
    TestPER_->setText("100.0%");
}

void FrmBasic::Command1_Click() {
    if (Command1_->text() == "Cancel") {
        cancel_ = true;
        // Before the worker starts there is nothing to wait for.
        if (!worker_.joinable()) {
            Timer1_->stop();
            done(QDialog::Rejected);
        }
    } else {
        accept();
    }
}

void FrmBasic::closeEvent(QCloseEvent* event) {
    // Closing while the test runs is a Cancel: the window closes once the worker has removed
    // the test files.
    if (running()) {
        cancel_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FrmBasic::SetWRating(double peak) {
    set_bar(WriteBar_, peak);
}
void FrmBasic::SetRRating(double peak) {
    set_bar(ReadBar_, peak);
}

void FrmBasic::set_bar(QFrame* bar, double peak) {
    const auto rating = basic::rating_bar(peak);
    if (!rating) return;
    const int top = std::max(0, static_cast<int>(rating->top / kTwipsPerPixel));
    bar->setGeometry(bar->x(), top, bar->width(), kBarAreaPixels - top);
}

void FrmBasic::show_block(int index) {
    if (index < 0 || index >= basic::kBasicBlockCount) return;
    BBlock_[static_cast<size_t>(index)].TestTitle->setText(
        q(std::string(basic::kBasicBlocks[index].title)));
    panels_->setCurrentIndex(index + 1);
}

void FrmBasic::mnuMain() {
    panels_->setCurrentIndex(0);
}

void FrmBasic::mnuSave() {
    const std::string chosen = frmSave::Ask(drive_entry_, this);
    if (chosen.empty()) return;
    std::string error;
    if (!text_files::replace(BasicSavePath(chosen), outcome_.summary, &error))
        MsgBox(error, PromptIcon::Exclamation, "Save");
}

void FrmBasic::mnuGraph() {
    frmResultBlock::Show(
        [this](results::GraphFigure f) { return results::basic_test_graph(graph_input_, f); },
        [this] { return running(); }, drive_entry_, this);
}

void FrmBasic::mnuPrint() {
    PrintContent content;
    content.title = "Basic Test on " + drive_entry_;
    content.text = outcome_.summary;
    content.graph = results::basic_test_graph(graph_input_, results::GraphFigure::Peak);
    content.drive_entry = drive_entry_;
    frmPrint::Show(std::move(content), this);
}

}  // namespace bw
