// basic --drive X: [--blocks CODES] [--seconds N] [--read] [--write] [--source 1|2] [--json]: the
// basic test of one drive, timed by this process. Ctrl-C cancels at the next sampled second and
// removes the test files. Questions the window would ask (too little room for the write test)
// are answered No.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/StandaloneArgs.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "standalone/BasicPlan.h"
#include "standalone/BasicRun.h"

namespace bw::cli {
namespace {

struct BasicArgs {
    std::string drive, blocks = "5";
    int seconds = 0;
    bool read = false, write = false, json = false;
    int source = 1;
};

std::atomic<bool> g_cancel{false};
extern "C" void on_interrupt(int) {
    g_cancel = true;
}

// Status lines and problems go to standard error as they happen; the figures to standard output.
struct Progress : basic::BasicObserver {
    bool quiet = false;
    void status(const std::string& text) override {
        if (!quiet) std::fprintf(stderr, "%s\n", text.c_str());
    }
    void problem(const std::string& reason) override {
        std::fprintf(stderr, "brantwell-cli: %s\n", reason.c_str());
    }
};

std::string without_cr(std::string text) {
    std::erase(text, '\r');
    return text;
}

nlohmann::ordered_json outcome_json(const basic::BasicParams& p, const basic::BasicOutcome& out) {
    nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
    for (const auto& b : out.blocks)
        blocks.push_back({{"test", b.side == Side::Write ? "write" : "read"},
                          {"code", std::string(1, b.code)},
                          {"block_bytes", b.block_size},
                          {"peak_bps", b.figures.peak},
                          {"peak_iops", b.figures.peak_io},
                          {"average_bps", b.figures.average},
                          {"average_iops", b.figures.average_io},
                          {"samples_bps", b.samples}});
    return {{"drive", std::string(1, p.drive) + ":"},
            {"seconds_per_block", p.seconds_per_block},
            {"unit_size", p.unit_size},
            {"file_size_mb", p.file_size},
            {"read_source", p.read_source == basic::ReadSource::File ? "file" : "volume"},
            {"cancelled", out.cancelled},
            {"problems", out.problems},
            {"blocks", blocks}};
}

int RunBasic(const BasicArgs& args) {
    for (char c : args.blocks)
        if (!basic::basic_block(c)) {
            std::fprintf(stderr,
                         "brantwell-cli: --blocks takes the codes 1 to 9, A and B, not %c\n", c);
            return 2;
        }
    InventoryRun run;
    int status = 0;
    const char letter = drive_for_test(args.drive, run, &status);
    if (!letter) return status;
    MainOptions o;
    for (const auto& entry : run.inv.DriveList)
        if (!entry.empty() && entry.front() == letter) o.DriveList = {entry};
    if (o.DriveList.empty()) {
        std::fprintf(stderr, "brantwell-cli: %c: is not a drive of this machine\n", letter);
        return 1;
    }
    o.DriveListIndex = 0;
    o.ChkRead.checked = args.read || !args.write;
    o.ChkWrite.checked = args.write || !args.read;
    o.SelBlock = block_selection(args.blocks);
    o.TestType = args.source == 1 ? 0 : 1;

    const basic::BasicTarget target = basic::ResolveTarget(letter);
    if (target.test_folder.empty() && (o.ChkWrite.checked || args.source == 1)) {
        std::fprintf(stderr, "brantwell-cli: %s\n", target.reason.c_str());
        return 1;
    }
    basic::PlanFacts facts = basic::MachinePlanFacts(letter, target, run.inv.ClusterList2);
    const auto prefs = app().prefs_ini();
    if (args.seconds > 0) {
        facts.test_time = args.seconds;
        facts.adjust_test_time = false;
    } else if (const long long t = ValInt(ReadINI(prefs, keys::kSettings, keys::kTestTime));
               t > 0) {
        facts.test_time = static_cast<int>(t);
        facts.adjust_test_time = ReadINI(prefs, keys::kSettings, keys::kAdjustTestTime) != "0";
    }
    const auto params = basic::PlanBasicTest(o, facts);
    if (!params) return 1;

    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);
    const auto drive =
        basic::make_direct_drive(app().working_folder, target.test_folder, target.device);
    Progress progress;
    progress.quiet = args.json;
    basic::BasicRun test(*params, *drive, basic::steady_seconds(), progress, g_cancel);
    const basic::BasicOutcome out = test.run();
    if (args.json)
        std::printf("%s\n", outcome_json(*params, out).dump(2).c_str());
    else
        std::fputs(without_cr(out.summary).c_str(), stdout);
    if (out.cancelled) {
        std::fprintf(stderr, "brantwell-cli: cancelled; the test files were removed\n");
        return 130;
    }
    return out.problems.empty() ? 0 : 1;
}

const RegisterVerb kBasic([](CLI::App& app) {
    auto args = std::make_shared<BasicArgs>();
    CLI::App* cmd = app.add_subcommand(
        "basic", "Run the basic read/write test of one drive (times its own direct I/O)");
    cmd->add_option("--drive", args->drive, "Drive letter to test (e.g. D:)")->required();
    cmd->add_option("--blocks", args->blocks,
                    "Block codes in test order: 1=4KB 2=8KB 3=16KB 4=32KB 5=64KB 6=96KB 7=128KB "
                    "8=256KB 9=512KB A=1024KB B=4096KB")
        ->capture_default_str();
    cmd->add_option("--seconds", args->seconds,
                    "Seconds per block (default: the preference Test Time)")
        ->check(CLI::Range(1, 3600));
    cmd->add_flag("--read", args->read, "Run the read test (without --write: only it)");
    cmd->add_flag("--write", args->write, "Run the write test (without --read: only it)");
    cmd->add_option("--source", args->source,
                    "Read test source: 1 a test file it writes first, 2 the raw volume (root)")
        ->check(CLI::IsMember({1, 2}))
        ->capture_default_str();
    cmd->add_flag("--json", args->json, "Print JSON");
    cmd->callback([args] { exit_code() = RunBasic(*args); });
});

}  // namespace
}  // namespace bw::cli
