// check --drive X: [--repair] [--yes] [--json]: the file system's own checker on the volume of a
// drive letter, as the disk check window runs it. Exit status 0: no problems (or all repaired);
// 1: problems were found and left, or repaired, or no result (no checker, the checker failed);
// 3: the device cannot be opened (no root, or the system refuses it); 130: stopped by Ctrl-C.
#include <cctype>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/ProgressLine.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "platform/DirectIo.h"
#include "platform/TerminalPrompt.h"
#include "platform/folders.h"
#include "tools/ChkDskTexts.h"
#include "tools/ChkDskVolume.h"

namespace bw::cli {
namespace {

struct CheckArgs {
    std::string drive;
    bool repair = false, yes = false, json = false;
};

volatile std::sig_atomic_t g_stop = 0;
void on_stop_signal(int) {
    g_stop = 1;
}

// Ctrl-C asks the check to stop like the window's Cancel, so a volume unmounted for a repair is
// mounted again before the program ends.
class CliSink : public IChkDskSink {
  public:
    explicit CliSink(bool print) : print_(print) {}
    void Done(bool& bError) override { error = bError; }
    void Progress(std::int32_t value, bool& bCancel) override {
        percent = value;
        if (!print_) line_.show(value, 100, "Checking");  // the checker's own lines say it
        bCancel = g_stop != 0;
    }
    void Status(std::string text, bool& bCancel) override {
        if (print_) std::fputs(text.c_str(), stdout), std::fflush(stdout);
        output += text;
        bCancel = g_stop != 0;
    }
    std::string output;
    std::int32_t percent = 0;
    bool error = false;

  private:
    bool print_;
    ProgressLine line_;
};

std::string_view outcome_name(CheckOutcome o) {
    struct Name {
        CheckOutcome outcome;
        std::string_view name;
    };
    static constexpr Name kNames[] = {
        {CheckOutcome::NoProblems, "no_problems"}, {CheckOutcome::Repaired, "repaired"},
        {CheckOutcome::RepairDone, "repair_done"}, {CheckOutcome::ProblemsLeft, "problems_left"},
        {CheckOutcome::Failed, "failed"},          {CheckOutcome::Cancelled, "cancelled"}};
    for (const auto& n : kNames)
        if (n.outcome == o) return n.name;
    return "failed";
}

int exit_status_of(const ChkDskResult& r) {
    if (r.outcome == CheckOutcome::Cancelled) return kExitInterrupted;
    if (!r.ran || !IsResult(r.outcome)) return kExitFailed;
    return r.outcome == CheckOutcome::NoProblems || r.outcome == CheckOutcome::RepairDone
               ? kExitDone
               : kExitFailed;
}

int RunCheck(const CheckArgs& args) {
    if (args.drive.empty() || !std::isalpha(static_cast<unsigned char>(args.drive[0])) ||
        (args.drive.size() > 1 && args.drive[1] != ':')) {
        std::fprintf(stderr, "brantwell-cli: --drive takes a drive letter such as D:\n");
        return kExitUsage;
    }
    if (app().program_folder.empty()) app().program_folder = choose_program_folder().path;
    const SystemQuery& query = system_query();
    const VolumeMap map = BuildVolumeMap(
        query, app().program_folder.empty() ? std::filesystem::path() : app().prefs_ini());
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(args.drive[0])));
    if (!map.find(letter)) {
        std::fprintf(stderr, "brantwell-cli: %c: is not a drive of this machine\n", letter);
        return kExitNoDrive;
    }
    Mounts mounts(Sysroot("/"), live_mount_runner());
    ChkDskMachine machine{live_checker_host(), mounts, query, map};
    // The checker opens the device itself: a refusal is said before it runs, not after.
    if (const Volume* v = map.find(letter); v && !v->device_name.empty()) {
        const std::string device = "/dev/" + v->device_name;
        if (const std::string why = device_open_refusal(device); !why.empty()) {
            std::fprintf(stderr,
                         "brantwell-cli: the file system's checker cannot open %s (%s): checking "
                         "a volume needs root, on a device the system lets root open\n",
                         device.c_str(), why.c_str());
            return kExitRefused;
        }
    }
    // The question to unmount for a repair: --yes, the terminal, or unasked No.
    TerminalPrompt prompt(answer_mode_for_changes(args.yes));
    set_prompt(&prompt);
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);

    CliSink sink(!args.json);
    const ChkDskResult r = Chkdsk(args.drive, {.repair = args.repair}, sink, machine);
    set_prompt(nullptr);
    const std::string_view verdict = VerdictText(sink.output, args.repair, r);
    if (args.json) {
        nlohmann::ordered_json j{{"schema", schema_name("check")},
                                 {"drive", std::string(1, letter) + ":"},
                                 {"ran", r.ran},
                                 {"repaired", r.repaired},
                                 {"outcome", outcome_name(r.outcome)},
                                 {"verdict", verdict},
                                 {"output", sink.output}};
        print_json(j);
    } else {
        std::printf("%s\n", std::string(DoneText(r.outcome == CheckOutcome::Cancelled)).c_str());
        if (!verdict.empty())
            std::printf("%.*s\n", static_cast<int>(verdict.size()), verdict.data());
    }
    return exit_status_of(r);
}

const RegisterVerb kCheck([](CLI::App& app) {
    auto args = std::make_shared<CheckArgs>();
    CLI::App* cmd = app.add_subcommand(
        "check",
        "Check a volume with its file system's checker (root); exit 0 no problems, 1 "
        "problems found or no result");
    cmd->add_option("--drive", args->drive, "Drive letter of the volume, such as D:")->required();
    cmd->add_flag("--repair", args->repair,
                  "Repair: the volume is unmounted for it and mounted again (asks; see --yes)");
    cmd->add_flag("--yes", args->yes,
                  "Answer Yes to the question to unmount the volume (unasked: No)");
    cmd->add_flag("--json", args->json,
                  "Print the result as one JSON document (schema brantwell.check/1)");
    cmd->callback([args] { exit_code() = RunCheck(*args); });
});

}  // namespace
}  // namespace bw::cli
