// compare [--average] [--like TEXT] [--select N,...] [--json]: the stored result lines the
// comparison window lists (the global results, then the user's own), optionally only those that
// share an interface keyword with TEXT (a drive entry or a description), and the selected ones
// set side by side on one scale, the first in slot 0.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/StandaloneArgs.h"
#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "drives/DriveText.h"
#include "results/CompareResults.h"
#include "results/CompareSlots.h"

namespace bw::cli {
namespace {

using namespace results;

struct CompareArgs {
    bool average = false, json = false;
    std::string like;
    std::vector<int> select;
};

nlohmann::ordered_json slot_json(const CompareSlot& s) {
    return {{"label", s.label},           {"read_score", s.read},
            {"write_score", s.write},     {"total_score", s.total},
            {"overall_score", s.overall}, {"peak_read_bytes_per_s", s.peak_read},
            {"peak_write_bytes_per_s", s.peak_write}};
}

int RunCompare(const CompareArgs& args) {
    std::string error;
    if (!ensure_program_folder(&error)) {
        std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
        return kExitFailed;
    }
    const CompareSources sources = compare_sources(app().program_folder);
    for (const auto& note : sources.notes) std::fprintf(stderr, "brantwell-cli: %s\n", note.c_str());
    const HoldLists lists =
        fill_hold_lists(sources.peak, sources.average, !args.like.empty(), args.like, "");
    const auto& list = args.average ? lists.HoldA : lists.HoldP;

    std::vector<CompareSlot> slots;
    for (int n : args.select) {
        if (n < 1 || n > static_cast<int>(list.size())) {
            std::fprintf(stderr, "brantwell-cli: --select %d: the list has lines 1 to %zu\n", n,
                         list.size());
            return kExitUsage;
        }
        slots.push_back(slot_of_line(list[static_cast<size_t>(n - 1)]));
    }
    std::string title;
    if (!slots.empty()) title = compare_title(parse_result_line(list[static_cast<size_t>(args.select[0] - 1)]).read);
    const double scale = common_scale(slots);

    if (args.json) {
        nlohmann::ordered_json lines = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < list.size(); ++i) {
            auto j = slot_json(slot_of_line(list[i]));
            j["index"] = i + 1;
            j["line"] = list[i];
            lines.push_back(j);
        }
        nlohmann::ordered_json compared = nlohmann::ordered_json::array();
        for (const auto& s : slots) compared.push_back(slot_json(s));
        const nlohmann::ordered_json out = {{"schema", "brantwell.compare/1"},
                                            {"list", args.average ? "average" : "peak"},
                                            {"like", args.like},
                                            {"lines", lines},
                                            {"title", title},
                                            {"scale_score", slots.empty() ? 0 : scale},
                                            {"slots", compared}};
        print_json(out);
        return kExitDone;
    }
    if (list.empty()) std::printf("No stored result lines to compare%s\n",
                                  args.like.empty() ? "" : " that share a keyword with --like");
    for (std::size_t i = 0; i < list.size(); ++i) std::printf("%3zu  %s\n", i + 1, list[i].c_str());
    if (slots.empty()) return kExitDone;
    std::printf("\n%s\n%s\n", title.c_str(), scale_text(scale).c_str());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const CompareSlot& s = slots[i];
        std::printf("[%zu] %s\n    %s  %s\n    Read %s  Write %s  Total %s  Overall %s\n", i,
                    s.label.c_str(), peak_read_text(s.peak_read).c_str(),
                    peak_write_text(s.peak_write).c_str(), format_grouped(s.read).c_str(),
                    format_grouped(s.write).c_str(), format_grouped(s.total).c_str(),
                    format_grouped(s.overall).c_str());
    }
    return kExitDone;
}

const RegisterVerb kCompare([](CLI::App& app) {
    auto args = std::make_shared<CompareArgs>();
    CLI::App* cmd = app.add_subcommand(
        "compare", "List stored result lines and set the selected ones side by side on one scale");
    cmd->add_flag("--average", args->average, "The average lines instead of the peak lines");
    cmd->add_option("--like", args->like,
                    "Only lines sharing an interface keyword (USB, RAM, SSD, SATA ...) with this "
                    "text, e.g. a drive entry");
    cmd->add_option("--select", args->select, "Line numbers of the list to compare (slot 0 first)")
        ->delimiter(',');
    cmd->add_flag("--json", args->json, "Print JSON");
    cmd->callback([args] { exit_code() = RunCompare(*args); });
});

}  // namespace
}  // namespace bw::cli
