#include "tools/ui/frmChkDSK.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

#include "core/AppState.h"
#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "drives/DosApp.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "tools/ChkDskTexts.h"
#include "tools/ChkDskVolume.h"

namespace bw {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

// The progress bar's colours: a green bar on a dark trough.
constexpr const char* kProgressStyle =
    "QProgressBar { background: #202020; color: white; border: 1px solid #606060; "
    "text-align: center; } QProgressBar::chunk { background: #00A000; }";

}  // namespace

frmChkDSK::frmChkDSK(const std::vector<std::string>& drive_list, ChkDskMachine& machine,
                     QWidget* parent)
    : QDialog(parent),
      machine_(machine),
      label1_(new QLabel(qs(kSelectDrive), this)),
      cbo_drives_(new QComboBox(this)),
      command1_(new QPushButton(qs(kScanDiskNow), this)),
      command2_(new QPushButton(qs(kExitCaption), this)),
      txt_output_(new QTextEdit(this)),
      pbr_scan_(new QProgressBar(this)) {
    setObjectName("frmChkDSK");
    setWindowTitle(qs(kChkDskTitle));
    label1_->setObjectName("Label1");
    cbo_drives_->setObjectName("cboDrives");
    command1_->setObjectName("Command1");
    command2_->setObjectName("Command2");
    txt_output_->setObjectName("txtOutput");
    txt_output_->setReadOnly(true);
    QFont mono("monospace");
    mono.setStyleHint(QFont::Monospace);
    txt_output_->setFont(mono);
    pbr_scan_->setObjectName("pbrScan");
    pbr_scan_->setRange(0, 100);
    pbr_scan_->setValue(0);
    pbr_scan_->setStyleSheet(kProgressStyle);

    auto* options = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        chk_options_[i] = new QCheckBox(qs(kChkOptionCaptions[i]), this);
        chk_options_[i]->setObjectName(QString("chkOptions(%1)").arg(i));
        options->addWidget(chk_options_[i], i / 2, i % 2);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(label1_);
    top->addWidget(cbo_drives_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command1_);
    buttons->addStretch(1);
    buttons->addWidget(command2_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(options);
    layout->addWidget(txt_output_, 1);
    layout->addWidget(pbr_scan_);
    layout->addLayout(buttons);
    resize(640, 480);

    // Form_Load: the drive roots of the main window's list, the first one chosen.
    for (const auto& entry : drive_list)
        if (entry.size() >= 2) cbo_drives_->addItem(qs(entry.substr(0, 2) + "\\"));
    connect(cbo_drives_, &QComboBox::currentIndexChanged, this, [this] { cboDrives_Click(); });
    if (cbo_drives_->count() > 0) cbo_drives_->setCurrentIndex(0);
    connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void frmChkDSK::cboDrives_Click() {
    // The drive report of the system information, shown when the pointer rests on the list.
    const std::string root = cbo_drives_->currentText().toStdString();
    if (root.empty()) return;
    cbo_drives_->setToolTip(qs(DriveCInfo(root[0], machine_.query, machine_.map)));
}

void frmChkDSK::append(const std::string& text) {
    QString piece = qs(text);
    piece.replace("\r\n", "\n");
    QTextCursor end = txt_output_->textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(piece);
    txt_output_->setTextCursor(end);
    txt_output_->ensureCursorVisible();
}

void frmChkDSK::Command1_Click() {
    if (checking_) return;
    const std::string drive = cbo_drives_->currentText().toStdString();
    if (drive.size() < 2) return;
    const bool enhanced = chk_options_[3]->isChecked();
    if (enhanced &&
        !prompt().yes_no(kEnhancedScanQuestion, kEnhancedScanTitle, PromptIcon::Question))
        return;
    cancel_ = false;
    checking_ = true;
    command2_->setText(qs(kCancelCaption));
    txt_output_->setPlainText(qs(std::string(kCheckingState) + drive.substr(0, 2) + "\n"));
    Pause(500);
    const char letter = drive[0];
    CheckDirty(letter, machine_.query, machine_.map);
    append(DirtyCheckLines(letter, LastDirtyCheck()));
    if (DirtyFlag()) MsgBox(std::string(1, letter) + std::string(kMarkedDirty));
    Pause(500);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    txt_output_->clear();
    pbr_scan_->setValue(0);
    command1_->setEnabled(false);

    const ChkDskOptions options{chk_options_[0]->isChecked(), chk_options_[1]->isChecked(),
                                chk_options_[2]->isChecked(), enhanced};
    last_ = Chkdsk(drive, options, *this, machine_);
    if (!last_.started) {
        // Another check holds the checker; this window's state goes back to idle.
        bool error = true;
        Done(error);
        return;
    }
    const std::string_view verdict =
        VerdictText(txt_output_->toPlainText().toStdString(), options.repair, last_);
    if (!verdict.empty()) append(std::string(verdict) + "\n");
}

void frmChkDSK::Command2_Click() {
    if (command2_->text() == qs(kCancelCaption))
        cancel_ = true;
    else
        close();
}

void frmChkDSK::Done(bool&) {
    QApplication::restoreOverrideCursor();
    command2_->setText(qs(kExitCaption));
    command1_->setEnabled(true);
    pbr_scan_->setValue(0);
    if (!txt_output_->toPlainText().endsWith('\n') && !txt_output_->toPlainText().isEmpty())
        append("\n");
    append(std::string(DoneText(cancel_)) + "\n");
    checking_ = false;
}

void frmChkDSK::Progress(std::int32_t lNewValue, bool& bCancel) {
    pbr_scan_->setValue(lNewValue);
    clock().do_events();
    bCancel = cancel_;
}

void frmChkDSK::Status(std::string sValue, bool& bCancel) {
    append(sValue);
    clock().do_events();
    bCancel = cancel_;
}

void frmChkDSK::closeEvent(QCloseEvent* event) {
    if (checking_) {
        cancel_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmChkDSK::reject() {
    // Escape while checking is a cancel, not a close.
    if (checking_)
        cancel_ = true;
    else
        QDialog::reject();
}

void register_chkdsk_ui(UiRegistry& registry) {
    registry.add_action(kMnuScan, [](MenuContext& ctx) {
        // The tool-window flag the monitor also sets: the main window's display rests meanwhile.
        const bool was_busy = app().busy;
        app().busy = true;
        frmChkDSK window(ctx.state.options.DriveList, live_chkdsk_machine(), ctx.main_window);
        window.exec();
        app().busy = was_busy;
    });
}

}  // namespace bw
