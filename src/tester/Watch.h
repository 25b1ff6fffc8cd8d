#pragma once

// How a tester learns that it must stop, without spending reads on it while it measures: the
// working settings file is watched with inotify (the store replaces it by rename, so a change
// is one event) and read again only when it changed; the program's process is watched through a
// pidfd, which becomes readable when the process ends. Signals set a flag.
//
// Stop rules: [Settings] "Run Status" "1" cancels the job (the test window closed), "2" ends the
// tester (the program is closing), and so do the end of the program's process and SIGTERM,
// SIGINT or SIGHUP.

#include <signal.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/UniqueFd.h"
#include "tester/Transfer.h"

namespace bw::tester {

// Set by the signal handlers.
extern volatile sig_atomic_t g_stop_signal;
void install_stop_signals();

class Watch : public StopCheck {
  public:
    explicit Watch(const std::filesystem::path& working_folder);

    const std::filesystem::path& ini() const { return ini_; }

    // Waits up to `timeout_ms` for a change of the settings file, the end of the program or a
    // signal, then brings the state up to date.
    void wait(int timeout_ms);
    // Brings the state up to date without waiting.
    Stop check() override;
    bool signalled() const override { return g_stop_signal != 0; }
    Stop state() const;

    // True once after each change of the settings file (always true without inotify), so the
    // caller reads its own keys only when they may have changed.
    bool take_change();

    // The process being watched as the program (0: none).
    int watched_pid() const { return watched_pid_; }

  private:
    void update(int timeout_ms);
    void reread();
    void watch_program(int pid_from_key);

    std::filesystem::path folder_, ini_;
    UniqueFd inotify_, pidfd_;
    int parent_pid_ = 0;
    int watched_pid_ = 0;
    int key_pid_ = -1;
    bool program_gone_ = false;
    bool changed_ = true;
    std::string run_status_;
    std::int64_t next_liveness_check_ = 0;
};

}  // namespace bw::tester
