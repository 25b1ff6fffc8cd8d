#include "core/Preferences.h"

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"

namespace bw {

namespace {

// The four boxes with their keys, in the window's order.
struct BoxKey {
    std::string_view key;
    bool PreferenceValues::*field;
};
inline constexpr BoxKey kBoxKeys[] = {
    {keys::kAdjustTestTime, &PreferenceValues::adjust_test_time},
    {keys::kAlwaysIgnore, &PreferenceValues::always_ignore},
    {keys::kDownloadResults, &PreferenceValues::download_results},
    {keys::kCheckUpdate, &PreferenceValues::check_update},
};

}  // namespace

PreferenceValues load_preferences(const std::filesystem::path& prefs) {
    PreferenceValues v;
    v.test_time = ReadINI(prefs, keys::kSettings, keys::kTestTime);
    if (v.test_time.empty()) v.test_time = "30";
    for (const auto& b : kBoxKeys) v.*(b.field) = ValInt(ReadINI(prefs, keys::kSettings, b.key)) != 0;
    return v;
}

void save_preferences(const std::filesystem::path& prefs, const PreferenceValues& values) {
    WriteINI(prefs, keys::kSettings, keys::kTestTime, std::string_view(values.test_time));
    for (const auto& b : kBoxKeys) WriteINI(prefs, keys::kSettings, b.key, values.*(b.field));
}

void take_always_ignore(const PreferenceValues& values) { app().always_ignore = values.always_ignore; }

}  // namespace bw
