#pragma once

#include <QDialog>

#include <array>
#include <string>
#include <vector>

#include "core/ui/UiRegistry.h"
#include "tools/modChkDsk.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;

namespace bw {

// The disk check window: pick a drive and the options, and watch the file system's checker work.
// The check runs inside Command1's handler; the window stays responsive because every callback
// lets the event loop run, and a press of Cancel is read at the next one.
class frmChkDSK : public QDialog, public IChkDskSink {
    Q_OBJECT
  public:
    // `drive_list`: the main window's drive entries ("D: 64 GB ...").
    frmChkDSK(const std::vector<std::string>& drive_list, ChkDskMachine& machine,
              QWidget* parent = nullptr);

    QComboBox* cboDrives() const { return cbo_drives_; }
    QCheckBox* chkOptions(int index) const { return chk_options_.at(index); }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QTextEdit* txtOutput() const { return txt_output_; }
    QProgressBar* pbrScan() const { return pbr_scan_; }
    bool checking() const { return checking_; }
    const ChkDskResult& last_result() const { return last_; }

    void Command1_Click();
    void Command2_Click();

    // IChkDskSink.
    void Done(bool& bError) override;
    void Progress(std::int32_t lNewValue, bool& bCancel) override;
    void Status(std::string sValue, bool& bCancel) override;

  protected:
    // While a check runs the window does not close: closing asks the check to stop instead.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void append(const std::string& text);
    void cboDrives_Click();

    ChkDskMachine& machine_;
    bool cancel_ = false;
    bool checking_ = false;
    ChkDskResult last_;
    QLabel* label1_;
    QComboBox* cbo_drives_;
    std::array<QCheckBox*, 4> chk_options_{};
    QPushButton* command1_;
    QPushButton* command2_;
    QTextEdit* txt_output_;
    QProgressBar* pbr_scan_;
};

inline constexpr std::string_view kFrmChkDSK = "frmChkDSK";

// Registers the window and the "Scan Disk/Repair" menu action that opens it.
void register_chkdsk_ui(UiRegistry& registry);

}  // namespace bw
