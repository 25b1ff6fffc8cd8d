// The desktop program. It reads no arguments.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>

#include "app/ProgramUi.h"
#include "core/Splash.h"
#include "core/Startup.h"
#include "core/ui/FrmMain.h"
#include "core/ui/Loading.h"
#include "core/ui/QtClock.h"
#include "core/ui/QtPrompt.h"

namespace {

int g_signal_pipe[2] = {-1, -1};

void on_stop_signal(int) {
    char c = 1;
    [[maybe_unused]] auto n = ::write(g_signal_pipe[1], &c, 1);
}

// SIGTERM, SIGINT and SIGHUP close the main window, so the exit is as clean as a click on "Done":
// the testers are stopped and the options saved.
void close_on_signals(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_pipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char c;
        [[maybe_unused]] auto n = ::read(g_signal_pipe[0], &c, 1);
        window->close();
    });
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
}

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
    bw::QtPrompt prompt;
    bw::set_prompt(&prompt);
    bw::QtClock clock;
    bw::set_clock(&clock);
    bw::UiRegistry& ui = bw::ui_registry();
    bw::register_program_ui(ui);

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
    close_on_signals(&main_window);
    bw::FrmMainLoad(steps, state);
    bw::set_splash(nullptr);
    splash.hide();
    main_window.show_state();
    main_window.show();
    main_window.start_display();
    return qapp.exec();
}
