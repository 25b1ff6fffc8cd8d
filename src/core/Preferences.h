#pragma once

// What the preferences window shows and stores: the test time and the four choices, read from
// and written to [Settings] of the preferences file.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace bw {

// The test times offered, in seconds.
inline constexpr std::array<std::string_view, 10> kTestTimeChoices = {
    "15", "20", "25", "30", "35", "40", "45", "50", "55", "60"};

struct PreferenceValues {
    std::string test_time = "30";  // `Test Time`; "30" when none is stored
    bool adjust_test_time = false;  // `Adjust Test Time`
    bool always_ignore = false;     // `Always Ignore`
    bool download_results = false;  // `Download Results`
    bool check_update = false;      // `Check Update`
};

// Boxes take the numeric value of the stored text (anything not a number is unchecked).
PreferenceValues load_preferences(const std::filesystem::path& prefs);
void save_preferences(const std::filesystem::path& prefs, const PreferenceValues& values);

// The stored values take effect at the next start, except `Always Ignore`: saving it makes it the
// program's value at once, for the menu handler to apply to the "Ignore Usage" box.
void take_always_ignore(const PreferenceValues& values);

}  // namespace bw
