// tweaks [--json] [--sysroot DIR]: every setting of the tweaks page with the Linux setting behind
// it, what this machine has now, the recommendation for its drive mix and whether the setting has
// an effect on Linux. It only reads; the window changes settings.
#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

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

nlohmann::ordered_json registry_json(const TweakRow& row, bool checked) {
    auto values = nlohmann::ordered_json::array();
    for (const auto& v : row.values)
        if (!v.name.empty())
            values.push_back({{"key", "HKEY_LOCAL_MACHINE\\" + std::string(v.key)},
                              {"value", v.name},
                              {"number", checked ? v.checked : v.unchecked}});
    return values;
}

int RunTweaks(const TweaksArgs& args) {
    const SystemQuery query{Sysroot(args.sysroot)};
    if (const std::string why = not_a_captured_system(query.sysroot()); !why.empty()) {
        std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
        return 2;
    }
    if (app().program_folder.empty()) app().program_folder = choose_program_folder().path;
    const DriveMix mix = drive_mix(TakeInventory(query, {}).inv.DriveList);
    TweaksPage page(TweakMachine{query.sysroot(), &live_mount_runner(), {}});
    page.open();

    nlohmann::ordered_json json;
    json["drive_mix"] = drive_mix_text(mix);
    json["registry_store"] = registry_store_path().string();
    auto& settings = json["settings"] = nlohmann::ordered_json::array();
    std::string text = "Drive mix: " + std::string(drive_mix_text(mix)) + "\n";
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        const TweakRow& row = kTweakRows[i];
        const TweakRowShown& shown = page.rows()[i];
        const char* state = shown.checked ? "Checked" : "Unchecked";
        settings.push_back({{"control", "OptionT(" + std::to_string(row.index) + ")"},
                            {"caption", row.caption},
                            {"registry", registry_json(row, shown.checked)},
                            {"linux_setting", linux_text(row.linux_setting)},
                            {"effect_on_linux", shown.has_effect},
                            {"current", state},
                            {"found", shown.found},
                            {"recommendation", recommended(row, mix)}});
        text += std::to_string(row.index) + " " + std::string(row.caption) + ": " + state +
                " (recommended " + std::string(recommended(row, mix)) + ")\n    " +
                (shown.has_effect ? "Linux: " + linux_text(row.linux_setting) + "\n    now: "
                                  : std::string()) +
                shown.found + "\n";
    }
    for (std::size_t i = 0; i < kTweakListCount; ++i) {
        const TweakList& list = kTweakLists[i];
        const TweakListShown& shown = page.lists()[i];
        const std::string item = shown.item ? std::string(kListItems[*shown.item]) : std::string();
        settings.push_back({{"control", list.control},
                            {"caption", list.heading},
                            {"registry", nlohmann::ordered_json::array(
                                             {{{"key", "HKEY_LOCAL_MACHINE\\" + std::string(list.value.key)},
                                               {"value", list.value.name},
                                               {"number", shown.item ? nlohmann::ordered_json(*shown.item)
                                                                     : nlohmann::ordered_json()}}})},
                            {"linux_setting", linux_text(list.linux_setting)},
                            {"effect_on_linux", shown.has_effect},
                            {"current", item},
                            {"found", shown.found},
                            {"recommendation", recommended(list, mix)}});
        text += std::string(list.heading) + ": " + (item.empty() ? "(empty)" : item) + " (recommended " +
                std::string(recommended(list, mix)) + ")\n    " +
                (shown.has_effect ? "Linux: " + linux_text(list.linux_setting) + "\n    now: "
                                  : std::string()) +
                shown.found + "\n";
    }
    if (args.json)
        std::printf("%s\n", json.dump(2).c_str());
    else
        std::fputs(text.c_str(), stdout);
    return 0;
}

const RegisterVerb kTweaks([](CLI::App& app) {
    auto args = std::make_shared<TweaksArgs>();
    CLI::App* cmd = app.add_subcommand(
        "tweaks", "List the disk tweaks: each setting, its value now, the recommendation and its effect on Linux");
    cmd->add_flag("--json", args->json, "Print JSON");
    cmd->add_option("--sysroot", args->sysroot, "Read a captured system instead of this machine")
        ->check(CLI::ExistingDirectory);
    cmd->callback([args] { exit_code() = RunTweaks(*args); });
});

}  // namespace
}  // namespace bw::cli
