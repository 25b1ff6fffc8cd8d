#pragma once

// Processes of the running system: list, name, signal, start. Only this file's implementation
// opens /proc/PID or starts programs.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bw::proc {

// Ids of all running processes, ascending.
std::vector<pid_t> list_pids();

// Image name: the basename of /proc/PID/exe (not comm, which is cut at 15 characters). "" when the
// process cannot be inspected (another user's, a zombie, gone).
std::string image_name(pid_t pid);

// Full path of the process's executable (without a " (deleted)" mark); empty when it cannot be
// inspected.
std::filesystem::path image_path(pid_t pid);

// True while the process exists and is not a zombie.
bool alive(pid_t pid);

// Sends a signal; false when the process is gone or not ours.
bool send_signal(pid_t pid, int sig);

// Starts `exe` with `args` in folder `cwd`, detached from our standard input. Returns the pid, or
// -1 with `error` set. The child is reaped by `reap_children` (or when it is waited for).
pid_t spawn(const std::filesystem::path& exe, const std::vector<std::string>& args,
            const std::filesystem::path& cwd, std::string* error);

// Starts the program `name` of the folder held by `dirfd` (shown as `folder` in messages) with
// `args`, in that folder, detached from our standard input, like spawn(). The program is opened
// relative to the descriptor, checked (a regular file of ours that nobody else can write) and
// started from the open file itself, so a folder renamed or swapped after its check runs nothing
// but what was checked. Returns the pid, or -1 with `error` set.
pid_t spawn_at(int dirfd, const std::filesystem::path& folder, std::string_view name,
               const std::vector<std::string>& args, std::string* error);

// How a captured command went. `start` tells whether it ran at all; `error` is the errno of a pipe
// that could not be made; `exit_status` is -1 when it did not run or was ended by a signal.
struct CapturedRun {
    enum class Start { Ran, PipeFailed, NotFound } start = Start::NotFound;
    int error = 0;
    int exit_status = -1;
};

// Runs `argv` (argv[0] looked up in PATH) with standard input from /dev/null and standard output
// and error on one pipe, and waits for it. What it prints goes to `on_chunk` in pieces of at most
// `chunk_bytes`, in order, as they arrive; while nothing arrives `on_idle` is called every 50 ms
// so a window stays alive during a long command.
CapturedRun run_captured(const std::vector<std::string>& argv, size_t chunk_bytes,
                         const std::function<void(std::string_view chunk)>& on_chunk,
                         const std::function<void()>& on_idle = {});

// Collects the exit status of every child started by spawn() that has ended, so none lingers as
// a zombie.
void reap_children();

}  // namespace bw::proc
