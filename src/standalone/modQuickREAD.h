#pragma once

// The quick read baseline: ten seconds of sequential reads of a drive's raw volume in blocks of
// 64 units (32 KiB), the average of the whole sampled seconds in megabytes (10^6 bytes) per
// second. A volume that cannot be opened gives 0 and the reason, which the caller shows.

#include <functional>
#include <string>

#include "standalone/BasicDrive.h"
#include "standalone/BasicRun.h"

namespace bw::basic {

inline constexpr std::uint64_t kQuickReadUnit = 512;
inline constexpr std::uint64_t kQuickReadMultiplier = 64;
inline constexpr double kQuickReadSeconds = 10;

struct QuickReadResult {
    long long mb_per_second = 0;  // whole MB/s; 0 when the volume could not be read
    std::string reason;           // why it is 0
};

// Status text shown while it runs: "Intial D Drive Baseline", a dot appended after each pass.
using StatusLine = std::function<void(const std::string& text)>;

QuickReadResult QuickRead(char letter, BasicDrive& drive, const SecondsNow& now,
                          const StatusLine& status);

// The same for a letter of this machine: its block device from the volume map.
QuickReadResult QuickRead(char letter, const StatusLine& status);

}  // namespace bw::basic
