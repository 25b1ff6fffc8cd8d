#pragma once

// What every part of the program reads from the kernel: without these there are no drives and no
// counters, so the program says so at once instead of showing an empty window.

#include <string>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

// A line per missing fact, naming it so that a person can act ("/proc/diskstats (disk statistics
// of the kernel)"). Empty when all is there.
std::vector<std::string> missing_system_facts(const Sysroot& sys);

// Whether a folder given as a sysroot holds a captured system at all (its block devices), so a
// wrong folder is refused instead of showing a machine without drives.
bool holds_captured_system(const Sysroot& sys);

// Why a folder given as a sysroot cannot be read as a system ("" for this machine or a captured
// system), for the verbs that take one to refuse it with.
std::string not_a_captured_system(const Sysroot& sys);

}  // namespace bw
