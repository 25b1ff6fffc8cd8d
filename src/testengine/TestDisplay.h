#pragma once

// The test window's figures as texts: the testers' row (`MainValue`), the drive's row (`ValueA`),
// the latencies, the processor labels, the run's highest speeds and the speed bars. Plain
// functions, so the window only places them and brantwell-cli could print the same.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "drives/ModHDDetails.h"
#include "testengine/TestCounters.h"
#include "testengine/TestParameters.h"

namespace bw::testengine {

// A figure of a row: its caption (with the unit) and the text of its value.
struct Figure {
    std::string_view caption;
    std::string text;
};

// The testers' sums, in the order of kTesterCounterNames, with the suffixes the window shows.
std::array<Figure, tester_io::kCount> main_value_figures(const TickReading& r);

// The drive's figures shown in the `ValueA` row.
inline constexpr int kValueACount = 15;
std::array<Figure, kValueACount> value_a_figures(const TickReading& r);

std::string seek_text(double seconds);          // `ReadSeek`, `WriteSeek`: "0.000"
std::string tester_cpu_text(double percent);    // "12.5 %"
std::string hw_use_text(double percent);        // `HWUse`: "12.34%"
std::uint32_t hw_use_colour(double percent);    // red above 40 %, else dark blue (0x00BBGGRR)
std::string cpu_freq_text(double mhz);          // `CPUFreqL`: "(2400MHz)"
std::string high_text(double bytes_per_sec);    // `HighRead`, `HighWrite`: "1,234 Bytes"

inline constexpr std::uint32_t kHwUseBusy = 255, kHwUseCalm = 0x800000;
inline constexpr double kHwUseBusyPercent = 40;
// The progress bar's colour, RGB(60, 120, 60) as 0x00BBGGRR.
inline constexpr std::uint32_t kProgressColour = 0x3C783C;

// The test window's caption. Without a rotation speed ("" or "N/A"): "Testing " + the drive entry
// from its fifth character + the mode, and " Block size " + the block when the code is a single
// "1".."9"; with several blocks it keeps `previous`'s block part. With one: the speed, the cache
// and the interface.
std::string window_caption(const TestParameters& params, const LetterSpec& specs,
                           std::string_view previous);

// A speed bar in twips, growing upward from a common base line.
struct SpeedBar {
    int height = 0, top = 0;
};
inline constexpr int kBarBaseTwips = 3200;
inline constexpr double kBarMinBytes = 1'000'000;
// The bar for a new peak of `side`; nullopt at or below 1,000,000 bytes/s (the bar stays).
std::optional<SpeedBar> speed_bar(Side side, double bytes_per_sec);

}  // namespace bw::testengine
