#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "tools/LogicalDrive.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace bw {

// The logical drive monitor: live figures of one drive and of the processors, always on top,
// refreshed once a second from the shared counter query. While it is open the program-wide busy
// flag is set (the main window's figures rest, as with the test window and the disk check).
class frmLogicalDrive : public QDialog {
    Q_OBJECT
  public:
    // `drive_list`: the main window's entries, in its order; the one equal to `current_entry` is
    // selected (else the first). `basic_test` runs when frmLabel is clicked.
    frmLogicalDrive(const std::vector<std::string>& drive_list, const std::string& current_entry,
                    std::function<void()> basic_test, QWidget* parent = nullptr);
    ~frmLogicalDrive() override;

    QComboBox* Combo1() const { return combo1_; }
    QLabel* LeftVal(int i) const { return left_val_[static_cast<size_t>(i)]; }
    QLabel* RightVal(int i) const { return right_val_[static_cast<size_t>(i)]; }
    QLabel* LeftCap(int i) const { return left_cap_[static_cast<size_t>(i)]; }
    QLabel* RightCap(int i) const { return right_cap_[static_cast<size_t>(i)]; }
    QLabel* Text1() const { return text1_; }
    QLabel* frmLabel() const { return frm_label_; }
    QTimer* Timer1() const { return timer1_; }
    // The letter whose figures are shown (first character of the selected entry; 0 for none).
    char selected_letter() const;

    // One tick: collect, read the selected drive's counters and show them.
    void Timer1_Timer();
    // Shows one tick's figures (the labels' texts and colours).
    void show_figures(const MonitorFigures& figures);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void build_controls();
    // Back to rest: timer stopped, busy flag cleared (once).
    void unload();
    void show_help(QWidget* under_pointer);

    std::function<void()> basic_test_;
    bool loaded_ = false;
    QComboBox* combo1_ = nullptr;
    std::array<QLabel*, kMonitorRows> left_val_{}, right_val_{}, left_cap_{}, right_cap_{};
    QLabel* text1_ = nullptr;
    QLabel* frm_label_ = nullptr;
    QPushButton* command1_ = nullptr;
    QTimer* timer1_ = nullptr;
};

}  // namespace bw
