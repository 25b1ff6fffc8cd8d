#pragma once

#include <QDialog>

#include "core/ui/UiRegistry.h"
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

inline constexpr std::string_view kFrmRepair = "frmRepair";

// Registers the repair window and makes the "Windows Error" question show it (modally, through
// the registry) for its repair.
void register_counters_ui(UiRegistry& registry);

}  // namespace bw
