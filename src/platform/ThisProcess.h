#pragma once

// Facts about and settings of the running program itself: its host and processor count, its
// process id, one running copy per working folder, its scheduling priority, and the stop signals.

#include <filesystem>
#include <string>

namespace bw::this_process {

// The machine's host name ("localhost" when it has none).
std::string host_name();
// Processors online now (at least 1).
int online_processors();
long process_id();

// Takes the single-instance lock file `path` for the life of the process. False only when another
// running program holds it; a lock that cannot be made at all does not stop a start.
bool take_instance_lock(const std::filesystem::path& path);
void release_instance_lock();

// Asks the scheduler to favour the program a little, so its one-second sampling is not starved by
// the testers it starts. Without the right to do so nothing changes.
void raise_priority();

// A descriptor that becomes readable when SIGTERM, SIGINT or SIGHUP arrives, so an event loop can
// end the program as cleanly as a click on its close button. -1 when it cannot be set up. Read one
// byte from it per signal with `take_stop_signal`.
int stop_signal_fd();
void take_stop_signal(int fd);

}  // namespace bw::this_process
