#include "standalone/TrimFigures.h"

#include <cmath>

#include <fmt/format.h>

#include "drives/DriveText.h"

namespace bw {

namespace {

double round_half_away(double v) { return v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5); }

}  // namespace

double TrimTestArea(std::uint64_t free_bytes) {
    const double free = static_cast<double>(free_bytes);
    return free > 100'000'000 ? 100'000'000 : 0.7 * free;
}

double TrimTestSizeMb(double test_area) {
    return 0.55 * round_half_away(test_area / 1'000'000);
}

long TrimWritesPerPhase(double test_area) {
    // 0.55 x 56 is 30.800000000000004 in binary; the pattern "0" rounds the product as shown.
    return static_cast<long>(round_half_away(32 * TrimTestSizeMb(test_area)));
}

std::string SecToT(long long seconds) {
    if (seconds < 0) seconds = 0;
    return std::to_string(seconds / 60 % 60) + " Min " + std::to_string(seconds % 60) + " Sec";
}

long long TrimEstimateSeconds(long long phase_seconds, bool rewrite, bool second_off) {
    long long estimate = 3 * phase_seconds;
    if (rewrite) estimate += phase_seconds;
    if (second_off) estimate += 2 * phase_seconds + 30;
    return estimate + 60;
}

double TrimChange(double speed, double reference) { return (speed / reference - 1) * 100; }

std::string TrimChangeText(double speed, double reference) {
    if (!(reference > 0)) return "n/a";
    double change = round_half_away(TrimChange(speed, reference) * 100) / 100;
    if (change == 0) change = 0;  // no "-0.00"
    return fmt::format("{:.2f}", change);
}

const TrimPhaseDef& trim_phase(TrimPhase phase) {
    for (const auto& d : kTrimPhases)
        if (d.phase == phase) return d;
    return kTrimPhases[0];
}

std::string TrimPhaseCaption(const TrimPhaseDef& def, char letter) {
    return std::string(def.before_letter) + letter + std::string(def.after_letter);
}

std::string TrimResultLine(const TrimPhaseDef& def, double speed, double reference) {
    std::string line = std::string(def.result) + format_grouped(speed) + " Bps";
    if (def.with_change) line += "  (" + TrimChangeText(speed, reference) + "%)";
    return line;
}

}  // namespace bw
