#pragma once

#include "core/StartSteps.h"

namespace bw {

// The steps of the desktop program: each subsystem's own, and the joins between them. The
// command-line front end lists from the same set what this version does not have.
StartSteps program_steps();

}  // namespace bw
