// baseline --drive X: [--json]: the quick read baseline of one drive: ten seconds of reads of its
// raw volume, in MB/s. Exits 3 with the system's reason when the volume may not be opened, and 1
// with the reason when it could not be read.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/ProgressLine.h"
#include "cli/StandaloneArgs.h"
#include "cli/Verbs.h"
#include "drives/VolumeMap.h"
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
    if (const int refused = refused_raw_read(LetterDevice(volume_map(), letter))) return refused;
    basic::QuickReadResult r;
    {
        // The status text gains a dot after each pass over the volume; the bar runs over the ten
        // seconds.
        ProgressLine progress;
        const auto start = std::chrono::steady_clock::now();
        r = basic::QuickRead(letter, [&](const std::string& text) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            progress.show(took.count(), basic::kQuickReadSeconds, text);
        });
    }
    if (args.json)
        print_json(with_schema("baseline", {{"drive", std::string(1, letter) + ":"},
                                            {"mb_per_s", r.mb_per_second},
                                            {"reason", r.reason}}));
    else if (r.reason.empty())
        std::printf("%c: %lld MB/s\n", letter, r.mb_per_second);
    if (!r.reason.empty()) {
        std::fprintf(stderr, "brantwell-cli: %c: no baseline: %s\n", letter, r.reason.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

const RegisterVerb kBaseline([](CLI::App& app) {
    auto args = std::make_shared<BaselineArgs>();
    CLI::App* cmd = app.add_subcommand(
        "baseline", "Measure a drive's quick read baseline (10 s of raw volume reads; root)");
    cmd->add_option("--drive", args->drive, "Drive letter of the drive list (e.g. D:)")
        ->required();
    cmd->add_flag("--json", args->json,
                  "Print the result as one JSON document (schema brantwell.baseline/1)");
    cmd->callback([args] { exit_code() = RunBaseline(*args); });
});

}  // namespace
}  // namespace bw::cli
