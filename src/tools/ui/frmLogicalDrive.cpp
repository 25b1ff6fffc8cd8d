#include "tools/ui/frmLogicalDrive.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/AppState.h"
#include "core/ui/modAlwaysOnTop.h"

namespace bw {

namespace {

QString text_of(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

// 0x00BBGGRR as a style sheet colour.
QString colour_style(std::uint32_t bgr) {
    return QString("color: rgb(%1,%2,%3);")
        .arg(bgr & 0xFF)
        .arg((bgr >> 8) & 0xFF)
        .arg((bgr >> 16) & 0xFF);
}

constexpr int kTickMs = 1000;

}  // namespace

frmLogicalDrive::frmLogicalDrive(const std::vector<std::string>& drive_list,
                                 const std::string& current_entry, std::function<void()> basic_test,
                                 QWidget* parent)
    : QDialog(parent), basic_test_(std::move(basic_test)) {
    setObjectName("frmLogicalDrive");
    setWindowTitle("Logical Drive Monitor");
    build_controls();

    // Form_Load: the busy flag, the drive list, the topmost window and the timer.
    app().busy = true;
    loaded_ = true;
    for (const auto& entry : drive_list) combo1_->addItem(QString::fromStdString(entry));
    int selected = 0;
    for (size_t i = 0; i < drive_list.size(); ++i)
        if (drive_list[i] == current_entry) selected = static_cast<int>(i);
    combo1_->setCurrentIndex(drive_list.empty() ? -1 : selected);
    connect(combo1_, &QComboBox::currentIndexChanged, this, [this] { Timer1_Timer(); });
    SetAlwaysOnTop(this, true);
    timer1_->setInterval(kTickMs);
    connect(timer1_, &QTimer::timeout, this, &frmLogicalDrive::Timer1_Timer);
}

frmLogicalDrive::~frmLogicalDrive() {
    unload();
}

void frmLogicalDrive::build_controls() {
    auto* root = new QVBoxLayout(this);
    combo1_ = new QComboBox(this);
    combo1_->setObjectName("Combo1");
    combo1_->setMinimumWidth(420);
    root->addWidget(combo1_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    QFont bold = font();
    bold.setBold(true);
    auto make_column = [&](const std::array<MonitorFigureDef, kMonitorRows>& defs,
                           std::array<QLabel*, kMonitorRows>& caps,
                           std::array<QLabel*, kMonitorRows>& vals, const char* side, int column) {
        for (int i = 0; i < kMonitorRows; ++i) {
            const MonitorFigureDef& def = defs[static_cast<size_t>(i)];
            QLabel* cap = new QLabel(text_of(def.caption), this);
            cap->setObjectName(QString("%1Cap%2").arg(side).arg(i));
            cap->installEventFilter(this);
            QLabel* val = new QLabel(this);
            val->setObjectName(QString("%1Val%2").arg(side).arg(i));
            val->setFont(bold);
            val->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // Page faults are shown as plain text, up to 15 digits and a fraction.
            val->setMinimumWidth(190);
            val->setStyleSheet(colour_style(kMonitorNavy));
            if (!MonitorFigureHasSource(def)) val->setToolTip(text_of(kNoSourceWhy));
            caps[static_cast<size_t>(i)] = cap;
            vals[static_cast<size_t>(i)] = val;
            grid->addWidget(cap, i, column);
            grid->addWidget(val, i, column + 1);
        }
    };
    make_column(kMonitorLeft, left_cap_, left_val_, "Left", 0);
    make_column(kMonitorRight, right_cap_, right_val_, "Right", 2);
    grid->setColumnMinimumWidth(2, 200);
    root->addLayout(grid);

    text1_ = new QLabel(text_of(kMonitorHelp), this);
    text1_->setObjectName("Text1");
    text1_->setWordWrap(true);
    text1_->setMinimumHeight(90);
    text1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text1_->setFrameShape(QFrame::StyledPanel);
    root->addWidget(text1_);

    auto* buttons = new QHBoxLayout;
    frm_label_ = new QLabel("<a href=\"#\">Run the Basic Test on a drive</a>", this);
    frm_label_->setObjectName("frmLabel");
    frm_label_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(frm_label_, &QLabel::linkActivated, this, [this] {
        if (basic_test_) basic_test_();
    });
    command1_ = new QPushButton("Close", this);
    command1_->setObjectName("Command1");
    connect(command1_, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(frm_label_);
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    root->addLayout(buttons);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    // Help for the window itself wherever the pointer is over no caption.
    setMouseTracking(true);
}

char frmLogicalDrive::selected_letter() const {
    const QString entry = combo1_->currentText();
    return entry.size() >= 2 && entry[1] == ':' ? entry[0].toUpper().toLatin1() : 0;
}

void frmLogicalDrive::Timer1_Timer() {
    const char letter = selected_letter();
    // No drive to show (an empty list): the processor and memory figures still count.
    show_figures(MonitorFiguresOf(ReadMonitorSnapshot(letter ? letter : '?')));
}

void frmLogicalDrive::show_figures(const MonitorFigures& figures) {
    auto show = [](const std::array<MonitorFigure, kMonitorRows>& from,
                   const std::array<QLabel*, kMonitorRows>& to) {
        for (size_t i = 0; i < from.size(); ++i) {
            to[i]->setText(QString::fromStdString(from[i].text));
            // Set on every tick, both ways: a value that recovers turns navy again.
            to[i]->setStyleSheet(colour_style(from[i].colour()));
        }
    };
    show(figures.left, left_val_);
    show(figures.right, right_val_);
}

void frmLogicalDrive::show_help(QWidget* under_pointer) {
    for (int i = 0; i < kMonitorRows; ++i) {
        if (under_pointer == left_cap_[static_cast<size_t>(i)])
            return text1_->setText(text_of(kMonitorLeft[static_cast<size_t>(i)].help));
        if (under_pointer == right_cap_[static_cast<size_t>(i)])
            return text1_->setText(text_of(kMonitorRight[static_cast<size_t>(i)].help));
    }
    if (under_pointer == nullptr || under_pointer == this) text1_->setText(text_of(kMonitorHelp));
}

bool frmLogicalDrive::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
        if (auto* w = qobject_cast<QWidget*>(watched)) show_help(w);
    return QDialog::eventFilter(watched, event);
}

void frmLogicalDrive::mouseMoveEvent(QMouseEvent* event) {
    QWidget* child = childAt(event->position().toPoint());
    show_help(child ? child : this);
    QDialog::mouseMoveEvent(event);
}

void frmLogicalDrive::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loaded_ && !timer1_->isActive()) {
        Timer1_Timer();
        timer1_->start();
    }
}

void frmLogicalDrive::done(int result) {
    unload();
    QDialog::done(result);
}

void frmLogicalDrive::unload() {
    if (!loaded_) return;
    loaded_ = false;
    timer1_->stop();
    app().busy = false;
}

}  // namespace bw
