#include "results/ui/frmOverall.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "core/ui/frmSave.h"
#include "platform/TextFiles.h"
#include "platform/prompt.h"
#include "results/OverallReport.h"
#include "results/ui/frmPrint.h"

namespace bw {

namespace {

// The save window names its file after a drive entry; the overall report covers all drives.
inline constexpr const char* kSaveEntry = "O: Overall";

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

frmOverall::frmOverall(const std::filesystem::path& program_folder, QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmOverall");
    setWindowTitle("Overall Results of All Drives");
    const results::OverallReport report = results::read_overall(program_folder);
    has_report_ = report.has_report;
    text_ = report.text;

    auto* layout = new QVBoxLayout(this);
    auto* find_row = new QHBoxLayout;
    find_row->addWidget(new QLabel("Find:", this));
    txtFind_ = new QLineEdit(this);
    txtFind_->setObjectName("txtFind");
    txtFind_->setClearButtonEnabled(true);
    find_row->addWidget(txtFind_, 1);
    auto* next = button("Next", "cmdFindNext", this);
    auto* previous = button("Previous", "cmdFindPrevious", this);
    find_row->addWidget(next);
    find_row->addWidget(previous);
    lblFind_ = new QLabel(this);
    lblFind_->setObjectName("lblFind");
    lblFind_->setMinimumWidth(90);
    find_row->addWidget(lblFind_);
    layout->addLayout(find_row);

    txtOutput_ = new QPlainTextEdit(this);
    txtOutput_->setObjectName("txtOutput");
    txtOutput_->setReadOnly(true);
    txtOutput_->setLineWrapMode(QPlainTextEdit::NoWrap);  // the report's columns stay columns
    txtOutput_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtOutput_->setPlainText(
        QString::fromUtf8(report.text.data(), static_cast<int>(report.text.size())));
    layout->addWidget(txtOutput_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* save = button("Save...", "mnuSave", this);
    auto* print = button("Print / PDF...", "mnuPrint", this);
    auto* close = button("Close", "Command1", this);
    for (QPushButton* b : {save, print}) {
        b->setEnabled(has_report_);
        if (!has_report_) b->setToolTip("There is no report to keep.");
    }
    for (QPushButton* b : {save, print, close}) buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(txtFind_, &QLineEdit::returnPressed, this, [this] { find(); });
    connect(next, &QPushButton::clicked, this, [this] { find(); });
    connect(previous, &QPushButton::clicked, this, [this] { find(true); });
    connect(save, &QPushButton::clicked, this, [this] { mnuSave(); });
    connect(print, &QPushButton::clicked, this, [this] { mnuPrint(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(900, 640);
}

void frmOverall::Show(const std::filesystem::path& program_folder, QWidget* parent) {
    frmOverall window(program_folder, parent);
    window.exec();
}

bool frmOverall::find(bool backward) {
    const QString what = txtFind_->text();
    lblFind_->clear();
    if (what.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (txtOutput_->find(what, flags)) return true;
    // Go round: from the other end once more.
    const QTextCursor at = txtOutput_->textCursor();
    txtOutput_->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
    if (txtOutput_->find(what, flags)) {
        lblFind_->setText("Wrapped");
        return true;
    }
    txtOutput_->setTextCursor(at);
    lblFind_->setText("Not found");
    return false;
}

void frmOverall::mnuSave() {
    if (!has_report_) return;
    const std::string chosen = frmSave::Ask(kSaveEntry, this);
    if (chosen.empty()) return;
    std::string error;
    if (!text_files::replace(chosen, text_, &error))
        MsgBox("The report was not saved: " + error, PromptIcon::Exclamation);
}

void frmOverall::mnuPrint() {
    if (!has_report_) return;
    PrintContent content;
    content.title = "Overall Results of All Drives";
    content.text = text_;
    content.drive_entry = kSaveEntry;
    frmPrint::Show(std::move(content), this);
}

}  // namespace bw
