#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

// The logical drive monitor's actions: "mnuMonitor" (the tools menu) and "Command3" ("Monitor
// Only"); both rest the main window's figures while the monitor is shown.
void register_monitor_ui(UiRegistry& registry);

// The message when frmLabel is clicked and no basic test is registered.
inline constexpr std::string_view kNoBasicTest = "The Basic Test is not available in this version.";

// Shows the monitor modally over ctx.main_window for the main window's drive list and selection.
// frmLabel runs the action registered under "mnuBasicTest" in `registry` (looked up when clicked)
// for the drive selected in the monitor.
void show_monitor(const UiRegistry& registry, MenuContext& ctx);

}  // namespace bw
