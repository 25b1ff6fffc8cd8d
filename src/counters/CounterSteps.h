#pragma once

#include "core/StartSteps.h"

namespace bw {

// The counters' steps of the main window: the query and its probe ("Verify Version"), the disk
// lists (handed on to the inventory), the counter groups, the processor counters with the memory
// figure, the live figures and the query's close.
void provide_counter_steps(StartSteps& steps);

}  // namespace bw
