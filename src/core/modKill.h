#pragma once

#include <filesystem>
#include <string_view>

#include "platform/Processes.h"

namespace bw {

// A tester has no window; the "window" of a process is its id, so a handle found here can be
// closed (SIGTERM) and killed (SIGKILL).
using WindowHandle = pid_t;

// Id of the first running process whose image name equals `exe_name` without regard to case and
// surrounding blanks; 0 when none runs. With a `folder`, only programs run from that folder count:
// the program's testers are the ones in its own working folder, not another instance's.
pid_t GetProcessIdByName(std::string_view exe_name, const std::filesystem::path& folder = {});

// Handle of the first process of that name, 0 when none runs.
WindowHandle FindProcessWindow(std::string_view exe_name,
                               const std::filesystem::path& folder = {});

// Ends the process behind the handle at once. Failures are ignored.
void KillWindowProcess(WindowHandle window);

// Asks the process to close (SIGTERM) and waits up to `wait_ms` for it to go.
bool CloseWindowProcess(WindowHandle window, int wait_ms);

// Kills every process of that name (the forced stop by name), of `folder` when one is given.
void ForceStopByName(std::string_view exe_name, const std::filesystem::path& folder = {});

}  // namespace bw
