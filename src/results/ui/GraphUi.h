#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

// The window name the end of a test of all drives opens.
inline constexpr const char* kFrmOverall = "frmOverall";

// The result windows other subsystems open by name: the overall report of all drives.
void register_graph_ui(UiRegistry& registry);

}  // namespace bw
