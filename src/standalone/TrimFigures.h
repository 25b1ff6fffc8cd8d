#pragma once

// The TRIM test's figures and texts over plain numbers: test area and size, writes per phase,
// the estimate, the change against the reference speed, the phases with their captions, fill
// characters and result lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bw {

// One write of every phase: 63 sectors of 512 bytes.
inline constexpr std::size_t kTrimWriteBytes = 32256;
// The quick test writes 50 MB in 32 writes per megabyte.
inline constexpr int kQuickTestWrites = 32 * 50;
inline constexpr std::string_view kTrimTestFileName = "TestMy.SSD";
// The verdict line shows when the deciding change is above this (percent).
inline constexpr double kTrimVerdictFloor = -15;
inline constexpr std::string_view kTrimVerdict =
    "TRIM appears to be working fine or SSD Firmware Performs TRIM/Garbage Control";

// Bytes the phases cover: 100,000,000 when more is free, else 0.7 x the free space.
double TrimTestArea(std::uint64_t free_bytes);
// 0.55 x the test area in whole megabytes (pattern "#").
double TrimTestSizeMb(double test_area);
// 32 writes per megabyte of the test size (pattern "0").
long TrimWritesPerPhase(double test_area);
// Minutes and seconds of an estimate; whole hours are dropped.
std::string SecToT(long long seconds);
// The estimate in seconds from the seconds of one phase.
long long TrimEstimateSeconds(long long phase_seconds, bool rewrite, bool second_off);
// (speed / reference - 1) x 100, pattern "0.00"; "n/a" without a reference speed.
std::string TrimChangeText(double speed, double reference);
double TrimChange(double speed, double reference);

enum class TrimPhase { InitialWrite, ReWrite, TrimOn, TrimOff1, TrimOff2 };

struct TrimPhaseDef {
    TrimPhase phase;
    std::string_view before_letter, after_letter;  // `Label1` = before + letter + after
    char fill;
    int line;                 // index of its `TrimTest` result line
    std::string_view result;  // the result line's start
    bool with_change;         // the line ends with the change against the reference
};
inline constexpr TrimPhaseDef kTrimPhases[] = {
    {TrimPhase::InitialWrite, "Performing Initial Write Test on ", " Drive", 'X', 0,
     "Initial Write: ", false},
    {TrimPhase::ReWrite, "Performing Re-Write Test on ", " Drive", 'Y', 1, "Re-Write: ", true},
    {TrimPhase::TrimOn, "Performing TRIM Test on ", " Drive TRIM ON", 'Z', 2,
     "Delete/Re-Write TRIM ON: ", true},
    {TrimPhase::TrimOff1, "Performing Test on ", " Drive with TRIM OFF", 'B', 3,
     "Delete/Write 1 TRIM OFF: ", true},
    {TrimPhase::TrimOff2, "Performing Test 2 on ", " Drive with TRIM OFF", 'B', 4,
     "Delete/Write 2 TRIM OFF: ", true},
};
const TrimPhaseDef& trim_phase(TrimPhase phase);
// The index of the verdict line.
inline constexpr int kTrimVerdictLine = 6;

std::string TrimPhaseCaption(const TrimPhaseDef& def, char letter);
// "Re-Write: 123,456 Bps  (-5.00%)"; the initial write has no change.
std::string TrimResultLine(const TrimPhaseDef& def, double speed, double reference);

}  // namespace bw
