#pragma once

// A main test as the sampling filed it, tick by tick, read back from tests/fixtures/runs/*.run
// and replayed through the same filing the test window uses: the parameters, the facts the
// report needs about the drive, and the samples.

#include <string>
#include <vector>

#include "testengine/Report.h"
#include "testengine/TestParameters.h"
#include "testengine/TestSamples.h"

namespace bw::test {

// One tick as the sampling saw it: the type and block the testers reported, and the figures.
struct RecordedTick {
    int type = 0, block = 0;
    testengine::TickFigures figures;
};

struct RecordedRun {
    testengine::TestParameters params;
    testengine::ReportFacts facts;
    testengine::TestSamples samples;
    std::vector<RecordedTick> ticks;  // in order
};

// tests/fixtures/runs/<name>.run; fails the current test and returns an empty run when the file
// is missing or a line is not understood.
RecordedRun load_recorded_run(const std::string& name);

// The machine facts every recorded run shares (board, BIOS, processor, controllers).
testengine::SystemTag recorded_system_tag();
testengine::SystemData recorded_system_data();

}  // namespace bw::test
