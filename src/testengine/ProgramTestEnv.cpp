#include "testengine/ProgramTestEnv.h"

#include <fmt/format.h>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/modGeneral.h"
#include "core/modKill.h"
#include "core/modTasks.h"
#include "counters/CounterDisks.h"
#include "counters/Counters.h"
#include "drives/DriveInventory.h"
#include "drives/VolumeMap.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "testengine/TestPlanning.h"

namespace bw::testengine {

namespace {

// Folders a test file may go to when the volume's own root is not writable by this user.
std::vector<std::string> test_folder_candidates() {
    std::vector<std::string> out;
    if (std::string home = process_env("HOME"); !home.empty()) out.push_back(home);
    out.push_back(app().working_folder.string());
    out.push_back("/var/tmp");
    out.push_back("/tmp");
    return out;
}

void locate(TestParameters& p) {
    const char letter = p.drive.empty() ? 0 : p.drive.front();
    std::string reason;
    // An empty folder is left for the testers to refuse with their reason, which the test window
    // then shows.
    p.test_folder =
        LetterTestFolder(system_query(), volume_map(), letter, test_folder_candidates(), &reason)
            .string();
    p.device = LetterDevice(volume_map(), letter);
    if (const auto volume = logical_disk_by_letter(counters(), letter)) p.counter_index = volume->row;
}

}  // namespace

CpuReport measure_process_cpu() {
    const std::vector<std::string> names = ListProcesses();
    const int slots = std::min<int>(static_cast<int>(names.size()), kProcessCpuSlots);
    for (int i = 0; i < slots; ++i) SampleProcessCpu(names[static_cast<size_t>(i)], i);
    SampleProcessorUsage();
    Pause(1000);
    CpuReport r;
    for (int i = 0; i < slots; ++i) {
        const std::string text = SampleProcessCpu(names[static_cast<size_t>(i)], i);
        if (Val(text) > kBusyProcessPercent)
            r.busy_lines += fmt::format("{}  CPU Usage: {}%\r\n", names[static_cast<size_t>(i)], text);
    }
    SampleProcessorUsage();
    r.total_percent = counters().TotalProcessorUsage / std::max(1, app().processor_count);
    return r;
}

StartEnv program_start_env(MainWindowState& state, const StartSteps& steps) {
    StartEnv env;
    AppState& a = app();
    env.processors = a.processor_count;
    env.test_time = static_cast<int>(ValInt(a.test_time));
    if (env.test_time <= 0) env.test_time = 30;
    env.adjust = a.adjust_test_time;
    env.cluster_list = drive_inventory().ClusterList2;
    env.measure_cpu = measure_process_cpu;
    env.start_testers = [] { StartMissingTesters(); };
    env.disk_active_now = [&state, &steps] {
        StepContext ctx{state};
        if (!steps.run(StepId::LiveFigures, ctx)) return false;
        return disk_active(ctx.live.disk_time_percent, ctx.live.bytes_per_sec);
    };
    env.free_bytes = [](char letter) {
        return LetterFreeSpace(system_query(), volume_map(), letter).free_bytes;
    };
    env.locate = locate;
    env.read_work = [](std::string_view key) {
        return ReadINI(app().working_ini(), keys::kSettings, key);
    };
    env.write_work = [](std::string_view key, std::string_view value) {
        WriteINI(app().working_ini(), keys::kSettings, key, value);
    };
    env.write_prefs = [](std::string_view key, std::string_view value) {
        WriteINI(app().prefs_ini(), keys::kSettings, key, value);
    };
    env.fetch_details = [&state, &steps](char) { show_selected_drive(steps, state); };
    env.select_drive = [&state](int index) { state.options.DriveListIndex = index; };
    return env;
}

RunEnv program_run_env(const TestParameters& params) {
    RunEnv env;
    env.read = [](std::string_view section, std::string_view key) {
        return ReadINI(app().working_ini(), section, key);
    };
    env.write = [](std::string_view section, std::string_view key, std::string_view value) {
        WriteINI(app().working_ini(), section, key, value);
    };
    const char letter = params.drive.empty() ? 0 : params.drive.front();
    env.prepare = [] { FollowTesters(app().working_folder); };
    env.sample = [letter] { return ReadTestCounters(letter); };
    env.tester_running = [] {
        return GetProcessIdByName(kTesterFiles[0], app().working_folder) != 0;
    };
    return env;
}

}  // namespace bw::testengine
