#pragma once

#include "core/StartSteps.h"

namespace bw {

// The inventory's steps of the main window: system information, the drive details and USB
// queries, the drive list and its supplementary entries, the dirty check and the drive selection.
void provide_drive_steps(StartSteps& steps);

}  // namespace bw
