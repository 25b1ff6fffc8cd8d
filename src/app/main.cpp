// The desktop program. It reads no arguments.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>

#include "app/ProgramUi.h"
#include "core/Splash.h"
#include "core/Startup.h"
#include "core/modGeneral.h"
#include "core/ui/FrmMain.h"
#include "core/ui/Loading.h"
#include "core/ui/QtClock.h"
#include "core/ui/QtPrompt.h"
#include "platform/ThisProcess.h"
#include "results/TestEnd.h"

namespace {

// SIGTERM, SIGINT and SIGHUP close the main window, so the exit is as clean as a click on "Done":
// the testers are stopped and the options saved. During the load the options are not restored yet
// and a start-up question may be open: an unload then would save options it never read, so a
// signal in that time stops the testers and ends the program at once, saving nothing.
class StopOnSignals {
public:
    explicit StopOnSignals(QWidget* window) {
        const int fd = bw::this_process::stop_signal_fd();
        if (fd < 0) return;
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, window);
        QObject::connect(notifier, &QSocketNotifier::activated, window, [this, window, fd] {
            bw::this_process::take_stop_signal(fd);
            if (loaded_) {
                window->close();
                return;
            }
            std::fprintf(stderr, "brantwell: stopped during start-up; nothing saved\n");
            bw::StopTesters();
            std::_Exit(1);
        });
    }
    void load_done() { loaded_ = true; }

private:
    bool loaded_ = false;
};

bool display_available() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* v = std::getenv(name); v && *v) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Entry procedure: what the program needs must be there before anything else runs.
    const bool display = display_available();
    auto missing = bw::missing_requirements(bw::Sysroot("/"), display);
    if (!missing.empty()) {
        const std::string text = bw::missing_requirements_message(missing);
        std::fprintf(stderr, "brantwell: %s\n", text.c_str());
        if (display) {
            QApplication qapp(argc, argv);
            QMessageBox::critical(nullptr, "Brantwell", QString::fromStdString(text));
        }
        return 1;
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Brantwell");
    // The desktop's own icon theme first (an installed copy), else the one built in.
    QApplication::setWindowIcon(QIcon::fromTheme("brantwell", QIcon(":/brantwell.png")));
    QGuiApplication::setDesktopFileName("brantwell");
    bw::QtPrompt prompt;
    bw::set_prompt(&prompt);
    bw::QtClock clock;
    bw::set_clock(&clock);
    bw::UiRegistry& ui = bw::ui_registry();
    bw::register_program_ui(ui);
    bw::results::keep_test_history();  // every finished main test joins its drive's history

    const bw::StartSteps steps = bw::program_steps();
    // What this version lacks is said once at every start, besides the About window.
    for (const auto& line : bw::not_available_lines(steps))
        std::fprintf(stderr, "brantwell: %s\n", line.c_str());
    bw::Loading splash;
    bw::set_splash(&splash);
    std::string error;
    switch (bw::LoadingLoad(steps, &error)) {
        case bw::LoadingResult::SecondInstance: return 0;
        case bw::LoadingResult::NoFolders:
            bw::MsgBox(error, bw::PromptIcon::Critical);
            return 1;
        case bw::LoadingResult::ShowMain: break;
    }

    bw::MainWindowState state;
    bw::FrmMain main_window(steps, ui, state);
    StopOnSignals stop_on_signals(&main_window);
    bw::FrmMainLoad(steps, state);
    stop_on_signals.load_done();
    bw::set_splash(nullptr);
    splash.hide();
    main_window.show_state();
    main_window.show();
    main_window.start_display();
    return qapp.exec();
}
