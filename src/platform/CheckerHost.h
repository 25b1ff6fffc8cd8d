#pragma once

// What the disk check needs of the machine: finding a file-system checker program, running it with
// its output (and, for checkers that write one, a progress stream on descriptor 3) read as it
// comes, stopping it, and telling which processes hold a mounted volume. The program uses the live
// host; tests hand in a fake that replays recorded checker output.

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

struct CheckerCommand {
    std::vector<std::string> argv;  // argv[0] as find_program returned it
    bool progress_on_fd3 = false;   // the checker writes progress lines to descriptor 3
};

// What the caller wants done with a running checker. Interrupt sends SIGINT once (a checker that
// handles it stops at its next safe point); Kill ends the checker and everything it started at
// once.
enum class CheckerStop { None, Interrupt, Kill };

struct CheckerEvents {
    std::function<void(std::string_view chunk)> output;    // standard output and error, in order
    std::function<void(std::string_view chunk)> progress;  // descriptor 3, in order
    // Asked after every piece read and every 50 ms of silence: the window stays alive and a cancel
    // is seen without waiting for the checker to print.
    std::function<CheckerStop()> poll;
};

struct CheckerExit {
    bool started = false;
    std::string error;     // why it did not start
    int exit_status = -1;  // -1 when it was ended by a signal
    int signal = 0;        // the signal that ended it
};

// A process that keeps a volume busy, and by what ("open file /mnt/d/a.txt", "current folder").
struct VolumeUser {
    pid_t pid = 0;
    std::string name;
    std::string what;
    bool operator==(const VolumeUser&) const = default;
};

class CheckerHost {
  public:
    virtual ~CheckerHost() = default;
    // Full path of an installed program (PATH, then /usr/sbin and /sbin, where the checkers live
    // even when a person's PATH leaves them out); "" when it is not installed.
    virtual std::string find_program(std::string_view name) const = 0;
    // Runs the checker with standard input from /dev/null, in its own process group, and waits.
    virtual CheckerExit run(const CheckerCommand& command, const CheckerEvents& events) = 0;
    // Processes holding the filesystem mounted at `mount_point`: open files, current or root
    // folder, executable or mapped files on it.
    virtual std::vector<VolumeUser> users_of(const std::string& mount_point) const = 0;
    // Why the block device is still in use once unmounted here (mounted in another mount
    // namespace, claimed by the kernel), found by opening it exclusively; "" when it is free.
    virtual std::string device_in_use(const std::string& device) const = 0;
};

CheckerHost& live_checker_host();

}  // namespace bw
