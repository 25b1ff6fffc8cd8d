#include "core/ui/FrmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/AppState.h"
#include "core/LiveFigures.h"
#include "core/MainMenuActions.h"
#include "core/MainOptions.h"
#include "core/ui/MainMenu.h"
#include "platform/prompt.h"

namespace bw {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr const char* kPerformanceTip = "Will Read the Drive";

QString colour_css(std::uint32_t bgr) {
    // Colours are kept as 0x00BBGGRR.
    return QString("color: rgb(%1,%2,%3);")
        .arg(bgr & 0xFF)
        .arg((bgr >> 8) & 0xFF)
        .arg((bgr >> 16) & 0xFF);
}

// What each menu entry without a registered action will do once its window exists: said in its
// tool tip, so a disabled entry is never a riddle.
struct ComingEntry {
    std::string_view name;
    std::string_view does;
};
inline constexpr ComingEntry kComingEntries[] = {
    {kMnuBasicTest, "Runs the basic read/write test of the selected drive"},
    {kMnuMEM, "Measures the speed of memory and cache"},
    {kMnuGlowbox, "Opens Glowbox"},
    {kMnuMonitor, "Watches the activity of your hard drives"},
    {kMnuScan, "Checks and repairs the file system of a drive"},
    {kMnuMyTest, "Compares your own test results"},
    {kMnuTuning, "Shows and changes the system's disk settings"},
    {kMnuTRIMTest, "Tests whether TRIM works on a solid-state drive"},
    {kMnuTRIM, "Explains TRIM"},
    {kMnuHelp, "Shows the help pages"},
    {kMnuWeb, "Opens the Brantwell website"},
    {kMnuAbout, "Shows the version"},
    {kMnuAHCI, "Shows whether the SATA controllers run in AHCI mode"},
    {kCommand1, "Starts the test of the selected drive"},
    {kCommand3, "Opens the logical drive monitor"},
};

QString not_yet_tip(std::string_view name) {
    for (const auto& e : kComingEntries)
        if (e.name == name) return q(e.does) + " - " + q(kNotAvailable) + ".";
    return q(kNotAvailable);
}

// Menu captions with their keyboard mnemonic (Alt+T opens Tools).
struct Mnemonic {
    std::string_view name;
    const char* caption;
};
inline constexpr Mnemonic kMnemonics[] = {
    {kMnuOpt, "&Tools"}, {kMnua, "&About"}, {kMnnExit, "E&xit"}, {kMnuPref, "&Preferences"},
};

QString menu_caption(std::string_view name, std::string_view caption) {
    for (const auto& m : kMnemonics)
        if (m.name == name) return QString(m.caption);
    return q(caption);
}

// A wrapped label breaks only between its phrases (after the legend's commas, between the drive
// facts): a phrase cut in two reads as another colour rule, a "Backing" without its "file:".
QString unbroken_phrases(const QString& text, const QString& separator) {
    QStringList phrases = text.split(separator);
    for (QString& p : phrases) p.replace(' ', QChar(0x00A0));
    return phrases.join(separator);
}

QLabel* link_label(const QString& text, QWidget* parent) {
    auto* l = new QLabel(QString("<a href=\"#\">%1</a>").arg(text), parent);
    l->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    return l;
}

}  // namespace

FrmMain::FrmMain(const StartSteps& steps, const UiRegistry& ui, MainWindowState& state,
                 QWidget* parent)
    : QMainWindow(parent), steps_(steps), ui_(ui), state_(state) {
    setObjectName("FrmMain");
    setWindowTitle("Brantwell");
    build_controls();
    build_menus();
    show_state();
}

QCheckBox* FrmMain::box(const char* name, const QString& caption, const QString& tip) {
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(name);
    if (!tip.isEmpty()) b->setToolTip(tip);
    connect(b, &QCheckBox::released, this, [this, b] { on_box_released(b); });
    return b;
}

void FrmMain::build_controls() {
    auto* central = new QWidget(this);
    auto* root = new QVBoxLayout(central);

    auto* drive_row = new QHBoxLayout;
    auto* label1 = new QLabel("Drive to Test", central);
    DriveList_ = new QComboBox(central);
    DriveList_->setObjectName("DriveList");
    DriveList_->setMinimumWidth(420);
    connect(DriveList_, &QComboBox::currentIndexChanged, this, &FrmMain::on_drive_selected);
    drive_row->addWidget(label1);
    drive_row->addWidget(DriveList_, 1);
    root->addLayout(drive_row);

    Label7_ = new QLabel(central);
    Label7_->setObjectName("Label7");
    Label7_->setWordWrap(true);
    Label7_->setMinimumHeight(64);
    Label7_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label7_->setFrameShape(QFrame::StyledPanel);
    root->addWidget(Label7_);

    auto* middle = new QHBoxLayout;
    // Test choices.
    auto* tests = new QGroupBox("Test", central);
    auto* tests_layout = new QVBoxLayout(tests);
    ChkRead_ = box("ChkRead", "Read Test");
    ChkWrite_ = box("ChkWrite", "Write Test");
    TestType_[0] = new QRadioButton("Functional Test", tests);
    TestType_[0]->setObjectName("TestType0");
    TestType_[0]->setToolTip("Will Read a File");
    TestType_[1] = new QRadioButton("Performance Test", tests);
    TestType_[1]->setObjectName("TestType1");
    TestType_[1]->setToolTip(kPerformanceTip);
    BasicOnly_ = box("BasicOnly", "Basic Test ONLY");
    RootNote_ = new QLabel(central);
    RootNote_->setObjectName("RootNote");
    RootNote_->setWordWrap(true);
    TestAllDrv_ = box("TestAllDrv", "Test All HD");
    IgnoreME_ = box("IgnoreME", "Ignore Usage");
    for (QWidget* w : std::initializer_list<QWidget*>{ChkRead_, ChkWrite_, TestType_[0],
                                                      TestType_[1], BasicOnly_, TestAllDrv_,
                                                      IgnoreME_})
        tests_layout->addWidget(w);
    tests_layout->addStretch();
    middle->addWidget(tests, 1);

    // Multi-tasking.
    auto* multi = new QGroupBox("Extended Test for  Deeper Disk Analysis", central);
    auto* multi_layout = new QVBoxLayout(multi);
    ChkMulti_ = box("ChkMulti", "Lite Multi-Task", "Two Read/Writes will be run concurrently");
    ChkMultiH_ = box("ChkMultiH", "Heavy Mutli-Tasking", "Three Read/Write will be run concurrently");
    ChkMultiHS_ = box("ChkMultiHS", "Intense Multi-Tasking (Write Test WILL be Performed)",
                      "2 Reads 1 Wirte or 2 Writes and 1 Read will be run concurrently");
    const QString legend = "(Green or Black OK, Yellow heavy load on drive, Red not advised)";
    auto* label11 = new QLabel(unbroken_phrases(legend, ", "), multi);
    label11->setObjectName("Label11");
    label11->setAccessibleName(legend);
    label11->setWordWrap(true);
    for (QWidget* w : std::initializer_list<QWidget*>{ChkMulti_, ChkMultiH_, ChkMultiHS_, label11})
        multi_layout->addWidget(w);
    multi_layout->addStretch();
    middle->addWidget(multi, 1);

    // Block sizes.
    auto* blocks = new QVBoxLayout;
    blocks->addWidget(new QLabel("Block Size", central));
    SelBlock_ = new QListWidget(central);
    SelBlock_->setObjectName("SelBlock");
    SelBlock_->setSelectionMode(QAbstractItemView::MultiSelection);
    SelBlock_->setToolTip("64KB is the most used copy Blocksize");
    for (auto name : kBlockNames) SelBlock_->addItem(QString::fromUtf8(name.data(), int(name.size())));
    SelBlock_->setMaximumWidth(110);
    blocks->addWidget(SelBlock_, 1);
    auto* all_clear = new QHBoxLayout;
    QLabel* label8 = link_label("All", central);
    label8->setObjectName("Label8");
    QLabel* label9 = link_label("Clear", central);
    label9->setObjectName("Label9");
    connect(label8, &QLabel::linkActivated, this, [this] { SelBlock_->selectAll(); });
    connect(label9, &QLabel::linkActivated, this, [this] { SelBlock_->clearSelection(); });
    all_clear->addWidget(label8);
    all_clear->addWidget(label9);
    blocks->addLayout(all_clear);
    middle->addLayout(blocks);
    // Extra height goes to the options and the block list, not to empty rows around them.
    root->addLayout(middle, 1);
    root->addWidget(RootNote_);

    // Live figures.
    auto* live = new QGridLayout;
    CPULabel_ = new QLabel(central);
    CPULabel_->setObjectName("CPULabel");
    Label3_ = new QLabel("Drive", central);
    Label3_->setObjectName("Label3");
    // A click on the caption is the process diagnostic.
    Label3_->installEventFilter(this);
    Label4_ = new QLabel("Time:", central);
    Label5_ = new QLabel("Transfer:", central);
    DQueue_ = new QLabel(central);
    DQueue_->setObjectName("DQueue");
    DTransfer_ = new QLabel(central);
    DTransfer_->setObjectName("DTransfer");
    Label10_ = new QLabel("SSD Trim is ON", central);
    Label10_->setObjectName("Label10");
    Label10_->setToolTip("AHCI and TRIM are ON, does not mean Drive supports TRIM");
    DStatus_ = new QLabel("CHECKING DISK USAGE", central);
    DStatus_->setObjectName("DStatus");
    DStatus_->hide();
    live->addWidget(CPULabel_, 0, 0);
    live->addWidget(Label3_, 0, 1);
    live->addWidget(Label4_, 0, 2);
    live->addWidget(DQueue_, 0, 3);
    live->addWidget(Label5_, 0, 4);
    live->addWidget(DTransfer_, 0, 5);
    live->addWidget(Label10_, 1, 0, 1, 2);
    live->addWidget(DStatus_, 1, 2, 1, 4);
    root->addLayout(live);

    auto* buttons = new QHBoxLayout;
    Command1_ = new QPushButton("Run Test", central);
    Command1_->setObjectName("Command1");
    Command3_ = new QPushButton("Monitor Only", central);
    Command3_->setObjectName("Command3");
    Command2_ = new QPushButton("Done", central);
    Command2_->setObjectName("Command2");
    bind_button(Command1_, kCommand1);
    bind_button(Command3_, kCommand3);
    connect(Command2_, &QPushButton::clicked, this, &QWidget::close);
    buttons->addStretch();
    for (QPushButton* b : {Command1_, Command3_, Command2_}) buttons->addWidget(b);
    root->addLayout(buttons);

    setCentralWidget(central);
    Timer1_ = new QTimer(this);
    Timer1_->setObjectName("Timer1");
    Timer1_->setInterval(1000);
    connect(Timer1_, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
}

void FrmMain::build_menus() {
    std::vector<std::pair<std::string_view, QMenu*>> menus;
    auto menu_for = [&](std::string_view name) {
        for (const auto& [n, m] : menus)
            if (n == name) return m;
        std::string_view caption;
        for (const auto& head : kMenuHeads)
            if (head.name == name) caption = head.caption;
        QMenu* m = menuBar()->addMenu(menu_caption(name, caption));
        m->setObjectName(q(name));
        m->setToolTipsVisible(true);
        menus.emplace_back(name, m);
        return m;
    };
    for (const auto& entry : kMainMenu) {
        const QString caption = menu_caption(entry.name, entry.caption);
        QAction* a = entry.menu.empty() ? menuBar()->addAction(caption)
                                        : menu_for(entry.menu)->addAction(caption);
        a->setObjectName(q(entry.name));
        const MenuAction* action = ui_.action(entry.name);
        a->setEnabled(action != nullptr);
        if (!action) {
            // Shown, so the user sees what the program will do, but not silently inert.
            a->setToolTip(not_yet_tip(entry.name));
            continue;
        }
        connect(a, &QAction::triggered, this, [this, name = entry.name] { run_action(name); });
    }
}

void FrmMain::bind_button(QPushButton* button, std::string_view name) {
    if (!ui_.action(name)) {
        // Shown, so the user sees what the program will do, but not silently inert.
        button->setEnabled(false);
        button->setToolTip(not_yet_tip(name));
        return;
    }
    connect(button, &QPushButton::clicked, this, [this, name] { run_action(name); });
}

void FrmMain::run_action(std::string_view name) {
    // Looked up again when chosen: the registry may have grown since (and moved its entries).
    const MenuAction* chosen = ui_.action(name);
    if (!chosen) return;
    read_state();
    MainWindowHooks hooks{
        [this] { Timer1_->stop(); },
        [this] { start_display(); },
        [this](bool visible) { DStatus_->setVisible(visible); },
        [this] { show_state(); },
    };
    MenuContext ctx{this, state_, steps_, hooks};
    (*chosen)(ctx);
}

std::vector<std::pair<QCheckBox*, OptionBox>> FrmMain::bound_boxes() const {
    return {{ChkRead_, OptionBox::ChkRead},       {ChkWrite_, OptionBox::ChkWrite},
            {ChkMulti_, OptionBox::ChkMulti},     {ChkMultiH_, OptionBox::ChkMultiH},
            {ChkMultiHS_, OptionBox::ChkMultiHS}, {BasicOnly_, OptionBox::BasicOnly},
            {TestAllDrv_, OptionBox::TestAllDrv}, {IgnoreME_, OptionBox::IgnoreME}};
}

void FrmMain::show_state() {
    const MainOptions& o = state_.options;
    for (const auto& [widget, which] : bound_boxes()) {
        widget->setChecked(o.box(which).checked);
        widget->setEnabled(o.box(which).enabled);
    }
    TestType_[o.TestType == 0 ? 0 : 1]->setChecked(true);
    TestType_[1]->setEnabled(o.performance_refusal.empty());
    TestType_[1]->setToolTip(o.performance_refusal.empty()
                                 ? QString(kPerformanceTip)
                                 : QString(kPerformanceTip) + " - not available for this drive: " +
                                       q(o.performance_refusal));
    RootNote_->setText(q(o.root_note));
    RootNote_->setVisible(!o.root_note.empty());
    for (int i = 0; i < SelBlock_->count(); ++i)
        SelBlock_->item(i)->setSelected(o.SelBlock[static_cast<size_t>(i)]);

    {
        QSignalBlocker quiet(DriveList_);
        DriveList_->clear();
        for (const auto& entry : o.DriveList) {
            DriveList_->addItem(q(entry));
            auto facts = state_.drive_facts.find(entry);
            if (facts != state_.drive_facts.end())
                DriveList_->setItemData(DriveList_->count() - 1, q(facts->second.details),
                                        Qt::ToolTipRole);
        }
        DriveList_->setCurrentIndex(o.DriveListIndex);
    }
    ChkMulti_->setStyleSheet(colour_css(state_.colours.ChkMulti));
    ChkMultiH_->setStyleSheet(colour_css(state_.colours.ChkMultiH));
    ChkMultiHS_->setStyleSheet(colour_css(state_.colours.ChkMultiHS));
    show_label7();
    DriveList_->setToolTip(DriveList_->currentData(Qt::ToolTipRole).toString());
    Label10_->setVisible(state_.trim_on_label);
    const bool live = o.live_figures_shown();
    for (QWidget* w : std::initializer_list<QWidget*>{Label3_, Label4_, Label5_, DQueue_, DTransfer_})
        w->setVisible(live);
}

void FrmMain::read_state() {
    MainOptions& o = state_.options;
    for (const auto& [widget, which] : bound_boxes()) {
        o.box(which).checked = widget->isChecked();
        o.box(which).enabled = widget->isEnabled();
    }
    o.TestType = TestType_[0]->isChecked() ? 0 : 1;
    for (int i = 0; i < SelBlock_->count(); ++i)
        o.SelBlock[static_cast<size_t>(i)] = SelBlock_->item(i)->isSelected();
    o.DriveListIndex = DriveList_->currentIndex();
}

void FrmMain::on_box_released(QCheckBox* released) {
    read_state();
    for (const auto& [widget, which] : bound_boxes())
        if (widget == released) state_.options.box_released(which);
    show_state();
}

void FrmMain::on_drive_selected(int index) {
    read_state();  // keep what the user set elsewhere before the state is shown again
    state_.options.select_drive(index);
    show_selected_drive(steps_, state_);
    show_state();
}

void FrmMain::start_display() {
    if (!steps_.provided(StepId::LiveFigures)) return;
    Timer1_Timer();
    Timer1_->start();
}

void FrmMain::Timer1_Timer() {
    StepContext ctx{state_};
    if (!steps_.run(StepId::LiveFigures, ctx)) return;
    const LiveFigures& f = ctx.live;
    CPULabel_->setText(q(cpu_text(f.cpu_percent)));
    CPULabel_->setStyleSheet(colour_css(cpu_colour(f.cpu_percent)));
    memory_text_ = q(f.memory_text);
    show_label7();
    if (app().busy) {
        DQueue_->setText("0.00%");
        DTransfer_->setText("0 Bytes");
        return;
    }
    Label3_->setText(f.physical ? "Drive (P)" : "Drive (L)");
    DQueue_->setText(QString::number(f.disk_time_percent, 'f', 2) + "%");
    DTransfer_->setText(q(transfer_text(f.bytes_per_sec)));
}

void FrmMain::show_label7() {
    // Without specifications the memory figures show; the last ones stay until the next tick
    // replaces them, instead of a blank box for a second after each click.
    QString text = state_.Label7.empty() ? memory_text_ : q(state_.Label7);
    auto facts = state_.drive_facts.find(state_.options.selected_drive());
    if (facts != state_.drive_facts.end() && !facts->second.details.empty())
        text += (text.isEmpty() ? "" : "\n") + unbroken_phrases(q(facts->second.details), "   ");
    Label7_->setText(text);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label3_ && event->type() == QEvent::MouseButtonRelease) {
        for (const auto& line : process_id_messages()) MsgBox(line);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    Timer1_->stop();
    if (!unloaded_) {
        unloaded_ = true;
        read_state();
        FrmMainUnload(steps_, state_);
    }
    event->accept();
}

}  // namespace bw
