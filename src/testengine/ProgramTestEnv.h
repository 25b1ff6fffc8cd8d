#pragma once

// The start button and the run controller over this machine: the program-wide counters, volume
// map, inventory and settings files. The windows (or brantwell-cli) add the parts that show
// something: the test window, the basic test, the overall results and the `DStatus` box.

#include "core/Startup.h"
#include "testengine/StartButton.h"
#include "testengine/TestRun.h"

namespace bw::testengine {

// Everything but the windows; `state` and `steps` must outlive the environment.
StartEnv program_start_env(MainWindowState& state, const StartSteps& steps);

// The controller's view of the working settings file, the counters of the test's drive and the
// first tester's process.
RunEnv program_run_env(const TestParameters& params);

// Processor use of every process over one second, as the start's processor check reads it.
CpuReport measure_process_cpu();

}  // namespace bw::testengine
