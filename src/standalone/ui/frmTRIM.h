#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "platform/TrimVolume.h"
#include "standalone/TrimSteps.h"
#include "standalone/TrimTest.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace bw {

// The TRIM test window: the estimate on load, the phases on Command1, the result lines as they
// come, and what happens to the volume's TRIM switch.
class frmTRIM : public QDialog {
    Q_OBJECT
  public:
    // `volume` null: the letter has no place for the test file (`target.reason` says why).
    frmTRIM(const TrimTarget& target, std::unique_ptr<TrimVolume> volume,
            std::filesystem::path prefs, std::filesystem::path working_folder,
            QWidget* parent = nullptr);
    ~frmTRIM() override;

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QLabel* TrimTest(int index) const { return lines_[index]; }
    QLabel* SwitchNote() const { return switch_note_; }
    QPlainTextEdit* Notes() const { return notes_; }
    QCheckBox* Check1() const { return check1_; }
    QCheckBox* Check2() const { return check2_; }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    bw::TrimTest* test() const { return test_.get(); }
    bool loaded() const { return loaded_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void show_screen(const TrimScreen& s);
    void run();

    std::unique_ptr<TrimVolume> volume_;
    std::unique_ptr<bw::TrimTest> test_;
    bool loaded_ = false;
    QLabel *label1_, *label2_, *switch_note_;
    std::array<QLabel*, 7> lines_{};
    QPlainTextEdit* notes_;
    QCheckBox *check1_, *check2_;
    QPushButton *command1_, *command2_;
};

}  // namespace bw
