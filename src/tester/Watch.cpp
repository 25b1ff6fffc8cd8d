#include "tester/Watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/private_profile.h"

namespace bw::tester {

namespace fs = std::filesystem;

volatile sig_atomic_t g_stop_signal = 0;

namespace {

void on_stop_signal(int sig) {
    g_stop_signal = sig;
}

bool alive(int pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

int open_pidfd(int pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace

void install_stop_signals() {
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a wait returns at once
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

Watch::Watch(const fs::path& working_folder)
    : folder_(working_folder),
      ini_(working_folder / keys::kSettingsFileName),
      parent_pid_(::getppid()) {
    inotify_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (inotify_.ok() &&
        ::inotify_add_watch(inotify_.get(), folder_.c_str(),
                            IN_MOVED_TO | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE) < 0)
        inotify_.reset();
    if (parent_pid_ <= 1) parent_pid_ = 0;
    reread();
}

void Watch::watch_program(int pid_from_key) {
    key_pid_ = pid_from_key;
    // The program names itself in the working file; a tester started by hand (or before the
    // program wrote its id) follows the process that started it.
    int pid = alive(pid_from_key) ? pid_from_key : (alive(parent_pid_) ? parent_pid_ : 0);
    if (pid == watched_pid_ && (pidfd_.ok() || pid == 0)) return;
    pidfd_.reset();
    watched_pid_ = pid;
    if (pid == 0) {
        program_gone_ = pid_from_key > 0 || parent_pid_ > 0;
        return;
    }
    pidfd_.reset(open_pidfd(pid));
    program_gone_ = !alive(pid);
}

void Watch::reread() {
    run_status_ = profile::get_string(ini_, keys::kSettings, keys::kRunStatus);
    int key_pid =
        static_cast<int>(ValInt(profile::get_string(ini_, keys::kSettings, keys::kProgramPid)));
    if (key_pid != key_pid_ || watched_pid_ == 0) watch_program(key_pid);
}

void Watch::update(int timeout_ms) {
    pollfd fds[2] = {{inotify_.get(), POLLIN, 0}, {pidfd_.get(), POLLIN, 0}};
    int rc = ::poll(fds, 2, timeout_ms);
    bool file_changed = !inotify_.ok();
    if (rc > 0 && (fds[0].revents & POLLIN)) {
        alignas(inotify_event) char buf[4096];
        ssize_t n;
        while ((n = ::read(inotify_.get(), buf, sizeof buf)) > 0) {
            for (char* p = buf; p < buf + n;) {
                auto* ev = reinterpret_cast<inotify_event*>(p);
                if (ev->len && ev->name == keys::kSettingsFileName) file_changed = true;
                p += sizeof(inotify_event) + ev->len;
            }
        }
    }
    if (rc > 0 && (fds[1].revents & (POLLIN | POLLHUP))) program_gone_ = true;
    if (file_changed) {
        changed_ = true;
        reread();
    }
    // Without a pidfd the program is looked for once a second.
    if (!pidfd_.ok() && watched_pid_ > 0) {
        std::int64_t now = monotonic_ms();
        if (now >= next_liveness_check_) {
            next_liveness_check_ = now + 1000;
            if (!alive(watched_pid_)) program_gone_ = true;
        }
    }
}

void Watch::wait(int timeout_ms) {
    // Without inotify the file is read again at least every 200 ms.
    if (!inotify_.ok() && timeout_ms > 200) timeout_ms = 200;
    update(timeout_ms);
}

Stop Watch::check() {
    update(0);
    return state();
}

Stop Watch::state() const {
    if (g_stop_signal || program_gone_ || run_status_ == "2") return Stop::Exit;
    if (run_status_ == "1") return Stop::Cancel;
    return Stop::None;
}

bool Watch::take_change() {
    bool c = changed_ || !inotify_.ok();
    changed_ = false;
    return c;
}

}  // namespace bw::tester
