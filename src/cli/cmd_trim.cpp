// trim --drive X: [--rewrite] [--second-off] [--yes] [--json]: the TRIM test of one volume, with
// the same phases, result lines and verdict as the window. The questions of the menu entry and the
// flash-wear warning are answered by --yes or at the terminal; unasked, nothing is written.
#include <cctype>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "drives/DriveStartup.h"
#include "platform/TerminalPrompt.h"
#include "platform/folders.h"
#include "standalone/TrimMenu.h"
#include "standalone/TrimRecord.h"
#include "standalone/TrimSteps.h"
#include "standalone/TrimTest.h"

namespace bw::cli {
namespace {

struct TrimArgs {
    std::string drive;
    bool rewrite = false, second_off = false, yes = false, json = false;
};

volatile std::sig_atomic_t g_stop = 0;
void on_stop_signal(int) {
    g_stop = 1;
}

bool set_up_folders() {
    AppState& a = app();
    FolderResult prog = choose_program_folder();
    FolderResult work = choose_working_folder(process_env, {});
    if (prog.path.empty() || work.path.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n",
                     (prog.path.empty() ? prog.error : work.error).c_str());
        return false;
    }
    a.program_folder = prog.path;
    a.hold_working_folder(work.path, std::move(work.fd));
    return true;
}

nlohmann::ordered_json result_json(const TrimTest& test, const TrimTarget& target,
                                   const std::vector<std::string>& restored) {
    const TrimScreen& s = test.screen();
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (int i = 0; i < 5; ++i)
        if (!s.TrimTest[i].empty()) lines.push_back(s.TrimTest[i]);
    return {{"drive", std::string(1, test.letter()) + ":"},
            {"mount_point", target.mount_point},
            {"test_file", target.test_file.string()},
            {"free_bytes", test.free_space()},
            {"test_area_bytes", test.test_area()},
            {"writes_per_phase", test.writes_per_phase()},
            {"estimate_seconds", test.estimate_seconds()},
            {"initial_bytes_per_s", test.initial_speed()},
            {"rewrite_bytes_per_s", test.rewrite_speed()},
            {"trim_on_bytes_per_s", test.trim_on_speed()},
            {"trim_off_bytes_per_s", test.trim_off_speed()},
            {"lines", lines},
            {"deciding_change", test.deciding_change()},
            {"verdict", s.TrimTest[kTrimVerdictLine]},
            {"stopped", test.stopped()},
            {"switch", s.switch_note},
            {"restored_first", restored},
            {"notes", s.notes}};
}

int RunTrim(const TrimArgs& args) {
    if (args.drive.empty() || !std::isalpha(static_cast<unsigned char>(args.drive[0])) ||
        (args.drive.size() > 1 && args.drive.substr(1) != ":")) {
        std::fprintf(stderr, "brantwell-cli: --drive takes a letter such as D:, not \"%s\"\n",
                     args.drive.c_str());
        return kExitUsage;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(args.drive[0])));
    if (!set_up_folders()) return kExitFailed;
    // Every text shown goes to standard error, so --json output stays one document.
    const AnswerMode mode = answer_mode_for_changes(args.yes);
    TerminalPrompt prompt(mode);
    set_prompt(&prompt);

    // What a test cut short left is put right before this test looks at the switch.
    const std::vector<std::string> restored = RestoreTrimOnThisMachine();
    for (const auto& said : restored) std::fprintf(stderr, "%s\n", said.c_str());

    const SystemQuery& query = system_query();
    const InventoryRun run = TakeInventory(query, {app().prefs_ini(), {}, {}});
    std::string entry;
    for (const auto& e : run.inv.DriveList)
        if (!e.empty() && std::toupper(static_cast<unsigned char>(e[0])) == letter) entry = e;
    if (entry.empty()) {
        std::fprintf(stderr, "brantwell-cli: %c: is not in the drive list\n", letter);
        return kExitNoDrive;
    }
    if (!ConfirmTrimTest(entry, prompt)) {
        std::fputs("brantwell-cli: the TRIM test did not run; nothing was written\n", stderr);
        // Unasked, the missing --yes is the command line's fault; a person's No is an answer.
        return mode == AnswerMode::Refuse ? kExitUsage : kExitFailed;
    }
    const TrimTarget target = ResolveTrimTarget(
        query, run.map, letter, {app().program_folder.string(), app().working_folder.string()});
    if (target.test_file.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", target.reason.c_str());
        return kExitFailed;
    }
    auto volume = TrimVolumeFor(target);
    // Each phase's label once, on standard error (with --json too: it is progress, not result).
    std::string shown_label;
    TrimTest test(letter, *volume, app().prefs_ini(), app().working_folder,
                  [&](const TrimScreen& s) {
                      if (s.Label1 == shown_label) return;
                      shown_label = s.Label1;
                      std::fprintf(stderr, "%s\n", s.Label1.c_str());
                  });
    test.options = {args.rewrite, args.second_off};
    test.restore_leftover = [] { return RestoreTrimOnThisMachine(); };
    test.Load();
    if (!args.json) {
        std::string label2 = test.screen().Label2;
        for (auto at = label2.find('\r'); at != std::string::npos; at = label2.find('\r'))
            label2.erase(at, 1);  // the window's CR LF; a terminal wants LF
        std::printf("%s\n%s", test.screen().switch_note.c_str(), label2.c_str());
    }
    // Ctrl-C stops the run at the next write: the switch goes back now, not at the next start.
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    test.stop_requested = [] { return g_stop != 0; };
    test.Command1();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const int status = test.stopped() ? kExitInterrupted : kExitDone;
    const TrimScreen& s = test.screen();
    if (args.json) {
        print_json(with_schema("trim", result_json(test, target, restored)));
        return status;
    }
    for (const auto& line : s.TrimTest)
        if (!line.empty()) std::printf("%s\n", line.c_str());
    for (const auto& n : s.notes) std::printf("note: %s\n", n.c_str());
    if (test.stopped()) std::printf("%s\n", s.Label1.c_str());
    return status;
}

const RegisterVerb kTrim([](CLI::App& app) {
    auto args = std::make_shared<TrimArgs>();
    CLI::App* cmd = app.add_subcommand(
        "trim",
        "TRIM test of a solid-state drive's volume (writes about 300 MB; switches discard)");
    cmd->add_option("--drive", args->drive, "The letter of the volume, e.g. D:")->required();
    cmd->add_flag("--rewrite", args->rewrite, "Include the re-write run");
    cmd->add_flag("--second-off", args->second_off, "Include a second TRIM OFF run");
    cmd->add_flag("--yes", args->yes,
                  "Answer the questions and the flash-wear warning with Yes (unasked: No)");
    cmd->add_flag("--json", args->json,
                  "Print the result as one JSON document (schema brantwell.trim/1)");
    cmd->callback([args] { exit_code() = RunTrim(*args); });
});

}  // namespace
}  // namespace bw::cli
