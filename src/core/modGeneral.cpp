#include "core/modGeneral.h"

#include <string>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/Splash.h"
#include "core/ToolFiles.h"
#include "core/modKill.h"
#include "platform/Processes.h"
#include "platform/clock.h"
#include "platform/prompt.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

// How long a tester gets to remove its test files after the close request.
constexpr int kCloseWaitMs = 1500;

// The first reason known for each tester, earlier steps first.
void keep_first(TesterReasons& reasons, const TesterReasons& later) {
    for (size_t i = 0; i < reasons.size(); ++i)
        if (reasons[i].empty()) reasons[i] = later[i];
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

TesterReasons EnsureTesterCopies() {
    AppState& a = app();
    const int dirfd = a.working_dir();
    TesterReasons reasons;
    for (size_t i = 1; i < kTesterFiles.size(); ++i)
        reasons[i] =
            CopyToolFileAt(dirfd, a.working_folder, kTesterFiles[0], kTesterFiles[i], 0700).error;
    return reasons;
}

TesterReasons StartMissingTesters() {
    AppState& a = app();
    const fs::path dir = a.working_folder;
    const int dirfd = a.working_dir();
    TesterReasons reasons;
    for (size_t i = 0; i < kTesterFiles.size(); ++i) {
        if (FindProcessWindow(kTesterFiles[i], dir) == 0) {
            // Started from the held folder: a folder swapped in under its name runs nothing.
            proc::spawn_at(dirfd, dir, kTesterFiles[i], {"-R"}, &reasons[i]);
            advance_progress();
            Pause(100);
        }
    }
    return reasons;
}

std::string TesterNotStartedMessage(std::string_view reason) {
    std::string text(kTesterNotStarted);
    if (!reason.empty()) text += "\n\n" + std::string(reason);
    return text;
}

void StartTESTERS() {
    TesterReasons reasons = EnsureTesterCopies();
    keep_first(reasons, StartMissingTesters());
    Pause(1000);
    const fs::path dir = app().working_folder;
    for (size_t i = 0; i < kTesterFiles.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const bool reported =
            Val(ReadINI(app().working_ini(), keys::kStatus, keys::program_status(number))) != 0;
        if (reported && reasons[i].empty()) continue;
        // A tester that started but has not reported in either ended at once or is still
        // starting; which one is worth knowing.
        if (reasons[i].empty())
            reasons[i] =
                std::string(kTesterFiles[i]) +
                (FindProcessWindow(kTesterFiles[i], dir)
                     ? " is running but has not reported in to " + app().working_ini().string()
                     : " ended right after it was started from " + dir.string());
        MsgBox(TesterNotStartedMessage(reasons[i]), PromptIcon::Critical);
    }
}

}  // namespace bw
