#include "testengine/StartButton.h"

#include "core/SettingsKeys.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "testengine/TestPlanning.h"

namespace bw::testengine {

namespace {

// How long the start watches the drive for activity, in one-second looks.
inline constexpr int kActivityWatchSeconds = 15;

// The multi-task boxes by level; the last ticked wins.
struct LevelBox {
    CheckBox MainOptions::*box;
    int level;
};
inline constexpr LevelBox kLevelBoxes[] = {
    {&MainOptions::ChkMulti, 1}, {&MainOptions::ChkMultiH, 2}, {&MainOptions::ChkMultiHS, 3}};

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

char letter_of(const TestParameters& p) { return p.drive.empty() ? 0 : p.drive.front(); }

// Step 1. Cancel ends the start: the dialog offers OK to go on ("to Bypass"), and a Cancel that
// carried on regardless would leave the user no way to stop a test they were warned about.
bool cpu_check(StartEnv& env) {
    if (!env.measure_cpu) return true;
    CpuReport r = env.measure_cpu();
    if (r.busy_lines.empty()) r = env.measure_cpu();
    if (!cpu_too_busy(r.total_percent, env.processors)) return true;
    return prompt().ok_cancel(cpu_warning_text(r.total_percent, r.busy_lines), kCpuTitle,
                              PromptIcon::Exclamation);
}

// Step 5: a drive busy now is asked about at once; a quiet one is watched for a while first.
bool activity_check(const TestParameters& p, StartEnv& env) {
    if (!env.disk_active_now) return true;
    bool ask = env.disk_active_now();
    if (!ask) {
        int active_seconds = 0;
        for (int second = 0; second < kActivityWatchSeconds; ++second) {
            Pause(1000);
            if (env.disk_active_now()) ++active_seconds;
            if (env.show_status) env.show_status(second % 2 == 0);
        }
        if (env.show_status) env.show_status(false);
        ask = active_seconds > 0;
    }
    return !ask || prompt().yes_no(p.drive + std::string(kActivitySuffix), kActivityTitle,
                                   PromptIcon::Question);
}

// Step 10: true to go on (possibly as a read-only test), false when the user said No.
bool free_space_check(TestParameters& p, StartEnv& env) {
    if (!p.write) return true;
    const auto free = env.free_bytes ? env.free_bytes(letter_of(p)) : std::nullopt;
    if (free)
        if (auto size = file_size_for_free_bytes(*free)) {
            p.file_size_mb = *size;
            return true;
        }
    if (!prompt().yes_no(p.drive + std::string(kFreeSpaceSuffix), kFreeSpaceTitle,
                         PromptIcon::Question))
        return false;
    p.file_size_mb = 0;
    p.write = false;
    p.read = true;  // the question offered a read test: a write-only choice would run nothing
    return true;
}

void usb_rule(TestParameters& p) {
    if (!p.is_usb) return;
    p.file_size_mb = kUsbFileSizeMb;
    p.seconds_per_block += kUsbExtraSeconds;
}

// The long-test question and notice, once per working settings file (per flag key).
bool long_test_warning(StartEnv& env, std::string_view flag, const std::string& question) {
    if (env.read_work(flag) == "1") return true;
    env.write_work(flag, "1");
    if (!prompt().yes_no(question, kTestTimeTitle, PromptIcon::Question)) return false;
    MsgBox(kLongTestNotice, PromptIcon::Information);
    return true;
}

// Step 15.
void open_test(TestParameters p, StartEnv& env) {
    if (env.locate) env.locate(p);
    if (env.open_test_window(p) > kMaxFailedStarts) MsgBox(kStartFailed, PromptIcon::Critical);
}

StartOutcome all_drives(const MainOptions& options, StartEnv& env) {
    const int count = static_cast<int>(options.DriveList.size());
    if (count == 0) return StartOutcome::Aborted;
    TestParameters first = read_parameters(options, options.DriveList.front(), env);
    if (first.block_codes.empty()) {
        MsgBox(kNoBlock, PromptIcon::Exclamation);
        return StartOutcome::Aborted;
    }
    env.write_prefs(keys::kBlock, first.block_codes);
    const std::int64_t total = first.estimate_seconds * count;
    if (!long_test_warning(env, keys::kTestTimeWarning2,
                           all_drives_question(count, time_text(total))))
        return StartOutcome::Aborted;
    std::string last;
    for (int i = 0; i < count; ++i) {
        const std::string& entry = options.DriveList[static_cast<size_t>(i)];
        TestParameters p = read_parameters(options, entry, env);
        usb_rule(p);
        if (!free_space_check(p, env)) return StartOutcome::Aborted;
        p.cluster_size = cluster_size_for(env.cluster_list, letter_of(p));
        if (env.select_drive) env.select_drive(i);
        open_test(p, env);
        last = p.drive;
        clock().do_events();
    }
    if (env.show_overall) env.show_overall();
    if (env.fetch_details && !last.empty()) env.fetch_details(last.front());
    return StartOutcome::Ran;
}

}  // namespace

int multi_level(const MainOptions& options) {
    int level = 0;
    for (const auto& b : kLevelBoxes)
        if ((options.*(b.box)).checked) level = b.level;
    return level;
}

TestParameters read_parameters(const MainOptions& options, std::string_view entry,
                               const StartEnv& env) {
    TestParameters p;
    p.drive_entry = std::string(entry);
    p.drive = p.drive_entry.substr(0, 2);
    p.is_ssd = contains(entry, "SSD");
    p.is_ram = contains(entry, "RAM");
    p.is_usb = contains(entry, "USB");
    p.read = options.ChkRead.checked;
    p.write = options.ChkWrite.checked;
    p.block_codes = block_code(options.SelBlock);
    p.multi = multi_level(options);
    p.type = options.TestType == 0 ? JobType::Functional : JobType::Performance;
    p.seconds_per_block =
        seconds_per_block(static_cast<int>(p.block_codes.size()), env.test_time, env.adjust);
    p.estimate_seconds = estimate_seconds(
        {p.block_codes, env.test_time, env.adjust, p.read, p.write, p.multi, p.type});
    p.cluster_size = "512";
    return p;
}

StartOutcome Command1_Click(MainOptions& options, StartEnv& env) {
    // The activity watch lets the window's events run: a second press must not start a second
    // test over the first.
    static bool running = false;
    if (running) {
        MsgBox(kAlreadyRunning, PromptIcon::Exclamation);
        return StartOutcome::AlreadyRunning;
    }
    running = true;
    struct Release {
        ~Release() { running = false; }
    } release;

    if (!cpu_check(env)) return StartOutcome::Aborted;
    if (env.start_testers) env.start_testers();
    env.write_work(keys::kStopRun, "0");
    if (options.BasicOnly.checked)
        for (const auto& b : kLevelBoxes) (options.*(b.box)).checked = false;

    const std::string entry = options.selected_drive();
    if (entry.size() < 2 && !options.TestAllDrv.checked) {
        MsgBox(kNoDrive, PromptIcon::Exclamation);
        return StartOutcome::Aborted;
    }
    TestParameters p = read_parameters(options, entry, env);
    if (p.is_ram && env.processors == 1 &&
        !prompt().yes_no(kRamQuestion, kRamTitle, PromptIcon::Question))
        return StartOutcome::Aborted;
    if (!options.IgnoreME.checked && !activity_check(p, env)) return StartOutcome::Aborted;

    if (options.TestAllDrv.checked) return all_drives(options, env);

    if (p.block_codes.empty()) {
        MsgBox(kNoBlock, PromptIcon::Exclamation);
        return StartOutcome::Aborted;
    }
    env.write_prefs(keys::kBlock, p.block_codes);
    if (!free_space_check(p, env)) return StartOutcome::Aborted;
    usb_rule(p);
    p.cluster_size = cluster_size_for(env.cluster_list, letter_of(p));
    if (p.block_codes.size() == static_cast<size_t>(kBlockCount) &&
        !long_test_warning(env, keys::kTestTimeWarning1,
                           long_test_question(time_text(p.estimate_seconds))))
        return StartOutcome::Aborted;
    if (env.fetch_details) env.fetch_details(letter_of(p));

    if (options.BasicOnly.checked) {
        if (env.open_basic_test) env.open_basic_test();
    } else {
        open_test(p, env);
    }
    if (env.fetch_details) env.fetch_details(letter_of(p));
    return StartOutcome::Ran;
}

}  // namespace bw::testengine
