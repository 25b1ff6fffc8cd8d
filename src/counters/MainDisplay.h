#pragma once

#include <string>

#include "core/LiveFigures.h"

namespace bw {

// One tick of the main window's display: processor load, the selected drive's disk time and
// transfer rate (its physical-disk instance when the letter has one, else its logical disk), and
// the memory figures. Collects the shared query once.
LiveFigures SampleMainDisplay(const std::string& drive_entry);

}  // namespace bw
