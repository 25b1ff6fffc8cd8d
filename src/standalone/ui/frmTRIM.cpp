#include "standalone/ui/frmTRIM.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "standalone/TrimRecord.h"

namespace bw {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

frmTRIM::frmTRIM(const TrimTarget& target, std::unique_ptr<TrimVolume> volume,
                 std::filesystem::path prefs, std::filesystem::path working_folder,
                 QWidget* parent)
    : QDialog(parent),
      volume_(std::move(volume)),
      label1_(new QLabel(this)),
      label2_(new QLabel(this)),
      switch_note_(new QLabel(this)),
      notes_(new QPlainTextEdit(this)),
      check1_(new QCheckBox("Include the Re-Write Test", this)),
      check2_(new QCheckBox("Include a 2nd TRIM OFF Test", this)),
      command1_(new QPushButton("Start", this)),
      command2_(new QPushButton("Close", this)) {
    setObjectName("frmTRIM");
    setWindowTitle("TRIM Test");
    label1_->setObjectName("Label1");
    label2_->setObjectName("Label2");
    switch_note_->setObjectName("SwitchNote");
    switch_note_->setWordWrap(true);
    // Room for the note's two or three lines before its text is known.
    switch_note_->setMinimumHeight(3 * switch_note_->fontMetrics().lineSpacing());
    notes_->setObjectName("Notes");
    notes_->setReadOnly(true);
    notes_->setMaximumHeight(110);
    check1_->setObjectName("Check1");
    check2_->setObjectName("Check2");
    command1_->setObjectName("Command1");
    command2_->setObjectName("Command2");
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    layout->addWidget(label2_);
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        lines_[i] = new QLabel(this);
        lines_[i]->setObjectName(QString("TrimTest%1").arg(i));
        if (i != 5) layout->addWidget(lines_[i]);  // 5 is not used
    }
    lines_[kTrimVerdictLine]->setFont(bold);
    lines_[kTrimVerdictLine]->setWordWrap(true);
    layout->addWidget(switch_note_);
    layout->addWidget(notes_);
    layout->addStretch(1);
    layout->addWidget(check1_);
    layout->addWidget(check2_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    layout->addLayout(buttons);
    resize(600, 500);

    if (!volume_) {
        label1_->setText(q(target.reason.empty() ? std::string("No volume to test")
                                                 : target.reason));
        command1_->setEnabled(false);
        check1_->setEnabled(false);
        check2_->setEnabled(false);
    } else {
        test_ = std::make_unique<bw::TrimTest>(target.letter, *volume_, std::move(prefs),
                                               working_folder,
                                               [this](const TrimScreen& s) { show_screen(s); });
        test_->restore_leftover = [] { return RestoreTrimOnThisMachine(); };
        check1_->setChecked(test_->options.Check1);
        check2_->setChecked(test_->options.Check2);
    }
    // Released boxes measure the estimate again with the runs they include.
    const auto re_estimate = [this] {
        if (!test_ || !test_->screen().buttons_enabled) return;
        test_->options = {check1_->isChecked(), check2_->isChecked()};
        test_->PreTEST();
    };
    connect(check1_, &QCheckBox::clicked, this, re_estimate);
    connect(check2_, &QCheckBox::clicked, this, re_estimate);
    connect(command1_, &QPushButton::clicked, this, [this] { run(); });
    connect(command2_, &QPushButton::clicked, this, [this] { accept(); });
}

frmTRIM::~frmTRIM() = default;

void frmTRIM::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loaded_ || !test_) return;
    loaded_ = true;
    QTimer::singleShot(0, this, [this] { test_->Load(); });
}

void frmTRIM::run() {
    if (!test_) return;
    test_->options = {check1_->isChecked(), check2_->isChecked()};
    test_->Command1();
}

// While the phases run the window stays: closing it would leave the switch and the file to the
// next start.
void frmTRIM::closeEvent(QCloseEvent* event) {
    if (test_ && !test_->screen().buttons_enabled) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmTRIM::reject() {
    if (test_ && !test_->screen().buttons_enabled) return;
    QDialog::reject();
}

void frmTRIM::show_screen(const TrimScreen& s) {
    label1_->setText(q(s.Label1));
    label2_->setText(q(s.Label2).replace("\r\n", "\n").trimmed());
    label2_->setVisible(s.Label2_visible);
    for (std::size_t i = 0; i < lines_.size(); ++i) lines_[i]->setText(q(s.TrimTest[i]));
    switch_note_->setText(q(s.switch_note));
    std::string notes;
    for (const auto& n : s.notes) notes += n + "\n";
    if (notes_->toPlainText() != q(notes)) notes_->setPlainText(q(notes));
    command1_->setEnabled(s.buttons_enabled);
    command2_->setEnabled(s.buttons_enabled);
    check1_->setEnabled(s.buttons_enabled);
    check2_->setEnabled(s.buttons_enabled);
}

}  // namespace bw
