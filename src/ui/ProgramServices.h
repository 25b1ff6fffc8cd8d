#pragma once

#include "core/Startup.h"

namespace bw {

// The start-up services of the desktop program: every subsystem's part of the start, wired in one
// place.
StartupServices program_services();

}  // namespace bw
