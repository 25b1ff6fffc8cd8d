// history --drive X: [--json] [--sysroot DIR]: the tests recorded for the disk beneath a drive
// letter, found by the disk's identity (so tests under another letter count), and whether the
// latest is slower than the ones before it.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/StandaloneArgs.h"
#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "drives/DriveStartup.h"
#include "drives/DriveText.h"
#include "platform/SystemRequirements.h"
#include "results/DriveHistory.h"
#include "results/DriveIdentity.h"

namespace bw::cli {
namespace {

using namespace results;

struct HistoryArgs {
    std::string drive, sysroot = "/";
    bool json = false;
};

// The latest test is every entry with the latest time; the earlier ones are the rest.
struct Split {
    std::vector<HistoryEntry> earlier, latest;
};
Split split_latest(const std::vector<HistoryEntry>& mine) {
    Split s;
    std::string last;
    for (const auto& e : mine) last = std::max(last, e.when);
    for (const auto& e : mine) (e.when == last ? s.latest : s.earlier).push_back(e);
    return s;
}

int RunHistory(const HistoryArgs& args) {
    std::string error;
    const char letter = parse_drive_letter(args.drive, &error);
    if (!letter) {
        std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
        return kExitUsage;
    }
    const SystemQuery query{Sysroot(args.sysroot)};
    if (const std::string why = not_a_captured_system(query.sysroot()); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
        return kExitUsage;
    }
    if (!ensure_program_folder(&error)) {
        std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
        return kExitFailed;
    }
    InventoryRunOptions options;
    if (query.sysroot().is_live()) options.prefs = app().prefs_ini();  // the letters in use here
    const InventoryRun run = TakeInventory(query, options);
    if (!run.map.find(letter)) {
        std::fprintf(stderr, "brantwell-cli: %c: is not a drive of this machine\n", letter);
        return kExitNoDrive;  // no such drive
    }
    const DriveIdentity id = drive_identity(query, LetterDevice(run.map, letter));
    if (id.key.empty()) {
        std::fprintf(stderr, "brantwell-cli: %c: has no history: %s\n", letter, id.reason.c_str());
        return kExitFailed;
    }
    const auto file = app().program_folder / kDriveHistoryFile;
    auto history = read_history(file, &error);
    if (!history && !error.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s: %s\n", file.c_str(), error.c_str());
        return kExitFailed;
    }
    const auto mine = entries_of(history ? history->entries : std::vector<HistoryEntry>{}, id.key);
    const Split split = split_latest(mine);
    const auto slower = slower_blocks(split.earlier, split.latest);

    if (args.json) {
        nlohmann::ordered_json tests = nlohmann::ordered_json::array();
        for (const auto& e : mine)
            tests.push_back({{"time", e.when},
                             {"drive", e.drive},
                             {"type", e.type},
                             {"block", e.block},
                             {"peak_read_bytes_per_s", e.peak_read},
                             {"peak_write_bytes_per_s", e.peak_write}});
        nlohmann::ordered_json found = nlohmann::ordered_json::array();
        for (const auto& s : slower)
            found.push_back({{"block", s.block},
                             {"side", s.write ? "write" : "read"},
                             {"bytes_per_s", s.now},
                             {"median_bytes_per_s", s.median},
                             {"earlier_tests", s.earlier},
                             {"below_percent", std::round(s.percent_below() * 10) / 10}});
        const nlohmann::ordered_json out = {
            {"schema", "brantwell.history/1"},
            {"drive", std::string(1, letter) + ":"},
            {"identity", id.key},
            {"model", id.model},
            {"file", file.string()},
            {"skipped_lines", history ? history->skipped : 0},
            {"tests", tests},
            {"slower", found},
            {"slower_line", slower_line(slower)}};
        print_json(out);
        return kExitDone;
    }
    std::printf("%c: %s\nidentity: %s\n", letter, id.model.c_str(), id.key.c_str());
    if (mine.empty()) std::printf("No tests of this drive are recorded in %s\n", file.c_str());
    for (const auto& e : mine)
        std::printf("%s  %s  %-11s  %-6s  read %s Bps  write %s Bps\n", e.when.c_str(),
                    e.drive.c_str(), e.type.c_str(), e.block.c_str(),
                    format_grouped(e.peak_read).c_str(), format_grouped(e.peak_write).c_str());
    if (!slower.empty()) std::printf("%s\n", slower_line(slower).c_str());
    if (history && history->skipped)
        std::fprintf(stderr, "brantwell-cli: %s: %zu lines are not history lines\n", file.c_str(),
                     history->skipped);
    return kExitDone;
}

const RegisterVerb kHistory([](CLI::App& app) {
    auto args = std::make_shared<HistoryArgs>();
    CLI::App* cmd = app.add_subcommand(
        "history", "The recorded tests of the disk beneath a drive letter, under any letter");
    cmd->add_option("--drive", args->drive, "Drive letter (e.g. D:)")->required();
    cmd->add_flag("--json", args->json, "Print JSON");
    cmd->add_option("--sysroot", args->sysroot, "Read the machine from a captured tree");
    cmd->callback([args] { exit_code() = RunHistory(*args); });
});

}  // namespace
}  // namespace bw::cli
