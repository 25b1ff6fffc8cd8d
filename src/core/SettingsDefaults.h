#pragma once

// The lists start-up writes in a fixed order, drawn from the settings table.

#include <array>
#include <string_view>

#include "core/SettingsTable.h"

namespace bw {

struct KeyDefault {
    std::string_view key;
    std::string_view value;
};

namespace settings_table {

constexpr std::size_t kPreferenceDefaultCount = count_rows(has_preference_default);
constexpr std::size_t kStartResetCount = count_rows(reset_at_start);

constexpr std::array<KeyDefault, kPreferenceDefaultCount> preference_defaults() {
    std::array<KeyDefault, kPreferenceDefaultCount> out{};
    auto rows = select_rows<kPreferenceDefaultCount>(has_preference_default);
    for (std::size_t i = 0; i < rows.size(); ++i)
        out[i] = {rows[i].key, rows[i].preference_default};
    return out;
}

constexpr std::array<std::string_view, kStartResetCount> start_reset_keys() {
    std::array<std::string_view, kStartResetCount> out{};
    auto rows = select_rows<kStartResetCount>(reset_at_start);
    for (std::size_t i = 0; i < rows.size(); ++i) out[i] = rows[i].key;
    return out;
}

}  // namespace settings_table

// Written to [Settings] of a new preferences file, in this order. "Read" doubles as the marker
// that the file has been initialised.
inline constexpr auto kPreferenceDefaults = settings_table::preference_defaults();

// The tester job keys that start-up resets to "X" in [Hard Drive Test 1] and [Hard Drive Test 2].
inline constexpr auto kTesterJobKeys = settings_table::start_reset_keys();

}  // namespace bw
