#pragma once

// The windows and menu actions of every subsystem's ui, by name. Each <subsystem>/ui registers its
// own through a register_<subsystem>_ui function that the program calls (explicit calls: a
// self-registering object in a static library is dropped by the linker when nothing references
// its file). The main window enables a menu entry exactly when an action is registered for it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace bw {

struct MainWindowState;
class StartSteps;

// What the main window lets an action do to it while the action runs (a test watching the drive's
// activity blinks the status box; the monitor stops the main window's own ticking meanwhile).
struct MainWindowHooks {
    std::function<void()> pause_display;   // stops the periodic display
    std::function<void()> resume_display;  // starts it again
    std::function<void(bool)> show_status;  // shows or hides the `DStatus` box
    std::function<void()> show_state;       // shows the state after the action changed it
};

// What a menu action or a button works on.
struct MenuContext {
    QWidget* main_window;
    MainWindowState& state;
    const StartSteps& steps;
    const MainWindowHooks& hooks;
};
using MenuAction = std::function<void(MenuContext& ctx)>;
// Shows a window modally over `parent` (nullptr: no parent).
using WindowOpener = std::function<void(QWidget* parent)>;

class UiRegistry {
public:
    // A later registration under the same name replaces the earlier one.
    void add_action(std::string_view name, MenuAction action);
    void add_window(std::string_view name, WindowOpener opener);

    const MenuAction* action(std::string_view name) const;
    bool has_window(std::string_view name) const;
    // Shows the window; false when none of that name is registered.
    bool open_window(std::string_view name, QWidget* parent) const;

private:
    template <typename T>
    struct Named {
        std::string name;
        T value;
    };
    std::vector<Named<MenuAction>> actions_;
    std::vector<Named<WindowOpener>> windows_;
};

// The program's registry.
UiRegistry& ui_registry();

}  // namespace bw
