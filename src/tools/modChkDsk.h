#pragma once

// The disk check: runs the file system's own checker on the volume of a drive letter and turns
// what it prints into calls on an IChkDskSink (text pieces, a growing percentage, Done once).
// One check at a time, process-wide.

#include <optional>
#include <string>
#include <string_view>

#include "drives/VolumeMap.h"
#include "platform/CheckerHost.h"
#include "platform/Mounts.h"
#include "platform/SystemQuery.h"
#include "tools/ChkDskCheckers.h"
#include "tools/ChkDskSink.h"

namespace bw {

// The window's four options.
struct ChkDskOptions {
    bool repair = false;         // chkOptions(0) "Repair"
    bool verbose = false;        // chkOptions(1) "Verbose"
    bool only_if_dirty = false;  // chkOptions(2) "Drive is Dirty"
    bool enhanced = false;       // chkOptions(3) "Enhanced Scan"
};

// What the check works on: the checker programs, the mounts, the system's facts and its letters.
struct ChkDskMachine {
    CheckerHost& host;
    Mounts& mounts;
    const SystemQuery& query;
    const VolumeMap& map;
};

struct ChkDskResult {
    bool started = false;  // a sink was registered and Done was called
    bool ran = false;      // a checker ran (or "Drive is Dirty" found nothing to check)
    CheckOutcome outcome = CheckOutcome::Failed;
    bool repaired = false;  // the repair (not a read-only check) ran
};

// The check of the volume of `root` ("D:\" or "D:"). Refuses (started = false, nothing called)
// while another check runs. Every other path ends in one Done, after saying in Status what was
// done and why: no checker, checker not installed, volume kept mounted, and the checker's result.
// Cancel: a read-only check is killed at once; a repair by e2fsck is interrupted and stops at its
// next safe point; the other checkers' repairs are let finish, since stopping one midway can leave
// the volume worse than before.
ChkDskResult Chkdsk(std::string_view root, const ChkDskOptions& options, IChkDskSink& sink,
                    ChkDskMachine& machine);

// True while a check runs (a sink is registered).
bool ChkDskBusy();

// The machine as it is: live checkers and mounts, system_query(), volume_map().
ChkDskMachine& live_chkdsk_machine();

}  // namespace bw
