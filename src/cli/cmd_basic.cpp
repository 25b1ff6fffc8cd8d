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

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/ProgressLine.h"
#include "cli/StandaloneArgs.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "drives/DriveText.h"
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

// Status and the sampled seconds go to standard error as they happen (a bar in a terminal);
// problems too; the figures to standard output.
struct Progress : basic::BasicObserver {
    explicit Progress(double total_seconds) : total_seconds_(total_seconds) {}
    void status(const std::string& text) override { status_ = text; }
    void sample(const basic::SampleEvent& e) override {
        line_.show(e.progress, total_seconds_,
                   status_ + "  " + format_grouped(e.current) + " Bps");
    }
    void problem(const std::string& reason) override {
        line_.message("brantwell-cli: " + reason);
    }

  private:
    double total_seconds_;
    std::string status_;
    ProgressLine line_;
};

std::string without_cr(std::string text) {
    std::erase(text, '\r');
    return text;
}

nlohmann::ordered_json outcome_json(const basic::BasicParams& p, const basic::BasicOutcome& out) {
    nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
    for (const auto& b : out.blocks)
        blocks.push_back({{"side", b.side == Side::Write ? "write" : "read"},
                          {"block_code", std::string(1, b.code)},
                          {"block_bytes", b.block_size},
                          {"peak_bytes_per_s", b.figures.peak},
                          {"peak_ops_per_s", b.figures.peak_io},
                          {"average_bytes_per_s", b.figures.average},
                          {"average_ops_per_s", b.figures.average_io},
                          {"samples_bytes_per_s", b.samples}});
    return {{"drive", std::string(1, p.drive) + ":"},
            {"seconds_per_block", p.seconds_per_block},
            {"unit_bytes", p.unit_size},
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
            return kExitUsage;
        }
    InventoryRun run;
    int status = 0;
    const char letter = drive_for_test(args.drive, run, &status);
    if (!letter) return status;
    MainOptions o;
    o.DriveList = {drive_entry(run, letter)};
    o.DriveListIndex = 0;
    o.ChkRead.checked = args.read || !args.write;
    o.ChkWrite.checked = args.write || !args.read;
    o.SelBlock = block_selection(args.blocks);
    o.TestType = args.source == 1 ? 0 : 1;

    const basic::BasicTarget target = basic::ResolveTarget(letter);
    if (target.test_folder.empty() && (o.ChkWrite.checked || args.source == 1)) {
        std::fprintf(stderr, "brantwell-cli: %s\n", target.reason.c_str());
        return kExitFailed;
    }
    if (o.ChkRead.checked && args.source == 2)
        if (const int refused = refused_raw_read(target.device)) return refused;
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
    if (!params) return kExitFailed;

    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);
    const auto drive =
        basic::make_direct_drive(app().working_folder, target.test_folder, target.device);
    Progress progress(params->total_seconds);
    basic::BasicRun test(*params, *drive, basic::steady_seconds(), progress, g_cancel);
    const basic::BasicOutcome out = test.run();
    if (args.json)
        print_json(with_schema("basic", outcome_json(*params, out)));
    else
        std::fputs(without_cr(out.summary).c_str(), stdout);
    if (out.cancelled) {
        std::fprintf(stderr, "brantwell-cli: cancelled; the test files were removed\n");
        return kExitInterrupted;
    }
    return out.problems.empty() ? kExitDone : kExitFailed;
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
    cmd->add_flag("--json", args->json,
                  "Print the figures as one JSON document (schema brantwell.basic/1)");
    cmd->callback([args] { exit_code() = RunBasic(*args); });
});

}  // namespace
}  // namespace bw::cli
