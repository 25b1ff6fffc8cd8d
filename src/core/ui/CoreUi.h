#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

// The main window's own menu actions: "Exit" closes the window, "About" shows the version and the
// steps this version does not have, "Preferences", "Compare My Test", "Website" and "AHCI Mode".
void register_core_ui(UiRegistry& registry);

}  // namespace bw
