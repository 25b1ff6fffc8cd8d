#pragma once

#include <string_view>

namespace bw {

struct KeyDefault {
    std::string_view key;
    std::string_view value;
};

// Written to [Settings] of a new preferences file, in this order. "Read" doubles as the marker
// that the file has been initialised.
inline constexpr KeyDefault kPreferenceDefaults[] = {
    {"Read", "1"},          {"Write", "0"},       {"Block", "5"},
    {"Skip Usage", "0"},    {"Type", "2"},        {"Basic Only", "0"},
    {"Good Shutdown", "0"}, {"Bad Shutdown", "0"}, {"Test Time", "30"},
    {"Adjust Test Time", "1"}, {"Always Ignore", "0"}, {"Download Results", "1"},
    {"Check Update", "1"},
};

// The tester job keys that start-up resets to "X" in [Hard Drive Test 1] and [Hard Drive Test 2].
inline constexpr std::string_view kTesterJobKeys[] = {"Blocks", "Type",  "File Size", "Write Passes",
                                                      "Multi",  "Read",  "Write",     "Time"};

}  // namespace bw
