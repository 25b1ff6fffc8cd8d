#include "platform/Processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <system_error>

#include "platform/HeldFolder.h"
#include "platform/SpawnAttr.h"
#include "platform/UniqueFd.h"

extern char** environ;

namespace bw::proc {

namespace fs = std::filesystem;

namespace {
std::mutex g_children_mutex;
std::vector<pid_t> g_children;

void keep_child(pid_t pid) {
    std::lock_guard lock(g_children_mutex);
    g_children.push_back(pid);
}

// The child's side of spawn_at: only async-signal-safe calls between fork and exec. What fails is
// written to `report` as an errno; a successful exec closes it (O_CLOEXEC) with nothing written.
[[noreturn]] void exec_child(int dirfd, int exe, char* const* argv, int report) {
    int err = 0;
    sigset_t none;
    sigemptyset(&none);
    // Its own process group and default signal handling, as spawn() gives.
    for (int sig = 1; sig < NSIG; ++sig) ::signal(sig, SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setpgid(0, 0);
    const int null = ::open("/dev/null", O_RDONLY);
    if (null < 0 || ::dup2(null, STDIN_FILENO) < 0 || ::fchdir(dirfd) != 0) {
        err = errno;
    } else {
        ::fexecve(exe, argv, environ);
        err = errno;
    }
    while (::write(report, &err, sizeof err) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}
}  // namespace

std::vector<pid_t> list_pids() {
    std::vector<pid_t> pids;
    DIR* dir = ::opendir("/proc");
    if (!dir) return pids;
    while (const dirent* e = ::readdir(dir)) {
        char* end = nullptr;
        long v = std::strtol(e->d_name, &end, 10);
        if (end != e->d_name && *end == '\0' && v > 0) pids.push_back(static_cast<pid_t>(v));
    }
    ::closedir(dir);
    std::sort(pids.begin(), pids.end());
    return pids;
}

fs::path image_path(pid_t pid) {
    std::error_code ec;
    std::string exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
    if (ec) return {};
    // A replaced or deleted executable reads "path (deleted)"; it is still that program.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
    return exe;
}

std::string image_name(pid_t pid) { return image_path(pid).filename().string(); }

bool alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    auto close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size()) return false;
    char state = text[close + 2];
    return state != 'Z' && state != 'X';
}

bool send_signal(pid_t pid, int sig) { return pid > 0 && ::kill(pid, sig) == 0; }

pid_t spawn(const fs::path& exe, const std::vector<std::string>& args, const fs::path& cwd,
            std::string* error) {
    reap_children();
    std::vector<std::string> argv_text{exe.string()};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The child starts in the given folder; glibc 2.29+ has this action.
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    // Its own process group: a Ctrl-C meant for us does not reach the testers.
    const OwnGroupSpawnAttr attr;
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, exe.c_str(), &actions, attr.get(), argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (error) *error = "cannot start " + exe.string() + ": " + std::strerror(rc);
        return -1;
    }
    keep_child(pid);
    return pid;
}

pid_t spawn_at(int dirfd, const fs::path& folder, std::string_view name,
               const std::vector<std::string>& args, std::string* error) {
    reap_children();
    const fs::path shown = folder / name;
    auto fail = [&](const std::string& why) {
        if (error) *error = "cannot start " + shown.string() + ": " + why;
        return pid_t{-1};
    };
    if (dirfd < 0) return fail("the folder " + folder.string() + " cannot be opened");
    UniqueFd exe(::openat(dirfd, std::string(name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!exe.ok() || ::fstat(exe.get(), &st) != 0)
        return fail(errno == ELOOP ? "it is a symlink" : std::strerror(errno));
    if (auto why = untrusted_file(st, shown); !why.empty()) return fail(why);

    std::vector<std::string> argv_text{shown.string()};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return fail(std::strerror(errno));
    UniqueFd report_in(fds[0]), report_out(fds[1]);
    const pid_t pid = ::fork();
    if (pid < 0) return fail(std::strerror(errno));
    if (pid == 0) exec_child(dirfd, exe.get(), argv.data(), report_out.get());
    report_out.reset();
    int err = 0;
    ssize_t n;
    while ((n = ::read(report_in.get(), &err, sizeof err)) < 0 && errno == EINTR) {
    }
    if (n > 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return fail(std::strerror(err));
    }
    keep_child(pid);
    return pid;
}

CapturedRun run_captured(const std::vector<std::string>& args, size_t chunk_bytes,
                         const std::function<void(std::string_view)>& on_chunk,
                         const std::function<void()>& on_idle) {
    CapturedRun result;
    if (args.empty()) return result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.start = CapturedRun::Start::PipeFailed;
        result.error = errno;
        return result;
    }
    UniqueFd read_end(fds[0]), write_end(fds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDERR_FILENO);
    std::vector<std::string> argv_text(args);
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return result;
    result.start = CapturedRun::Start::Ran;
    write_end.reset();  // only the child holds it now: the reads end when the child is done
    std::vector<char> buf(std::max<size_t>(chunk_bytes, 1));
    for (;;) {
        pollfd p{read_end.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready == 0) {
            if (on_idle) on_idle();
            continue;
        }
        if (ready < 0 && errno == EINTR) continue;
        const ssize_t n = ::read(read_end.get(), buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (on_chunk) on_chunk(std::string_view(buf.data(), static_cast<size_t>(n)));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

void reap_children() {
    std::lock_guard lock(g_children_mutex);
    std::erase_if(g_children, [](pid_t pid) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r == pid || (r < 0 && errno == ECHILD);
    });
}

}  // namespace bw::proc
