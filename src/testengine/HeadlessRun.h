#pragma once

// The test window without a window: the run controller ticked once a second until the run ends,
// then the same evaluation the window makes (EndOfRun). `brantwell-cli test` runs a test through
// this; what the window and this produce for the same run is the same report.

#include <functional>
#include <optional>

#include "testengine/RunSummary.h"

namespace bw::testengine {

struct HeadlessHooks {
    std::function<void()> wait;                      // between ticks (a second)
    std::function<bool()> stop;                      // true: stop now (Ctrl-C)
    std::function<void(const TestRun&)> each_tick;   // after a tick that left the run going
};

struct HeadlessEnd {
    RunEnd end = RunEnd::Running;  // Running when stopped
    bool stopped = false;
    std::optional<FinishedTest> finished;  // when the testers finished
};

// Opens the run, ticks it (at once after opening when the run says so, as the window does),
// closes it and, when the testers finished, builds the report and writes the result files.
HeadlessEnd run_headless(TestRun& run, const HeadlessHooks& hooks);

}  // namespace bw::testengine
