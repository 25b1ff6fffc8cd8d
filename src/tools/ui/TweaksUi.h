#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

// Registers the "HD/SSD Tuning" menu action ("mnuTuning") that opens it
// over the main window with the main window's drive list.
void register_tweaks_ui(UiRegistry& registry);

}  // namespace bw
