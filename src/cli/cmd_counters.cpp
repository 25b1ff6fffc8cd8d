// counters PATH... [--interval MS] [--count N] [--json] [--sysroot DIR]: collects the counter
// layer once per interval and prints every path's value, the way to hold any counter against
// another tool. counters --list OBJECT prints an object's counters and instances. The disk
// instances carry the same numbers and letters as the drive list ("drives").
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "drives/DriveStartup.h"
#include "platform/PdhPath.h"
#include "platform/PdhQuery.h"
#include "platform/clock.h"
#include "platform/folders.h"

namespace bw::cli {
namespace {

struct CountersArgs {
    std::vector<std::string> paths;
    std::string list;
    int interval_ms = 1000;
    int count = 1;
    bool json = false;
    bool nocap = false;
    std::string sysroot = "/";
};

// The counter layer over this machine (or a captured one), its disks named as the inventory
// names them.
std::unique_ptr<PdhLibrary> make_library(const CountersArgs& a) {
    auto lib = std::make_unique<PdhLibrary>(Sysroot(a.sysroot));
    const SystemQuery query{Sysroot(a.sysroot)};
    InventoryRunOptions options;
    // Letters are remembered for this machine only; a fixture is looked at, not changed.
    if (query.sysroot().is_live()) {
        if (app().program_folder.empty()) app().program_folder = choose_program_folder().path;
        if (!app().program_folder.empty()) options.prefs = app().prefs_ini();
    }
    const InventoryRun run = TakeInventory(query, options);
    lib->set_disk_map(ToCounterDiskMap(run.disks, run.map));
    return lib;
}

std::vector<std::string> split_nul(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == '\0') {
            if (i > start) out.push_back(list.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

int list_object(const CountersArgs& a, PdhLibrary& lib) {
    std::string names, instances;
    const PdhStatus st = lib.EnumObjectItems("", a.list, &names, &instances);
    if (st != kPdhOk) {
        std::fprintf(stderr, "brantwell-cli: cannot list %s: %s\n", a.list.c_str(),
                     std::string(pdh_status_text(st)).c_str());
        return kExitUsage;
    }
    const auto counter_names = split_nul(names);
    const auto instance_names = split_nul(instances);
    if (a.json) {
        nlohmann::ordered_json j{{"schema", schema_name("counters")}};
        j["object"] = a.list;
        j["instances"] = instance_names;
        j["counters"] = nlohmann::ordered_json::array();
        for (const auto& c : counter_names)
            j["counters"].push_back(
                {{"name", c}, {"source", PdhLibrary::CounterHasSource(a.list, c)}});
        print_json(j, true);
        return kExitDone;
    }
    std::printf("%s counters:\n", a.list.c_str());
    for (const auto& c : counter_names)
        std::printf("  %s%s\n", c.c_str(),
                    PdhLibrary::CounterHasSource(a.list, c) ? "" : "  (n/a on Linux: reads 0)");
    if (!instance_names.empty()) {
        std::printf("%s instances:\n", a.list.c_str());
        for (const auto& i : instance_names) std::printf("  %s\n", i.c_str());
    }
    return 0;
}

int run_counters(const CountersArgs& a) {
    if (a.list.empty() && a.paths.empty()) {
        std::fprintf(stderr,
                     "brantwell-cli: counters: give at least one counter path or --list OBJECT\n");
        return kExitUsage;
    }
    if (a.sysroot != "/" &&
        !std::filesystem::is_directory(std::filesystem::path(a.sysroot) / "proc")) {
        std::fprintf(stderr, "brantwell-cli: %s has no proc: not a captured system\n",
                     a.sysroot.c_str());
        return kExitUsage;
    }
    const auto owned = make_library(a);
    PdhLibrary& lib = *owned;
    if (!a.list.empty()) return list_object(a, lib);
    PdhHandle query = 0;
    if (PdhStatus st = lib.OpenQuery(&query); st != kPdhOk) {
        std::fprintf(stderr, "brantwell-cli: cannot open a counter query: %s\n",
                     std::string(pdh_status_text(st)).c_str());
        return kExitFailed;
    }
    struct Added {
        std::string path;
        PdhHandle handle;
        bool source;
    };
    std::vector<Added> added;
    int failures = 0;
    // A value the system would not give reads 0 like a quiet counter: say which, and fail, so a
    // script never takes the 0 for a measurement.
    bool unread = false;
    const bool process_needs_root = ::geteuid() != 0;
    auto status_note = [&](const Added& c, PdhStatus st) -> std::string {
        if (st == kPdhNoSource) unread = true;
        const bool other_users = st == kPdhNoSource && process_needs_root &&
                                 c.path.find("\\Process(") != std::string::npos;
        return std::string(pdh_status_text(st)) +
               (other_users ? ": another user's process, readable by root only" : "");
    };
    for (const auto& path : a.paths) {
        // A path without a machine is this machine's.
        const std::string full =
            path.rfind("\\\\", 0) == 0 ? path : "\\\\" + lib.computer_name() + path;
        PdhHandle h = 0;
        const PdhStatus st = lib.AddCounter(query, full, &h);
        if (st != kPdhOk) {
            std::fprintf(stderr, "brantwell-cli: cannot add counter %s: %s\n", path.c_str(),
                         std::string(pdh_status_text(st)).c_str());
            ++failures;
            continue;
        }
        const auto parsed = ParsePdhPath(full);
        added.push_back(
            {path, h, parsed && PdhLibrary::CounterHasSource(parsed->object, parsed->counter)});
    }
    if (added.empty()) return kExitUsage;

    // The first collect is the baseline of the rates.
    lib.CollectQueryData(query);
    const std::int64_t start = clock().now_ms();
    for (int tick = 1; a.count <= 0 || tick <= a.count; ++tick) {
        Pause(a.interval_ms);
        lib.CollectQueryData(query);
        const std::int64_t elapsed = clock().now_ms() - start;
        if (a.json) {
            nlohmann::ordered_json j{{"schema", schema_name("counters")}};
            j["tick"] = tick;
            j["elapsed_ms"] = elapsed;
            nlohmann::ordered_json values = nlohmann::ordered_json::object();
            for (const auto& c : added) {
                PdhStatus st = kPdhOk;
                const double v = lib.GetDoubleCounterValue(c.handle, &st, !a.nocap);
                values[c.path] = v;
                if (st != kPdhOk) j["status"][c.path] = status_note(c, st);
                if (!c.source) j["status"][c.path] = "n/a on Linux";
            }
            j["values"] = std::move(values);
            print_json(j, true);
        } else {
            std::printf("-- %d (%.3f s)\n", tick, elapsed / 1000.0);
            for (const auto& c : added) {
                PdhStatus st = kPdhOk;
                const double v = lib.GetDoubleCounterValue(c.handle, &st, !a.nocap);
                std::string note;
                if (!c.source)
                    note = "  (n/a on Linux)";
                else if (st != kPdhOk)
                    note = "  (" + status_note(c, st) + ")";
                std::printf("%s\t%s%s\n", c.path.c_str(), fmt::format("{:.6g}", v).c_str(),
                            note.c_str());
            }
        }
        std::fflush(stdout);
    }
    lib.CloseQuery(query);
    if (unread)
        std::fprintf(stderr, "brantwell-cli: some counters could not be read and show 0%s\n",
                     process_needs_root ? " (reading other users' processes needs root)" : "");
    return failures || unread ? kExitFailed : kExitDone;
}

const RegisterVerb kCounters([](CLI::App& app) {
    auto args = std::make_shared<CountersArgs>();
    CLI::App* cmd = app.add_subcommand("counters",
                                       "Print performance counters once per interval "
                                       "(\"\\PhysicalDisk(0 C:)\\Disk Read Bytes/sec\")");
    cmd->add_option("PATH", args->paths, "Counter paths; \\\\HOST may be left out");
    cmd->add_option("--list", args->list,
                    "List an object's counters and instances (PhysicalDisk, LogicalDisk, "
                    "Process, Processor Information, Memory, ...)");
    cmd->add_option("--interval", args->interval_ms, "Milliseconds between collects")
        ->check(CLI::Range(10, 3600000));
    cmd->add_option("--count", args->count, "Number of samples to print (0: until stopped)")
        ->check(CLI::NonNegativeNumber);
    cmd->add_flag("--json", args->json,
                  "One JSON document per line and sample (schema brantwell.counters/1)");
    cmd->add_flag("--nocap", args->nocap, "Do not hold percentages to 100");
    cmd->add_option("--sysroot", args->sysroot,
                    "Read a captured system (a folder with proc, sys, etc) instead of this machine")
        ->check(CLI::ExistingDirectory);
    cmd->callback([args] { exit_code() = run_counters(*args); });
});

}  // namespace
}  // namespace bw::cli
