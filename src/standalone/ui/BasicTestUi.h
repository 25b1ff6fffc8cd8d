#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

// The main window's "Run Basic Test" (mnuBasicTest); the start button with "Basic Test ONLY" and
// the monitor's link run the same action.
void register_basic_test_ui(UiRegistry& registry);

// The action itself: plans the basic test of the selected drive from the main window's options
// (free-space check first) and opens FrmBasic modally. Nothing opens when the plan was refused.
void RunBasicTest(MenuContext& ctx);

}  // namespace bw
