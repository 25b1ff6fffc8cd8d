#pragma once

// The TRIM test's verdict checked against the result lines a real run printed.
#include <cmath>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "standalone/TrimFigures.h"

namespace bw::test {

// The change a result line ends with: "... Bps  (-50.18%)".
inline double change_of(const std::string& line) {
    const auto open = line.rfind('(');
    return open == std::string::npos ? 0 : std::strtod(line.c_str() + open + 1, nullptr);
}

// Whether the verdict shows is the device's answer, not ours: on memory-backed devices a cut
// with TRIM on hands the pages back, and writing them again costs more than overwriting kept
// ones, so the TRIM ON phase is often the slowest. What the run must get right is that the
// verdict follows the changes it printed (the rule's floor is -15 points).
inline void expect_verdict_follows(const std::string& trim_on_line,
                                   const std::string& last_off_line, const std::string& verdict) {
    const double deciding = change_of(trim_on_line) - change_of(last_off_line);
    SCOPED_TRACE("deciding change " + std::to_string(deciding));
    if (std::abs(deciding - kTrimVerdictFloor) < 0.02) return;  // the lines are rounded
    EXPECT_EQ(verdict, deciding > kTrimVerdictFloor ? std::string(kTrimVerdict) : std::string());
}

}  // namespace bw::test
