// tweaks [--json] [--sysroot DIR]: every setting of the tweaks page with the Linux setting behind
// it, what this machine has now, the recommendation for its drive mix and whether the setting has
// an effect on Linux. It only reads; the window changes settings.
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/ExitCodes.h"
#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "core/AppState.h"
#include "drives/DriveReport.h"
#include "platform/SystemRequirements.h"
#include "platform/folders.h"
#include "tools/Tweaks.h"

namespace bw::cli {
namespace {

struct TweaksArgs {
    bool json = false;
    std::string sysroot = "/";
};

std::string linux_text(const std::optional<LinuxTweak>& setting) {
    return setting ? std::string(linux_tweak(*setting).setting) : std::string(kNoEffectOnLinux);
}

nlohmann::ordered_json registry_value(const TweakValue& v, std::optional<std::uint32_t> number) {
    return {{"key", "HKEY_LOCAL_MACHINE\\" + std::string(v.key)},
            {"value", v.name},
            {"number", number ? nlohmann::ordered_json(*number) : nlohmann::ordered_json()}};
}

// One row or list, as both outputs show it.
struct Shown {
    std::string control;
    std::string number;  // "5 " before a row's caption in the text
    std::string caption;
    nlohmann::ordered_json registry;
    std::optional<LinuxTweak> setting;
    const TweakShown& state;
    std::string current, recommendation;
};

void add(const Shown& s, nlohmann::ordered_json& settings, std::string& text) {
    settings.push_back({{"control", s.control},
                        {"caption", s.caption},
                        {"registry", s.registry},
                        {"linux_setting", linux_text(s.setting)},
                        {"effect_on_linux", s.state.has_effect},
                        {"current", s.current},
                        {"found", s.state.found},
                        {"recommendation", s.recommendation}});
    text += s.number + s.caption + ": " + (s.current.empty() ? "(empty)" : s.current) +
            " (recommended " + s.recommendation + ")\n    ";
    if (s.state.has_effect) text += "Linux: " + linux_text(s.setting) + "\n    now: ";
    text += s.state.found + "\n";
}

int RunTweaks(const TweaksArgs& args) {
    const SystemQuery query{Sysroot(args.sysroot)};
    if (const std::string why = not_a_captured_system(query.sysroot()); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
        return kExitUsage;
    }
    if (app().program_folder.empty()) app().program_folder = choose_program_folder().path;
    const DriveMix mix = drive_mix(TakeInventory(query, {}).inv.DriveList);
    TweaksPage page(TweakMachine{query.sysroot(), &live_mount_runner(), {}, {}});
    page.open();

    nlohmann::ordered_json json{{"schema", schema_name("tweaks")}};
    json["drive_mix"] = drive_mix_text(mix);
    json["registry_store"] = registry_store_path().string();
    auto& settings = json["settings"] = nlohmann::ordered_json::array();
    std::string text = "Drive mix: " + std::string(drive_mix_text(mix)) + "\n";
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        const TweakRow& row = kTweakRows[i];
        const bool checked = page.rows()[i].checked;
        auto registry = nlohmann::ordered_json::array();
        for (const auto& v : row.values)
            if (!v.name.empty())
                registry.push_back(registry_value(v, checked ? v.checked : v.unchecked));
        add({"OptionT(" + std::to_string(row.index) + ")", std::to_string(row.index) + " ",
             std::string(row.caption), registry, row.linux_setting, page.rows()[i],
             checked ? "Checked" : "Unchecked", std::string(recommended(row, mix))},
            settings, text);
    }
    for (std::size_t i = 0; i < kTweakListCount; ++i) {
        const TweakList& list = kTweakLists[i];
        const auto item = page.lists()[i].item;
        add({std::string(list.control), "", std::string(list.heading),
             nlohmann::ordered_json::array({registry_value(list.value, item)}), list.linux_setting,
             page.lists()[i], item ? std::string(kListItems[*item]) : std::string(),
             std::string(recommended(list, mix))},
            settings, text);
    }
    if (args.json)
        print_json(json);
    else
        std::fputs(text.c_str(), stdout);
    return kExitDone;
}

const RegisterVerb kTweaks([](CLI::App& app) {
    auto args = std::make_shared<TweaksArgs>();
    CLI::App* cmd = app.add_subcommand("tweaks",
                                       "List the disk tweaks: each setting, its value now, the "
                                       "recommendation and its effect on Linux");
    cmd->add_flag("--json", args->json,
                  "Print the settings as one JSON document (schema brantwell.tweaks/1)");
    cmd->add_option("--sysroot", args->sysroot,
                    "Read a captured system (a folder with proc, sys, etc) instead of this machine")
        ->check(CLI::ExistingDirectory);
    cmd->callback([args] { exit_code() = RunTweaks(*args); });
});

}  // namespace
}  // namespace bw::cli
