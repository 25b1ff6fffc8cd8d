// sysinfo [--json] [--sysroot DIR]: the system facts the reports carry. Facts the system does not
// tell would be asked for in the program; here those questions are answered with Cancel.
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "drives/DriveReport.h"
#include "platform/DriveIdentify.h"
#include "platform/SystemRequirements.h"

namespace bw::cli {
namespace {

struct SysInfoArgs {
    bool json = false;
    std::string drive;
    std::string sysroot = "/";
};

int RunSysInfo(const SysInfoArgs& args) {
    const SystemQuery query{Sysroot(args.sysroot)};
    if (const std::string why = not_a_captured_system(query.sysroot()); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
        return kExitUsage;
    }
    if (!args.drive.empty()) {
        // The drive report of one letter ("C" or "C:"); anything else is not a letter at all.
        const std::string& d = args.drive;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(d.front())));
        if (letter < 'A' || letter > 'Z' || d.size() > 2 || (d.size() == 2 && d[1] != ':')) {
            std::fprintf(stderr, "brantwell-cli: %s is not a drive letter (A to Z)\n", d.c_str());
            return kExitUsage;
        }
        const VolumeMap map = BuildVolumeMap(query, {});
        const std::string text = DriveCInfo(letter, query, map) +
                                 LetterSpecificationsText(query, map, letter, may_ask_drives());
        // A letter no volume has gets the report's own words, as an error.
        if (!map.find(letter)) {
            std::fputs(text.c_str(), stderr);
            return kExitNoDrive;
        }
        if (args.json)
            print_json(with_schema(
                "sysinfo", {{"drive", std::string(1, letter) + ":"}, {"report", text}}));
        else
            std::fputs(text.c_str(), stdout);
        return kExitDone;
    }
    SystemFacts facts;
    SysInfo(facts, query, query.online_processors(), {});
    if (args.json)
        print_json(with_schema("sysinfo", SystemFactsJson(facts)));
    else
        std::fputs(RenderSystemFactsText(facts).c_str(), stdout);
    return kExitDone;
}

const RegisterVerb kSysInfo([](CLI::App& app) {
    auto args = std::make_shared<SysInfoArgs>();
    CLI::App* cmd =
        app.add_subcommand("sysinfo", "Show the system facts (processor, board, BIOS, memory)");
    cmd->add_flag("--json", args->json,
                  "Print one JSON document (schema brantwell.sysinfo/1)");
    cmd->add_option("--drive", args->drive, "Show the report on one drive letter instead (e.g. C)");
    cmd->add_option("--sysroot", args->sysroot,
                    "Read a captured system (a folder with proc, sys, etc) instead of this machine")
        ->check(CLI::ExistingDirectory);
    cmd->callback([args] { exit_code() = RunSysInfo(*args); });
});

}  // namespace
}  // namespace bw::cli
