// The splash window's preparations: folders, single instance, program-wide values, settings files,
// stale results and the tool files.
#include <system_error>
#include <vector>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsDefaults.h"
#include "core/SettingsKeys.h"
#include "core/Splash.h"
#include "core/Startup.h"
#include "core/mdlRegistry.h"
#include "core/modGeneral.h"
#include "platform/DirectIo.h"
#include "platform/HeldFolder.h"
#include "platform/ThisProcess.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/prompt.h"
#include "version.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kInstanceLockFile = "brantwell.instance";

void remove_if_present(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

// The working folder, held, with the files the program runs or reads there: one of them that
// another user planted (or could change) makes the folder unusable, and the private folder is used.
FolderResult working_folder_choice() {
    std::vector<std::string_view> trusted(kTesterFiles.begin(), kTesterFiles.end());
    for (std::string_view name : {keys::kSettingsFileName, kTestFileRecord, kInstanceLockFile})
        trusted.push_back(name);
    return choose_working_folder(process_env, trusted);
}

}  // namespace

void release_instance_lock() { this_process::release_instance_lock(); }

void init_working_file() {
    const auto work = app().working_ini();
    WriteINI(work, keys::kSettings, keys::kOpen, "1");
    WriteINI(work, keys::kSettings, keys::kRunStatus, "0");
    for (int n = 1; n <= 3; ++n) WriteINI(work, keys::kStatus, keys::program_status(n), "0");
    // The program writes its id so the testers can tell when it has gone.
    WriteINI(work, keys::kSettings, keys::kProgramPid, static_cast<long long>(this_process::process_id()));
    if (ReadINI(work, keys::kSettings, keys::kShutdown).empty()) {
        WriteINI(work, keys::kSettings, keys::kBadShutdown, "0");
        WriteINI(work, keys::kSettings, keys::kWinVer, "");
        WriteINI(work, keys::kSettings, keys::kLastDrive, "");
    }
}

void init_preferences() {
    const auto prefs = app().prefs_ini();
    if (!ReadINI(prefs, keys::kSettings, keys::kRead).empty()) return;
    for (const auto& d : kPreferenceDefaults) WriteINI(prefs, keys::kSettings, d.key, d.value);
}

LoadingResult LoadingLoad(const StartSteps& steps, std::string* error) {
    AppState& a = app();
    MainWindowState no_window;  // the splash's steps have no main window to fill yet
    StepContext ctx{no_window};
    FolderResult work = working_folder_choice();
    auto prog = choose_program_folder();
    if (work.path.empty() || prog.path.empty()) {
        if (error) *error = work.path.empty() ? work.error : prog.error;
        return LoadingResult::NoFolders;
    }
    a.hold_working_folder(work.path, std::move(work.fd));
    a.program_folder = prog.path;
    if (!this_process::take_instance_lock(a.working_folder / kInstanceLockFile)) return LoadingResult::SecondInstance;
    // Said once, at the start: the usual folder was unsafe or taken, and where the program works.
    if (!work.notice.empty()) MsgBox(work.notice, PromptIcon::Exclamation);

    a.version = kVersionText;
    a.build_date = kBuildDate;
    SetKeyValue(RegHive::HKEY_CURRENT_USER,
                "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
                executable_path().string(), RegValue::string("RUNASADMIN"));
    steps.run(StepId::RatingThresholds, ctx);
    a.computer_name = this_process::host_name();
    a.processor_count = this_process::online_processors();
    a.windows_drive = 'C';  // the volume that holds "/" is always C:
    // A higher priority keeps the sampling steady under load; only root may raise it.
    this_process::raise_priority();

    init_working_file();
    init_preferences();
    remove_if_present(a.program_folder / "PeakResults.Dat");
    remove_if_present(a.program_folder / "AverageResults.Dat");
    if (SplashView* view = splash()) view->open();
    Pause(10);
    steps.run(StepId::License, ctx);
    StopTesters();
    steps.run(StepId::TrimRestore, ctx);  // before the testers clear the test-file record
    show_step("Support Files");
    for (auto name : kTesterFiles) remove_entry(a.working_dir(), name);
    steps.run(StepId::TesterFile, ctx);
    Pause(10);
    return LoadingResult::ShowMain;
}

}  // namespace bw
