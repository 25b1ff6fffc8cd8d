#pragma once

// The comparison window: the current run (slot 0) beside stored result lines the user picks from
// the peak list `HoldP` or the average list `HoldA` (`GStyle`), as bars on one scale. `Check1`
// keeps only lines of drives like the current one; its state is the preference "SortDrive", read
// at open and written at close.

#include <QDialog>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/ui/UiRegistry.h"
#include "results/CompareSlots.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QRadioButton;

namespace bw {

class frmCompare : public QDialog {
    Q_OBJECT
public:
    // Slot 0 and five compared lines: as many as stay readable side by side.
    static constexpr int kSlots = 6;

    frmCompare(std::vector<std::string> peak_lines, std::vector<std::string> average_lines,
               std::optional<results::CurrentRun> current, std::filesystem::path prefs,
               QWidget* parent = nullptr);

    void Check1_MouseUp();
    void GStyle_Click(int index);
    void Command1_Click();

    QListWidget* HoldP() const { return HoldP_; }
    QListWidget* HoldA() const { return HoldA_; }
    QCheckBox* Check1() const { return Check1_; }
    // What the slots showed at the last comparison (slot 0 first), for the tests and the bars.
    const std::vector<results::CompareSlot>& compared() const { return shown_; }

public slots:
    void done(int result) override;

private:
    struct SlotView {
        QLabel *SystemInfo, *PRead, *PWrite, *ReadVAL, *WriteVAL, *OverVAL;
        QProgressBar *BarRead, *BarWrite, *BarTotal;
    };
    void build();
    void fill_lists();
    void show_slot(int index, const results::CompareSlot* slot, double scale);
    const results::CurrentBlock* current_block() const;

    std::vector<std::string> peak_lines_, average_lines_;
    std::optional<results::CurrentRun> current_;
    std::filesystem::path prefs_;
    std::vector<results::CompareSlot> shown_;
    QLabel *Label1_ = nullptr, *Label3_ = nullptr;
    QCheckBox* Check1_ = nullptr;
    std::array<QRadioButton*, 2> GStyle_{};
    QListWidget *HoldP_ = nullptr, *HoldA_ = nullptr;
    QComboBox* cboBlock_ = nullptr;
    std::array<SlotView, kSlots> slot_views_{};
};

// frmCompare (opened by the test window's "Compare" with the finished test as slot 0) and the
// "Compare My Test" action.
void register_compare_ui(UiRegistry& registry);

}  // namespace bw
