// baseline --drive X: [--json]: the quick read baseline of one drive: ten seconds of reads of its
// raw volume, in MB/s. Prints the reason, and exits 1, when the volume cannot be read.
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/StandaloneArgs.h"
#include "cli/Verbs.h"
#include "standalone/modQuickREAD.h"

namespace bw::cli {
namespace {

struct BaselineArgs {
    std::string drive;
    bool json = false;
};

int RunBaseline(const BaselineArgs& args) {
    InventoryRun run;
    int status = 0;
    const char letter = drive_for_test(args.drive, run, &status);
    if (!letter) return status;
    const basic::QuickReadResult r = basic::QuickRead(letter, {});
    if (args.json)
        std::printf("%s\n", nlohmann::ordered_json{{"drive", std::string(1, letter) + ":"},
                                                   {"mb_per_second", r.mb_per_second},
                                                   {"reason", r.reason}}
                                .dump(2)
                                .c_str());
    else if (r.reason.empty())
        std::printf("%c: %lld MB/s\n", letter, r.mb_per_second);
    if (!r.reason.empty()) {
        std::fprintf(stderr, "brantwell-cli: %c: no baseline: %s\n", letter, r.reason.c_str());
        return 1;
    }
    return 0;
}

const RegisterVerb kBaseline([](CLI::App& app) {
    auto args = std::make_shared<BaselineArgs>();
    CLI::App* cmd = app.add_subcommand(
        "baseline", "Measure a drive's quick read baseline (10 s of raw volume reads; root)");
    cmd->add_option("--drive", args->drive, "Drive letter (e.g. D:)")->required();
    cmd->add_flag("--json", args->json, "Print JSON");
    cmd->callback([args] { exit_code() = RunBaseline(*args); });
});

}  // namespace
}  // namespace bw::cli
