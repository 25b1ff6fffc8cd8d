// test --drive X: [--read] [--write] [--multi 0-3] [--type 1|2] [--blocks CODES] [--seconds N]
// [--yes] [--ignore-usage] [--json]: the main test of one drive, with the program's own start-up,
// start button and run controller. The start's questions are answered by the flags (--yes), or
// refused with the question's text; one progress line a second goes to standard error.
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
#include "platform/clock.h"
#include "platform/prompt.h"
#include "results/TestEnd.h"
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
    int type = 2;
    std::string blocks;
    int seconds = 0;
    bool yes = false, ignore_usage = false, json = false;
};

volatile std::sig_atomic_t g_interrupted = 0;
void on_interrupt(int) { g_interrupted = 1; }

// The start's questions answered Yes, each said on standard error (through the headless
// prompt that was installed before) as it is answered.
class YesPrompt : public Prompt {
public:
    explicit YesPrompt(Prompt& say) : say_(say) {}
    void message(std::string_view text, std::string_view title, PromptIcon icon) override {
        say_.message(text, title, icon);
    }
    bool yes_no(std::string_view text, std::string_view title, PromptIcon icon) override {
        say_.message(std::string(text) + " [answered Yes: --yes]", title, icon);
        return true;
    }
    bool ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) override {
        say_.message(std::string(text) + " [answered OK: --yes]", title, icon);
        return true;
    }
    std::optional<std::string> input(std::string_view text, std::string_view title,
                                     std::string_view d) override {
        return say_.input(text, title, d);
    }

private:
    Prompt& say_;
};

// Installs a prompt for a scope (nullptr: keeps the headless one).
struct PromptScope {
    explicit PromptScope(Prompt* p) {
        if (p) set_prompt(p);
    }
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

std::string letters(const MainOptions& o) {
    std::string out;
    for (const auto& e : o.DriveList) out += (out.empty() ? "" : ", ") + e.substr(0, 2);
    return out.empty() ? "none" : out;
}

// The options of the main window as the flags set them; "" or the reason they cannot.
std::string apply_flags(const TestArgs& a, MainOptions& o) {
    const int index = index_of_drive(o, a.drive);
    if (index < 0)
        return fmt::format("{} is not a drive of this machine's drive list (drives: {})", a.drive,
                           letters(o));
    o.DriveListIndex = index;
    o.ChkRead.checked = a.read || !a.write;
    o.ChkWrite.checked = a.write;
    o.ChkMulti.checked = a.multi == 1;
    o.ChkMultiH.checked = a.multi == 2;
    o.ChkMultiHS.checked = a.multi == 3;
    o.BasicOnly.checked = false;
    o.TestAllDrv.checked = false;
    o.IgnoreME.checked = a.ignore_usage;
    o.TestType = a.type == 1 ? 0 : 1;
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

struct Outcome {
    bool ran = false;
    RunEnd end = RunEnd::Running;
    bool interrupted = false;
};

// The test window without a window: the controller ticked once a second until the run ends.
int run_headless(const TestParameters& p, const TestArgs& a, Outcome& outcome) {
    TestRun run(p, program_run_env(p));
    app().busy = true;
    run.open();
    RunEnd end = RunEnd::Running;
    {
        ProgressLine line;
        for (bool wait = !run.tick_at_open(); end == RunEnd::Running && !g_interrupted;
             wait = true) {
            if (wait) Pause(1000);
            end = run.tick();
            if (end == RunEnd::Running) progress_line(run, line);
        }
    }
    run.close();
    app().busy = false;
    outcome.ran = true;
    outcome.end = end;
    outcome.interrupted = g_interrupted != 0;
    if (outcome.interrupted) {
        std::fprintf(stderr, "brantwell-cli: test interrupted; the testers were told to stop\n");
    } else if (end == RunEnd::Finished) {
        const FinishedTest finished = EndOfRun(p, run.samples());
        if (a.json) {
            print_json(EndOfRunJson(p, run.samples(), finished));
        } else {
            std::fputs(finished.report.OverallText.c_str(), stdout);
            std::fputs(("\r\n" + written_files_text(finished.files)).c_str(), stdout);
        }
        for (const auto& error : finished.files.errors)
            std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
    } else if (end != RunEnd::NoActivity) {
        MsgBox(run.message(), PromptIcon::Critical);
    }
    return run.failed_start_ticks();
}

int RunTest(const TestArgs& a) {
    if (a.drive.empty() || !std::isalpha(static_cast<unsigned char>(a.drive[0])) ||
        (a.drive.size() > 1 && a.drive.substr(1) != ":")) {
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
    int status = kExitFailed;
    if (app().basic_only_mode) {
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
        StartEnv env = program_start_env(state, steps);
        if (a.seconds > 0) env.test_time = a.seconds;
        Outcome outcome;
        env.open_test_window = [&](const TestParameters& p) { return run_headless(p, a, outcome); };
        YesPrompt yes(prompt());
        PromptScope scope(a.yes ? &yes : nullptr);
        std::signal(SIGINT, on_interrupt);
        std::signal(SIGTERM, on_interrupt);
        const StartOutcome started = Command1_Click(state.options, env);
        if (started == StartOutcome::Aborted && !a.yes)
            std::fprintf(stderr, "brantwell-cli: the test was not started (give --yes to answer "
                                 "the questions above with Yes)\n");
        status = outcome.interrupted ? kExitInterrupted
                 : started == StartOutcome::Ran && outcome.end == RunEnd::Finished ? kExitDone
                                                                                   : kExitFailed;
    }
    state.options = saved;
    FrmMainUnload(steps, state);
    release_instance_lock();
    return status;
}

const RegisterVerb kTest([](CLI::App& app) {
    auto a = std::make_shared<TestArgs>();
    CLI::App* cmd = app.add_subcommand("test", "Run the main test on a drive");
    cmd->add_option("--drive", a->drive, "Drive letter of the drive list, e.g. D:")->required();
    cmd->add_flag("--read", a->read, "Read test (the default when --write is not given)");
    cmd->add_flag("--write", a->write, "Write test (needs free space on the drive)");
    cmd->add_option("--multi", a->multi, "Multi-task level: 0 none, 1 Lite, 2 Heavy, 3 Heavy with "
                                          "the other side")
        ->check(CLI::Range(0, 3));
    cmd->add_option("--type", a->type, "1 Functional (a test file), 2 Performance (the drive)")
        ->check(CLI::Range(1, 2));
    cmd->add_option("--blocks", a->blocks,
                    "Block codes 1-9, A, B (4KB .. 4096KB); default: the saved selection");
    cmd->add_option("--seconds", a->seconds, "Seconds per block (\"Test Time\")")
        ->check(CLI::Range(1, 3600));
    cmd->add_flag("--yes", a->yes, "Answer the start's questions with Yes");
    cmd->add_flag("--ignore-usage", a->ignore_usage, "Skip the disk-activity watch");
    cmd->add_flag("--json", a->json,
                  "Print the results as one JSON document (schema brantwell.test/1)");
    cmd->callback([a] { exit_code() = RunTest(*a); });
});

}  // namespace
}  // namespace bw::cli
