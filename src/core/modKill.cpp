#include "core/modKill.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/Processes.h"
#include "platform/clock.h"

namespace bw {

namespace {

std::string trimmed_upper(std::string_view s) {
    auto b = s.find_first_not_of(" \t");
    auto e = s.find_last_not_of(" \t");
    std::string out = b == std::string_view::npos ? "" : std::string(s.substr(b, e - b + 1));
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool matches(pid_t pid, const std::string& want, const std::filesystem::path& folder) {
    const std::filesystem::path exe = proc::image_path(pid);
    if (trimmed_upper(exe.filename().string()) != want) return false;
    return folder.empty() || exe.parent_path() == folder.lexically_normal();
}

}  // namespace

pid_t GetProcessIdByName(std::string_view exe_name, const std::filesystem::path& folder) {
    const std::string want = trimmed_upper(exe_name);
    if (want.empty()) return 0;
    proc::reap_children();
    for (pid_t pid : proc::list_pids())
        if (matches(pid, want, folder)) return pid;
    return 0;
}

WindowHandle FindProcessWindow(std::string_view exe_name, const std::filesystem::path& folder) {
    return GetProcessIdByName(exe_name, folder);
}

void KillWindowProcess(WindowHandle window) {
    if (window > 0) proc::send_signal(window, SIGKILL);
    proc::reap_children();
}

bool CloseWindowProcess(WindowHandle window, int wait_ms) {
    if (window <= 0 || !proc::send_signal(window, SIGTERM)) return false;
    constexpr int kStepMs = 10;
    for (int waited = 0; waited < wait_ms; waited += kStepMs) {
        proc::reap_children();
        if (!proc::alive(window)) return true;
        // A real process is waited for in real time, whatever clock the program runs on.
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
        clock().do_events();
    }
    return !proc::alive(window);
}

void ForceStopByName(std::string_view exe_name, const std::filesystem::path& folder) {
    const std::string want = trimmed_upper(exe_name);
    for (pid_t pid : proc::list_pids())
        if (matches(pid, want, folder)) proc::send_signal(pid, SIGKILL);
    proc::reap_children();
}

}  // namespace bw
