// The main window's load: its steps in order, each name shown on the splash, one progress dot
// after each.
#include <cmath>
#include <system_error>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsDefaults.h"
#include "core/SettingsKeys.h"
#include "core/Splash.h"
#include "core/Startup.h"
#include "core/modGeneral.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "platform/RawRead.h"

namespace bw {

namespace {

void read_preferences(MainOptions& o) {
    AppState& a = app();
    const auto prefs = a.prefs_ini();
    a.test_time = ReadINI(prefs, keys::kSettings, keys::kTestTime);
    if (a.test_time.empty()) a.test_time = "30";
    a.adjust_test_time = ValInt(ReadINI(prefs, keys::kSettings, keys::kAdjustTestTime)) != 0;
    a.always_ignore = ValInt(ReadINI(prefs, keys::kSettings, keys::kAlwaysIgnore)) != 0;
    a.download_results = ValInt(ReadINI(prefs, keys::kSettings, keys::kDownloadResults)) != 0;
    a.check_update = ValInt(ReadINI(prefs, keys::kSettings, keys::kCheckUpdate)) != 0;
    if (a.always_ignore) o.apply_always_ignore(true);
}

void read_system_facts() {
    AppState& a = app();
    const auto work = a.working_ini();
    struct Fact {
        std::string_view key;
        std::string AppState::*field;
    };
    static constexpr Fact kFacts[] = {
        {keys::kMems, &AppState::mems},         {keys::kMb, &AppState::mb},
        {keys::kWinType, &AppState::win_type}, {keys::kBios, &AppState::bios},
        {keys::kCpu, &AppState::cpu},           {keys::kCpuSpeed, &AppState::cpu_speed},
        {keys::kCpuName, &AppState::cpu_name}, {keys::kCpuDescript, &AppState::cpu_descript},
        {keys::kSocket, &AppState::socket},     {keys::kCpuMan, &AppState::cpu_man},
    };
    for (const auto& f : kFacts) a.*(f.field) = ReadINI(work, keys::kSettings, f.key);
    a.win_ver = ReadINI(work, keys::kSettings, keys::kWinVer);
}

void remove_if_present(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::remove(p, ec);
}

void reset_tester_sections() {
    const auto work = app().working_ini();
    for (std::string_view section : {keys::kHardDriveTest1, keys::kHardDriveTest2}) {
        WriteINI(work, section, keys::kRun, "0");
        WriteINI(work, section, keys::kDrive, "0");
        for (auto key : kTesterJobKeys) WriteINI(work, section, key, "X");
    }
    WriteINI(work, keys::kHardDriveTest3, keys::kRun, "0");
}

}  // namespace

void show_selected_drive(const StartSteps& steps, MainWindowState& state) {
    const std::string entry = state.options.selected_drive();
    if (entry.size() > 4) state.colours = CheckCAP(baseline_key(entry));
    if (entry.empty()) return;
    StepContext ctx{state};
    steps.run(StepId::SelectDrive, ctx);
    // Tried as the test would open it, so the user learns it before choosing the test.
    auto facts = state.drive_facts.find(entry);
    if (facts == state.drive_facts.end()) return;  // no drive facts in this build
    std::string refusal = facts->second.device.empty()
                              ? entry.substr(0, 2) + " has no block device to read"
                              : probe_raw_read(facts->second.device);
    if (!refusal.empty() && !running_as_root()) refusal += " (needs root)";
    state.options.refuse_performance(refusal);
}

void FrmMainLoad(const StartSteps& steps, MainWindowState& state) {
    MainOptions& o = state.options;
    AppState& a = app();
    auto step_done = [] { advance_progress(); };
    StepContext ctx{state};
    ctx.show_step = [&](const std::string& label) {
        show_step(label);
        step_done();
    };

    // Preferences.
    read_preferences(o);
    if (a.check_update) steps.run(StepId::VersionCheck, ctx);
    if (a.download_results) steps.run(StepId::ResultDownload, ctx);
    step_done();

    clean_exit_check_at_start();
    step_done();
    show_disclaimer();
    step_done();

    show_step("System Info");
    Pause(100);
    if (ReadINI(a.working_ini(), keys::kSettings, keys::kWinVer).empty())
        steps.run(StepId::SystemInfo, ctx);
    read_system_facts();
    step_done();

    show_step("Checking Windows");
    StopTesters();
    step_done();

    show_step("Verify Version");
    steps.run(StepId::CounterQuery, ctx);
    step_done();

    show_step("Temp DIR");
    for (const char* name : {"Recommend.txt", "Specs.txt", "Overall.txt"})
        remove_if_present(a.program_folder / name);
    step_done();

    show_step("Start Utilities");
    for (std::string_view section :
         {keys::kHardDriveTest1, keys::kHardDriveTest2, keys::kHardDriveTest3})
        WriteINI(a.working_ini(), section, keys::kRun, "0");
    StartTESTERS();
    step_done();

    o.SelBlock = block_selection(ReadINI(a.prefs_ini(), keys::kSettings, keys::kBlock));
    step_done();

    show_step("Physical DRV");
    steps.run(StepId::PhysicalDisks, ctx);
    show_step("Logical DRV");
    steps.run(StepId::LogicalDisks, ctx);
    steps.run(StepId::DriveDetails, ctx);
    show_step("Check USB");
    steps.run(StepId::UsbQuery, ctx);
    step_done();

    show_step("Check Drives");
    steps.run(StepId::DriveList, ctx);
    steps.run(StepId::QuickBaseline, ctx);
    if (!o.DriveList.empty()) o.DriveListIndex = 0;
    step_done();

    show_step("Compare Data");
    steps.run(StepId::CompareResults, ctx);
    steps.run(StepId::LogicalOnlyDrives, ctx);
    steps.run(StepId::QuickBaseline, ctx);  // the entries the drive list lacked
    if (!o.DriveList.empty() && o.DriveListIndex < 0) o.DriveListIndex = 0;
    step_done();

    show_step("Read Data");
    restore_options(o);
    if (a.always_ignore) o.apply_always_ignore(true);
    o.root_note = root_note(running_as_root());
    step_done();

    show_step("Initializing");
    reset_tester_sections();
    step_done();

    steps.run(StepId::CounterGroups, ctx);
    if (a.basic_only_mode) o.enter_basic_only_mode();

    show_step("Starting");
    step_done();
    show_step("Dirty Check");
    steps.run(StepId::DirtyCheck, ctx);
    for (const auto& entry : ctx.dirty_entries)
        if (!entry.empty()) MsgBox(std::string(1, entry.front()) + std::string(kDirtySuffix));
    step_done();

    show_step("Load CPU");
    if (steps.run(StepId::ProcessorCounters, ctx))
        a.available_memory_mb = std::llround(ctx.available_memory_bytes / 1'000'000.0);
    Pause(100);
    if (SplashView* view = splash()) view->close();

    show_selected_drive(steps, state);
    // Advice needs the facts of the drive's volume; without them (no drive steps) none is given.
    if (auto facts = state.drive_facts.find(o.selected_drive());
        facts != state.drive_facts.end() && o.selected_drive().find("SSD") != std::string::npos)
        trim_ahci_advice(facts->second, state.trim_on_label);

    o.apply_drive_count();
}

}  // namespace bw
