#pragma once

#include <QDialog>

#include <array>
#include <string>
#include <vector>

#include "tools/Tweaks.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace bw {

// The tweaks window: the page's rows as check boxes and its two lists, each beside the
// recommendation for the machine's drive mix and what the machine has now (or, after a save or
// restore, what was done and what was refused). `InfoBOX` shows the help of whatever the mouse is
// over.
class frmTweaks : public QDialog {
    Q_OBJECT
  public:
    frmTweaks(const std::vector<std::string>& drive_list, TweakMachine machine,
              QWidget* parent = nullptr);

    QCheckBox* OptionT(int index) const { return option_t_[index]; }
    QLabel* Recmd(int index) const { return recmd_[index]; }
    QLabel* State(int index) const { return state_[index]; }   // what the row has, or what was done
    QComboBox* Combo(int list) const { return combo_[list]; }  // 0: `Combo1`, 1: `Combo2`
    QLabel* ListState(int list) const { return list_state_[list]; }
    QLabel* Label2() const { return label2_; }
    QLabel* InfoBOX() const { return info_box_; }
    QPushButton* Command1() const { return command1_; }  // "Save"
    QPushButton* Command2() const { return command2_; }  // "Cancel"
    QPushButton* Restore() const { return restore_; }

    void Command1_Click();
    void Restore_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Load();
    void show_states();
    void help_on(QWidget* w, std::string_view help);

    TweaksPage page_;
    DriveMix mix_;
    std::array<QCheckBox*, kTweakRowCount> option_t_{};
    std::array<QLabel*, kTweakRowCount> recmd_{};
    std::array<QLabel*, kTweakRowCount> state_{};
    std::array<QComboBox*, kTweakListCount> combo_{};
    std::array<QLabel*, kTweakListCount> list_recmd_{};
    std::array<QLabel*, kTweakListCount> list_state_{};
    QLabel* label2_;
    QLabel* info_box_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* restore_;
};

}  // namespace bw
