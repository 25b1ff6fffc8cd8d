// monitor --drive X: [--count N] [--json] [--sysroot DIR]: the logical drive monitor's 28 figures
// once a second, read from the same counter groups the desktop program adds. In a terminal the table redraws in
// place; piped, each tick's table follows the last; --json prints one object per tick.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "counters/CounterDisks.h"
#include "counters/Counters.h"
#include "drives/DiskNumbers.h"
#include "drives/DriveStartup.h"
#include "platform/PdhQuery.h"
#include "platform/SystemRequirements.h"
#include "platform/ThisProcess.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "tools/LogicalDrive.h"
#include "tools/LogicalDriveText.h"

namespace bw::cli {
namespace {

struct MonitorArgs {
    std::string drive;
    int count = 0;
    bool json = false;
    std::string sysroot = "/";
};

// "e", "E:" or "E:\\" -> 'E'; 0 for anything else.
char drive_letter(std::string_view text) {
    if (text.size() == 3 && (text[2] == '\\' || text[2] == '/')) text.remove_suffix(1);
    if (text.size() == 2 && text[1] == ':') text.remove_suffix(1);
    if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0]))) return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

std::string listed_letters() {
    std::string out;
    for (const auto& instance : counters().LogicalList) out += (out.empty() ? "" : ", ") + instance;
    return out.empty() ? "none" : out;
}

// The counter groups the monitor reads, set up as the program's start-up does: the volume letters
// first (the disk instances carry them), then memory, logical disks and processors.
std::string set_up_counters(bool captured) {
    AppState& a = app();
    a.computer_name = this_process::host_name();
    a.processor_count = this_process::online_processors();
    if (captured) {
        // A captured system is looked at, not changed: its letters are given afresh and not
        // remembered.
        volume_map() = BuildVolumeMap(system_query(), {});
        pdh().set_disk_map(ToCounterDiskMap(NumberedDisks(system_query(), {}), volume_map()));
    } else {
        if (a.program_folder.empty()) {
            const FolderResult folder = choose_program_folder();
            if (folder.path.empty())
                return "no program folder to remember drive letters in: " + folder.error;
            a.program_folder = folder.path;
        }
        PrepareVolumes();
    }
    ListLogicalDisks();
    AddMemoryCounters();
    AddLogicalDiskCounters();
    AddProcessorCounters();
    return "";
}

int run_monitor(const MonitorArgs& args) {
    const char letter = drive_letter(args.drive);
    if (!letter) {
        std::fprintf(stderr,
                     "brantwell-cli: monitor: \"%s\" is not a drive letter (give it as E:)\n",
                     args.drive.c_str());
        return kExitUsage;
    }
    const bool captured = args.sysroot != "/";
    if (captured) {
        auto query = std::make_shared<SystemQuery>(Sysroot(args.sysroot));
        if (const std::string why = not_a_captured_system(query->sysroot()); !why.empty()) {
            std::fprintf(stderr, "brantwell-cli: monitor: %s\n", why.c_str());
            return kExitUsage;
        }
        set_system_query(query);
        // The counter layer over the captured /proc and /sys, for the rest of the program.
        static PdhLibrary captured_counters{Sysroot(args.sysroot)};
        set_pdh(&captured_counters);
    }
    if (const std::string why = set_up_counters(captured); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: monitor: %s\n", why.c_str());
        return kExitFailed;
    }
    const auto volume = logical_disk_by_letter(counters(), letter);
    if (!volume) {
        std::fprintf(stderr, "brantwell-cli: monitor: no drive %c: on this machine (drives: %s)\n",
                     letter, listed_letters().c_str());
        return kExitNoDrive;
    }
    if (volume->counters[logical_disk::kDiskReadTime] == 0) {
        std::fprintf(stderr,
                     "brantwell-cli: monitor: the counters of %c: could not be added (disk "
                     "statistics switched off? see the counter repair)\n",
                     letter);
        return kExitFailed;
    }
    const bool terminal = !args.json && ::isatty(STDOUT_FILENO);
    CollectCounters();  // the baseline: rates need two collects
    // Ticks on a fixed beat from the baseline, so they do not drift from another tool's seconds.
    const std::int64_t start = clock().now_ms();
    for (int tick = 1; args.count <= 0 || tick <= args.count; ++tick) {
        Pause(std::max<std::int64_t>(0, start + 1000LL * tick - clock().now_ms()));
        const MonitorSnapshot snapshot = ReadMonitorSnapshot(letter);
        const MonitorFigures figures = MonitorFiguresOf(snapshot);
        if (args.json) {
            auto j = MonitorJson(snapshot, figures);
            j["tick"] = tick;
            print_json(with_schema("monitor", j), true);
        } else if (terminal) {
            // Home and clear, then the table: it redraws in place.
            std::printf("\x1b[H\x1b[2J%s", MonitorTable(snapshot, figures, true).c_str());
        } else {
            std::printf("%s-- %d\n%s", tick > 1 ? "\n" : "", tick,
                        MonitorTable(snapshot, figures, false).c_str());
        }
        std::fflush(stdout);
    }
    CloseCounterQuery();
    return kExitDone;
}

const RegisterVerb kMonitor([](CLI::App& app) {
    auto args = std::make_shared<MonitorArgs>();
    CLI::App* cmd = app.add_subcommand(
        "monitor", "Show the logical drive monitor's figures of a drive once a second");
    cmd->add_option("--drive", args->drive, "Drive letter, as the drive list shows it (E:)")
        ->required();
    cmd->add_option("--count", args->count, "Number of seconds to show (0: until stopped)")
        ->check(CLI::Range(0, 1000000000));
    cmd->add_option("--sysroot", args->sysroot,
                    "Read a captured system (a folder with proc, sys, etc) instead of this "
                    "machine; its counters stand still, so rates read 0")
        ->check(CLI::ExistingDirectory);
    cmd->add_flag("--json", args->json,
                  "One JSON document per line each second: readings and shown texts (schema "
                  "brantwell.monitor/1)");
    cmd->callback([args] { exit_code() = run_monitor(*args); });
});

}  // namespace
}  // namespace bw::cli
