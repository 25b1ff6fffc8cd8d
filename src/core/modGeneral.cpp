#include "core/modGeneral.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/Splash.h"
#include "core/modKill.h"
#include "platform/Processes.h"
#include "platform/UniqueFd.h"
#include "platform/clock.h"
#include "platform/prompt.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

// How long a tester gets to remove its test files after the close request.
constexpr int kCloseWaitMs = 1500;

// Copies an executable without following links and without replacing anything.
bool copy_executable(const fs::path& from, const fs::path& to) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!in.ok()) return false;
    UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (!out.ok()) return false;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (n == 0) return true;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out.get(), buf + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ::unlink(to.c_str());
                return false;
            }
            done += w;
        }
    }
    ::unlink(to.c_str());
    return false;
}

}  // namespace

void StopTesters() {
    const fs::path dir = app().working_folder;
    for (auto name : kTesterFiles) {
        if (WindowHandle w = FindProcessWindow(name, dir)) {
            CloseWindowProcess(w, kCloseWaitMs);
            KillWindowProcess(w);
        }
    }
    for (auto name : kTesterFiles)
        if (FindProcessWindow(name, dir)) ForceStopByName(name, dir);
}

void EnsureTesterCopies() {
    const fs::path dir = app().working_folder;
    for (size_t i = 1; i < kTesterFiles.size(); ++i) {
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(dir / kTesterFiles[i], ec)))
            copy_executable(dir / kTesterFiles[0], dir / kTesterFiles[i]);
    }
}

void StartMissingTesters() {
    const fs::path dir = app().working_folder;
    for (auto name : kTesterFiles) {
        if (FindProcessWindow(name, dir) == 0) {
            std::string error;
            proc::spawn(dir / name, {"-R"}, dir, &error);
            advance_progress();
            Pause(100);
        }
    }
}

void StartTESTERS() {
    EnsureTesterCopies();
    StartMissingTesters();
    Pause(1000);
    for (size_t i = 1; i <= kTesterFiles.size(); ++i) {
        std::string value =
            ReadINI(app().working_ini(), keys::kStatus, keys::program_status(static_cast<int>(i)));
        if (Val(value) == 0) MsgBox(kTesterNotStarted, PromptIcon::Critical);
    }
}

}  // namespace bw
