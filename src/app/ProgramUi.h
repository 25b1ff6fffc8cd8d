#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

// Every subsystem's windows and menu actions, registered into `registry`.
void register_program_ui(UiRegistry& registry);

}  // namespace bw
