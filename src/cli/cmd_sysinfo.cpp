// sysinfo [--json] [--sysroot DIR]: the system facts the reports carry. Facts the system does not
// tell would be asked for in the program; here those questions are answered with Cancel.
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/Verbs.h"
#include "drives/DriveReport.h"

namespace bw::cli {
namespace {

struct SysInfoArgs {
    bool json = false;
    std::string drive;
    std::string sysroot = "/";
};

int RunSysInfo(const SysInfoArgs& args) {
    const SystemQuery query{Sysroot(args.sysroot)};
    if (!args.drive.empty()) {
        // The drive report of one letter.
        const VolumeMap map = BuildVolumeMap(query, {});
        const std::string text = DriveCInfo(args.drive.front(), query, map);
        if (args.json)
            std::printf("%s\n",
                        nlohmann::ordered_json{{"drive", args.drive.substr(0, 1)}, {"report", text}}
                            .dump(2)
                            .c_str());
        else
            std::fputs(text.c_str(), stdout);
        return map.find(
                   static_cast<char>(std::toupper(static_cast<unsigned char>(args.drive.front()))))
                   ? 0
                   : 1;
    }
    SystemFacts facts;
    SysInfo(facts, query, query.online_processors(), {});
    if (args.json)
        std::printf("%s\n", SystemFactsJson(facts).dump(2).c_str());
    else
        std::fputs(RenderSystemFactsText(facts).c_str(), stdout);
    return 0;
}

const RegisterVerb kSysInfo([](CLI::App& app) {
    auto args = std::make_shared<SysInfoArgs>();
    CLI::App* cmd =
        app.add_subcommand("sysinfo", "Show the system facts (processor, board, BIOS, memory)");
    cmd->add_flag("--json", args->json, "Print JSON");
    cmd->add_option("--drive", args->drive, "Show the report on one drive letter instead (e.g. C)");
    cmd->add_option("--sysroot", args->sysroot, "Read a captured system instead of this machine")
        ->check(CLI::ExistingDirectory);
    cmd->callback([args] { exit_code() = RunSysInfo(*args); });
});

}  // namespace
}  // namespace bw::cli
