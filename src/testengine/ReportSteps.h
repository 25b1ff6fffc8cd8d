#pragma once

#include "core/StartSteps.h"

namespace bw::testengine {

// The report's start-up step: the rating thresholds. They are one table compiled into the
// program (Ratings.h) and checked whole when it is built, so the step has nothing left to load.
void provide_report_steps(StartSteps& steps);

}  // namespace bw::testengine
