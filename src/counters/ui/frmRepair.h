#pragma once

#include <QDialog>

#include "counters/frmRepair.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace bw {

// The repair window: runs the repair as soon as it is shown and lists what it ran and found.
class frmRepair : public QDialog {
    Q_OBJECT
  public:
    explicit frmRepair(RepairActions actions = DefaultRepairActions(), QWidget* parent = nullptr);

    QLabel* Label1() const { return label1_; }
    QPlainTextEdit* DosBox() const { return dos_box_; }
    QListWidget* List1() const { return list1_; }
    const RepairLog& log() const { return log_; }

    // RepairME: runs once, when the window loads.
    void RepairME();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void show_log(const RepairLog& log);

    RepairActions actions_;
    RepairLog log_;
    bool ran_ = false;
    QLabel* label1_;
    QPlainTextEdit* dos_box_;
    QListWidget* list1_;
    QPushButton* close_;
};

// Makes the "Windows Error" question show this window (modally) for its repair.
void InstallRepairWindow();

}  // namespace bw
