#include "platform/CheckerHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/Processes.h"
#include "platform/SpawnAttr.h"
#include "platform/SystemQueryText.h"
#include "platform/UniqueFd.h"

extern char** environ;

namespace bw {

namespace fs = std::filesystem;

namespace {

// The checkers live in sbin folders, which a person's PATH often leaves out.
inline constexpr std::string_view kExtraProgramFolders[] = {"/usr/sbin", "/sbin"};
inline constexpr int kProgressFd = 3;
inline constexpr int kPollMs = 50;
inline constexpr size_t kReadBytes = 4096;

// A pipe end moved above the standard descriptors and 3, so the child's dup2 onto 1, 2 and 3
// never lands on an end it still needs.
UniqueFd high_fd(int fd) {
    UniqueFd moved(::fcntl(fd, F_DUPFD_CLOEXEC, 10));
    ::close(fd);
    return moved;
}

// Our environment with the checker's messages in plain English: the texts reach the window
// unchanged and the recorded outputs in the tests are what the checkers print.
std::vector<std::string> checker_environment() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view v(*e);
        if (v.starts_with("LC_ALL=") || v.starts_with("LANGUAGE=")) continue;
        env.emplace_back(v);
    }
    env.emplace_back("LC_ALL=C");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (auto& t : texts) out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

bool on_device(const std::string& path, dev_t dev) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_dev == dev;
}

class LiveCheckerHost : public CheckerHost {
  public:
    std::string find_program(std::string_view name) const override {
        if (name.empty() || name.find('/') != std::string_view::npos) return {};
        std::vector<std::string> folders;
        if (const char* path = std::getenv("PATH")) folders = text::split(path, ':');
        for (auto f : kExtraProgramFolders) folders.emplace_back(f);
        for (const auto& folder : folders) {
            const std::string candidate = folder + "/" + std::string(name);
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        return {};
    }

    CheckerExit run(const CheckerCommand& command, const CheckerEvents& events) override {
        CheckerExit exit;
        if (command.argv.empty()) {
            exit.error = "no program given";
            return exit;
        }
        int out[2], prog[2] = {-1, -1};
        if (::pipe2(out, O_CLOEXEC) != 0 ||
            (command.progress_on_fd3 && ::pipe2(prog, O_CLOEXEC) != 0)) {
            exit.error = std::string("cannot make a pipe: ") + std::strerror(errno);
            return exit;
        }
        UniqueFd out_read(out[0]), out_write = high_fd(out[1]);
        UniqueFd prog_read(prog[0]), prog_write = prog[1] >= 0 ? high_fd(prog[1]) : UniqueFd();

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out_write.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out_write.get(), STDERR_FILENO);
        if (prog_write.ok())
            posix_spawn_file_actions_adddup2(&actions, prog_write.get(), kProgressFd);
        // Nothing else of ours reaches the checker, not even a descriptor left inheritable.
        posix_spawn_file_actions_addclosefrom_np(&actions,
                                                 prog_write.ok() ? kProgressFd + 1 : kProgressFd);
        // Its own process group, so a cancel reaches what it starts (e2fsck -c runs badblocks).
        const OwnGroupSpawnAttr attr;
        std::vector<std::string> argv_text(command.argv), env_text = checker_environment();
        auto argv = pointers(argv_text);
        auto env = pointers(env_text);
        pid_t pid = -1;
        const int rc = ::posix_spawn(&pid, argv[0], &actions, attr.get(), argv.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            exit.error = "cannot start " + command.argv[0] + ": " + std::strerror(rc);
            return exit;
        }
        exit.started = true;
        out_write.reset();
        prog_write.reset();
        read_until_closed(pid, out_read, prog_read, events);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        exit.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        exit.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        return exit;
    }

    std::vector<VolumeUser> users_of(const std::string& mount_point) const override {
        std::vector<VolumeUser> users;
        struct stat mp {};
        if (mount_point.empty() || ::stat(mount_point.c_str(), &mp) != 0) return users;
        const dev_t dev = mp.st_dev;
        for (const pid_t pid : proc::list_pids()) {
            const std::string base = "/proc/" + std::to_string(pid);
            std::string what = held_by(base, dev);
            if (!what.empty()) users.push_back({pid, proc::image_name(pid), what});
        }
        return users;
    }

    std::string device_in_use(const std::string& device) const override {
        // O_EXCL on a block device fails with EBUSY while any mount, in any namespace, holds it.
        UniqueFd fd(::open(device.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC));
        if (fd.ok()) return {};
        return errno == EBUSY
                   ? device + " is still in use (mounted elsewhere or held by the system)"
                   : device + ": " + std::strerror(errno);
    }

  private:
    static void read_until_closed(pid_t pid, UniqueFd& out, UniqueFd& prog,
                                  const CheckerEvents& events) {
        std::vector<char> buf(kReadBytes);
        CheckerStop sent = CheckerStop::None;
        while (out.ok() || prog.ok()) {
            pollfd fds[2] = {{out.get(), POLLIN, 0}, {prog.get(), POLLIN, 0}};
            const int ready = ::poll(fds, 2, kPollMs);
            if (ready < 0 && errno != EINTR) break;
            UniqueFd* ends[2] = {&out, &prog};
            const std::function<void(std::string_view)>* sinks[2] = {&events.output,
                                                                     &events.progress};
            for (int i = 0; i < 2 && ready > 0; ++i) {
                if (!ends[i]->ok() || fds[i].revents == 0) continue;
                const ssize_t n = ::read(ends[i]->get(), buf.data(), buf.size());
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    ends[i]->reset();
                    continue;
                }
                if (*sinks[i]) (*sinks[i])(std::string_view(buf.data(), static_cast<size_t>(n)));
            }
            const CheckerStop want = events.poll ? events.poll() : CheckerStop::None;
            // Each stop is sent once; a kill after an interrupt still goes out.
            if (want != CheckerStop::None && want != sent && sent != CheckerStop::Kill) {
                ::kill(-pid, want == CheckerStop::Kill ? SIGKILL : SIGINT);
                sent = want;
            }
        }
    }

    // What of process `base` (/proc/PID) lies on device `dev`; "" for nothing.
    static std::string held_by(const std::string& base, dev_t dev) {
        struct Link {
            std::string_view entry, what;
        };
        static constexpr Link kLinks[] = {
            {"cwd", "current folder"}, {"root", "root folder"}, {"exe", "executable"}};
        for (const auto& link : kLinks)
            if (on_device(base + "/" + std::string(link.entry), dev)) return std::string(link.what);
        std::error_code ec;
        for (fs::directory_iterator it(base + "/fd", ec), end; !ec && it != end; it.increment(ec)) {
            if (!on_device(it->path().string(), dev)) continue;
            std::error_code lc;
            return "open file " + fs::read_symlink(it->path(), lc).string();
        }
        // Mapped files: "addr perms offset MAJ:MIN inode path".
        std::ifstream maps(base + "/maps");
        for (std::string line; std::getline(maps, line);) {
            const auto fields = text::split(line, ' ');
            if (fields.size() < 6) continue;
            unsigned maj = 0, mnr = 0;
            if (std::sscanf(fields[3].c_str(), "%x:%x", &maj, &mnr) != 2) continue;
            if (makedev(maj, mnr) == dev && fields[4] != "0") return "mapped file " + fields[5];
        }
        return {};
    }
};

}  // namespace

CheckerHost& live_checker_host() {
    static LiveCheckerHost host;
    return host;
}

}  // namespace bw
