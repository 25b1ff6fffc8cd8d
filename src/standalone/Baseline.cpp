#include "standalone/Baseline.h"

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/MainOptions.h"
#include "core/SettingsKeys.h"
#include "core/Splash.h"
#include "core/Startup.h"
#include "platform/clock.h"

namespace bw::basic {

namespace {

// Long enough to read a refusal on the splash before the next step replaces it.
constexpr std::int64_t kReasonShownMs = 1500;

}  // namespace

std::filesystem::path baseline_file(const std::filesystem::path& program_folder) {
    return program_folder / keys::kBaselineFileName;
}

std::string ReadBaseline(const std::filesystem::path& program_folder, std::string_view key) {
    return ReadINI(baseline_file(program_folder), keys::kDrives, key);
}

void WriteBaseline(const std::filesystem::path& program_folder, std::string_view key,
                   long long mb_per_second) {
    WriteINI(baseline_file(program_folder), keys::kDrives, key, mb_per_second);
}

std::vector<BaselineTaken> TakeMissingBaselines(const std::vector<std::string>& entries,
                                                const std::filesystem::path& program_folder,
                                                const QuickReader& reader) {
    std::vector<BaselineTaken> taken;
    for (const auto& entry : entries) {
        const std::string_view key = baseline_key(entry);
        if (entry.empty() || key.empty() || !ReadBaseline(program_folder, key).empty()) continue;
        const QuickReadResult r = reader(entry.front());
        if (r.reason.empty()) WriteBaseline(program_folder, key, r.mb_per_second);
        taken.push_back({entry, r.mb_per_second, r.reason});
    }
    return taken;
}

void provide_standalone_steps(StartSteps& steps) {
    steps.provide(StepId::QuickBaseline, [](StepContext& ctx) {
        const auto reader = [](char letter) {
            return QuickRead(letter, [](const std::string& text) { show_step(text); });
        };
        for (const auto& t :
             TakeMissingBaselines(ctx.state.options.DriveList, app().program_folder, reader)) {
            if (t.reason.empty()) continue;
            show_step(t.entry.substr(0, 2) + " no baseline: " + t.reason);
            Pause(kReasonShownMs);
        }
    });
}

}  // namespace bw::basic
