// drives [--json] [--sysroot DIR]: the drive list of this machine (or of a captured fixture) with
// the disks, volumes and letters behind it.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "drives/DriveReport.h"
#include "platform/DriveIdentify.h"
#include "platform/SystemRequirements.h"
#include "platform/folders.h"

namespace bw::cli {
namespace {

struct DrivesArgs {
    bool json = false;
    bool dirty = false;
    std::string sysroot = "/";
};

int RunDrives(const DrivesArgs& args) {
    const SystemQuery query{Sysroot(args.sysroot)};
    if (const std::string why = not_a_captured_system(query.sysroot()); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
        return kExitUsage;
    }
    InventoryRunOptions options;
    // A fixture's captured IDENTIFY pages stand for what root reads from the drives.
    options.ask_drives = !query.sysroot().is_live() || may_ask_drives();
    // Letters are remembered for this machine only; a fixture is looked at, not changed.
    if (query.sysroot().is_live()) {
        if (app().program_folder.empty()) app().program_folder = choose_program_folder().path;
        if (!app().program_folder.empty()) options.prefs = app().prefs_ini();
    }
    const InventoryRun run = TakeInventory(query, options);
    auto json = InventoryJson(run);
    std::string dirty_text;
    if (args.dirty) {
        auto& checks = json["dirty_check"] = nlohmann::ordered_json::array();
        for (const auto& entry : run.inv.DriveList) {
            CheckDirty(entry.front(), query, run.map);
            const DirtyResult& r = LastDirtyCheck();
            checks.push_back({{"letter", entry.substr(0, 1)},
                              {"dirty", r.dirty},
                              {"checked", r.checked},
                              {"detail", r.detail},
                              {"reason", r.reason}});
            dirty_text += entry.substr(0, 2) + (r.dirty ? " dirty" : " clean") +
                          (r.detail.empty() || r.detail == "clean" ? "" : " (" + r.detail + ")") +
                          (r.reason.empty() ? "" : ": " + r.reason) + "\n";
        }
    }
    if (args.json) {
        print_json(with_schema("drives", json));
    } else {
        std::fputs(RenderInventoryText(run).c_str(), stdout);
        if (args.dirty) std::printf("\nDirty check:\n%s", dirty_text.c_str());
    }
    return kExitDone;
}

const RegisterVerb kDrives([](CLI::App& app) {
    auto args = std::make_shared<DrivesArgs>();
    CLI::App* cmd = app.add_subcommand("drives", "List the drives to test, with disks and volumes");
    cmd->add_flag("--json", args->json,
                  "Print the drives as one JSON document (schema brantwell.drives/1)");
    cmd->add_flag("--dirty", args->dirty,
                  "Also tell whether each volume is marked dirty (reads superblocks; root)");
    cmd->add_option("--sysroot", args->sysroot,
                    "Read a captured system (a folder with proc, sys, etc) instead of this machine")
        ->check(CLI::ExistingDirectory);
    cmd->callback([args] { exit_code() = RunDrives(*args); });
});

}  // namespace
}  // namespace bw::cli
