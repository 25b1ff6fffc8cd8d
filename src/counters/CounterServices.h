#pragma once

// Hands the counter subsystem's start-up and shutdown operations to the main window's load and
// unload.

namespace bw {

struct StartupServices;

// Fills the counter entries of `services`: the query check of "Verify Version", the two disk
// lists, the counter groups with their probes, "Load CPU", the memory figure and the close at
// exit. The "Windows Error" question of every counter failure goes through WindowsErrorPrompt.
void ConnectCounterServices(StartupServices& services);

}  // namespace bw
