// test [--drive X:] [--read] [--write] [--multi 0-3] [--type 1|2] [--blocks CODES] [--seconds N]
// [--yes] [--ignore-usage] [--json]: the main test of one drive, with the program's own start-up,
// start button and run controller. Without --drive the drive that holds the working folder is
// tested. The start's questions are answered by --yes, asked on the terminal, or without one
// given their default answer, each said on standard error; one progress line a second goes there
// too.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/ProgressLine.h"
#include "cli/StandaloneArgs.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "core/Startup.h"
#include "drives/DriveText.h"
#include "drives/VolumeMap.h"
#include "platform/SystemQuery.h"
#include "platform/TerminalPrompt.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "results/TestEnd.h"
#include "testengine/DefaultDrive.h"
#include "testengine/HeadlessRun.h"
#include "testengine/ProgramTestEnv.h"
#include "testengine/RunSummary.h"
#include "testengine/TestPlanning.h"

namespace bw::cli {
namespace {

using namespace bw::testengine;

struct TestArgs {
    std::string drive;
    bool read = false, write = false;
    int multi = 0;
    int type = 0;  // 0: as the main window chooses (the saved choice, a file where raw is refused)
    std::string blocks;
    int seconds = 0;
    bool yes = false, ignore_usage = false, json = false;
};

volatile std::sig_atomic_t g_interrupted = 0;
void on_interrupt(int) { g_interrupted = 1; }

// Installs a prompt for a scope.
struct PromptScope {
    explicit PromptScope(Prompt* p) { set_prompt(p); }
    ~PromptScope() { set_prompt(nullptr); }
};

char drive_letter_of(const TestArgs& a) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(a.drive[0])));
}

int index_of_drive(const MainOptions& o, const std::string& drive) {
    for (size_t i = 0; i < o.DriveList.size(); ++i)
        if (o.DriveList[i].size() >= 2 && std::toupper(o.DriveList[i][0]) == std::toupper(drive[0]))
            return static_cast<int>(i);
    return -1;
}

// The options of the main window as the flags set them; "" or the reason they cannot.
std::string apply_flags(const TestArgs& a, MainOptions& o) {
    const int index = index_of_drive(o, a.drive);
    if (index < 0)
        return fmt::format("{} is not a drive of this machine's drive list (drives: {})", a.drive,
                           drive_letters(o.DriveList));
    o.select_drive(index);
    o.ChkRead.checked = a.read || !a.write;
    o.ChkWrite.checked = a.write;
    o.ChkMulti.checked = a.multi == 1;
    o.ChkMultiH.checked = a.multi == 2;
    o.ChkMultiHS.checked = a.multi == 3;
    o.BasicOnly.checked = false;
    o.TestAllDrv.checked = false;
    o.IgnoreME.checked = a.ignore_usage;
    if (a.type != 0) o.TestType = a.type == 1 ? 0 : 1;
    if (!a.blocks.empty()) {
        for (char c : a.blocks)
            if (block_index_from_code(c, true) == 0)
                return fmt::format("--blocks: '{}' is not a block code (1-9, A, B)", c);
        std::string upper;
        for (char c : a.blocks) upper += static_cast<char>(std::toupper(c));
        o.SelBlock = block_selection(upper);
    }
    return {};
}

void progress_line(const TestRun& run, ProgressLine& line) {
    const TickFigures& f = run.reading().figures;
    line.show(static_cast<double>(run.elapsed()), static_cast<double>(run.maximum()),
              fmt::format("{}  read {} Bps  write {} Bps  {}",
                          run.status().empty() ? "Waiting for the testers" : run.status(),
                          format_grouped(f.read_bytes), format_grouped(f.write_bytes),
                          time_left_text(run.elapsed(), run.maximum())));
}

// What runs, so an unattended log shows the choices made for the user.
void parameters_line(const TestParameters& p) {
    std::string blocks;
    for (char c : p.block_codes)
        if (const BlockSize* b = block_size(block_index_from_code(c)))
            blocks += (blocks.empty() ? "" : " ") + std::string(b->name);
    const char* sides = p.read && p.write ? "read and write" : p.write ? "write" : "read";
    std::fprintf(stderr,
                 "brantwell-cli: %s Test of %s: %s, multi-task level %d, blocks %s, %d seconds a "
                 "block, about %s\n",
                 type_name(p.type), p.drive_entry.c_str(), sides, p.multi, blocks.c_str(),
                 p.seconds_per_block, time_text(p.estimate_seconds).c_str());
}

// What a user can run when the drive that holds the working folder cannot be tested.
void say_instead(const MainOptions& o) {
    std::fprintf(stderr,
                 "To test another drive:  brantwell-cli test --drive X:   (drives: %s; "
                 "`brantwell-cli drives` describes them)\n"
                 "To test a drive made from a file, as root:\n"
                 "  truncate -s 4G /var/tmp/bw.img && mkfs.ext4 -q /var/tmp/bw.img\n"
                 "  mkdir -p /mnt/bw && mount -o loop /var/tmp/bw.img /mnt/bw\n"
                 "  brantwell-cli test --drive X:   (X: the letter `brantwell-cli drives` shows "
                 "for /mnt/bw)\n"
                 "To time a drive's own reads and writes without the disk counters:  "
                 "brantwell-cli basic --drive X:\n",
                 drive_letters(o.DriveList).c_str());
}

// The drive that holds the working folder, said on standard error; "" after saying why not.
std::string default_drive(const MainOptions& o) {
    const std::string folder = app().working_folder.string();
    const DefaultDrive d = drive_holding(volume_map(), system_query().mounts(), o.DriveList, folder);
    if (d.drive.empty()) {
        std::fprintf(stderr, "brantwell-cli: no --drive given, and %s\n", d.reason.c_str());
        return {};
    }
    std::fprintf(stderr,
                 "brantwell-cli: no --drive given: testing %s, the drive that holds the working "
                 "folder %s\n",
                 d.drive.c_str(), folder.c_str());
    return d.drive;
}

// The main window's choice of test type for the selected drive: the saved one, or the
// Functional Test when the raw device cannot be read, said with the reason.
void choose_type_as_window(const StartSteps& steps, MainWindowState& state) {
    show_selected_drive(steps, state);
    const MainOptions& o = state.options;
    if (!o.performance_refusal.empty())
        std::fprintf(stderr,
                     "brantwell-cli: the Performance Test cannot read the drive itself (%s): "
                     "running the Functional Test, through a test file on %s\n",
                     o.performance_refusal.c_str(), o.selected_drive().substr(0, 2).c_str());
}

struct Outcome {
    bool ran = false;
    RunEnd end = RunEnd::Running;
    bool interrupted = false;
};

// The test window without a window: the controller ticked once a second until the run ends.
int test_window(const TestParameters& p, const TestArgs& a, Outcome& outcome) {
    parameters_line(p);
    TestRun run(p, program_run_env(p));
    app().busy = true;
    ProgressLine line;
    const HeadlessEnd end =
        run_headless(run, {.wait = [] { Pause(1000); },
                           .stop = [] { return g_interrupted != 0; },
                           .each_tick = [&line](const TestRun& r) { progress_line(r, line); }});
    app().busy = false;
    outcome.ran = true;
    outcome.end = end.end;
    outcome.interrupted = end.stopped;
    if (end.stopped) {
        std::fprintf(stderr, "brantwell-cli: test interrupted; the testers were told to stop\n");
    } else if (end.finished) {
        if (a.json)
            print_json(EndOfRunJson(p, run.samples(), *end.finished));
        else
            std::fputs(finished_text(*end.finished).c_str(), stdout);
        for (const auto& error : end.finished->files.errors)
            std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
    } else if (end.end != RunEnd::NoActivity) {
        MsgBox(run.message(), PromptIcon::Critical);
    }
    return run.failed_start_ticks();
}

int RunTest(TestArgs a) {
    if (!a.drive.empty() && (!std::isalpha(static_cast<unsigned char>(a.drive[0])) ||
                             (a.drive.size() > 1 && a.drive.substr(1) != ":"))) {
        std::fprintf(stderr, "brantwell-cli: --drive takes a drive letter such as D:\n");
        return kExitUsage;
    }
    std::string error;
    StartSteps steps = program_steps();
    results::keep_test_history();  // the finished test joins its drive's history, as in the program
    // The desktop program takes a quick baseline of every drive without one at start (ten
    // seconds each) to colour its multi-task boxes. A test from the command line shows no such
    // colours and must not make the drive under test wait for every other drive's reads:
    // `brantwell-cli baseline` takes one when asked.
    steps.provide(StepId::QuickBaseline, [](StepContext&) {});
    switch (LoadingLoad(steps, &error)) {
    case LoadingResult::NoFolders:
        std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
        return kExitFailed;
    case LoadingResult::SecondInstance:
        std::fprintf(stderr,
                     "brantwell-cli: Brantwell is already running for this user; one test at a "
                     "time shares the testers\n");
        return kExitFailed;
    case LoadingResult::ShowMain:
        break;
    }
    MainWindowState state;
    FrmMainLoad(steps, state);
    const MainOptions saved = state.options;  // the desktop program's choices are not the flags'
    const bool chosen_for_user = a.drive.empty();
    if (chosen_for_user) a.drive = default_drive(state.options);
    int status = kExitFailed;
    if (a.drive.empty()) {
        status = kExitNoDrive;  // no drive to test
    } else if (app().basic_only_mode) {
        std::fprintf(stderr,
                     "brantwell-cli: the disk counters this test reads are not available; only "
                     "the basic test can run\n");
    } else if (const std::string why = apply_flags(a, state.options); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
        status = index_of_drive(state.options, a.drive) < 0 ? kExitNoDrive : kExitUsage;
    } else if (const int refused = a.type == 2 ? refused_raw_read(LetterDevice(
                                                       volume_map(), drive_letter_of(a)))
                                                 : kExitDone;
               refused != kExitDone) {
        // The Performance Test reads the drive itself: a system that refuses that is said so,
        // with its reason, before the testers start.
        status = refused;
    } else {
        if (a.type == 0) choose_type_as_window(steps, state);
        StartEnv env = program_start_env(state, steps);
        if (a.seconds > 0) env.test_time = a.seconds;
        Outcome outcome;
        env.open_test_window = [&](const TestParameters& p) { return test_window(p, a, outcome); };
        TerminalPrompt answers(answer_mode(a.yes));
        PromptScope scope(&answers);
        std::signal(SIGINT, on_interrupt);
        std::signal(SIGTERM, on_interrupt);
        const StartOutcome started = Command1_Click(state.options, env);
        if (started == StartOutcome::Aborted)
            std::fprintf(stderr, "brantwell-cli: the test was not started\n");
        status = outcome.interrupted ? kExitInterrupted
                 : started == StartOutcome::Ran && outcome.end == RunEnd::Finished ? kExitDone
                                                                                   : kExitFailed;
    }
    if (chosen_for_user && status != kExitDone) say_instead(state.options);
    state.options = saved;
    FrmMainUnload(steps, state);
    release_instance_lock();
    return status;
}

const RegisterVerb kTest([](CLI::App& app) {
    auto a = std::make_shared<TestArgs>();
    CLI::App* cmd = app.add_subcommand("test", "Run the main test on a drive");
    cmd->add_option("--drive", a->drive,
                    "Drive letter of the drive list, e.g. D:; default: the drive that holds the "
                    "working folder");
    cmd->add_flag("--read", a->read, "Read test (the default when --write is not given)");
    cmd->add_flag("--write", a->write, "Write test (needs free space on the drive)");
    cmd->add_option("--multi", a->multi, "Multi-task level: 0 none, 1 Lite, 2 Heavy, 3 Heavy with "
                                          "the other side")
        ->check(CLI::Range(0, 3));
    cmd->add_option("--type", a->type,
                    "1 Functional (a test file), 2 Performance (the drive); default: the saved "
                    "choice, Functional where the drive cannot be read raw")
        ->check(CLI::Range(1, 2));
    cmd->add_option("--blocks", a->blocks,
                    "Block codes 1-9, A, B (4KB .. 4096KB); default: the saved selection");
    cmd->add_option("--seconds", a->seconds, "Seconds per block (\"Test Time\")")
        ->check(CLI::Range(1, 3600));
    cmd->add_flag("--yes", a->yes,
                  "Answer the start's questions with Yes (default: asked on a terminal, else "
                  "answered Yes/OK as the window's default button, and said)");
    cmd->add_flag("--ignore-usage", a->ignore_usage, "Skip the disk-activity watch");
    cmd->add_flag("--json", a->json,
                  "Print the results as one JSON document (schema brantwell.test/1)");
    cmd->callback([a] { exit_code() = RunTest(*a); });
});

}  // namespace
}  // namespace bw::cli
