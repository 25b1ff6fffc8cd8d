#pragma once

#include <QMainWindow>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Startup.h"
#include "core/ui/UiRegistry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

namespace bw {

// The main window: the drive to test, the test options, live load figures, and the way to every
// other window. Its state lives in MainWindowState; the window shows it and writes the user's
// changes back. Its menus come from kMainMenu, each entry enabled when `ui` has an action for it.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    FrmMain(const StartSteps& steps, const UiRegistry& ui, MainWindowState& state,
            QWidget* parent = nullptr);

    // Shows the state (after the load, or after logic changed it).
    void show_state();
    // Copies the controls into the state.
    void read_state();
    // Starts the periodic display (once the load is done).
    void start_display();
    // One tick of it.
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    void build_menus();
    // Enables the button when an action is registered under `name`, with the reason otherwise.
    void bind_button(QPushButton* button, std::string_view name);
    // Runs the action registered under `name` over the current state.
    void run_action(std::string_view name);
    void on_box_released(QCheckBox* box);
    void on_drive_selected(int index);
    // Label7: the decoded specifications, else the memory figures; then the drive's Linux facts.
    void show_label7();
    QCheckBox* box(const char* name, const QString& caption, const QString& tip = {});
    // Each option box with the option it shows.
    std::vector<std::pair<QCheckBox*, OptionBox>> bound_boxes() const;

    const StartSteps& steps_;
    const UiRegistry& ui_;
    MainWindowState& state_;
    bool unloaded_ = false;

    QComboBox* DriveList_ = nullptr;
    QCheckBox *ChkRead_ = nullptr, *ChkWrite_ = nullptr, *ChkMulti_ = nullptr,
              *ChkMultiH_ = nullptr, *ChkMultiHS_ = nullptr, *BasicOnly_ = nullptr,
              *TestAllDrv_ = nullptr, *IgnoreME_ = nullptr;
    QRadioButton* TestType_[2] = {nullptr, nullptr};
    QListWidget* SelBlock_ = nullptr;
    QLabel *CPULabel_ = nullptr, *DQueue_ = nullptr, *DTransfer_ = nullptr, *Label3_ = nullptr,
           *Label4_ = nullptr, *Label5_ = nullptr, *Label7_ = nullptr, *Label10_ = nullptr,
           *DStatus_ = nullptr, *RootNote_ = nullptr;
    QString memory_text_;  // the last memory figures, shown while no specifications are
    QPushButton *Command1_ = nullptr, *Command2_ = nullptr, *Command3_ = nullptr;
    QTimer* Timer1_ = nullptr;
};

}  // namespace bw
