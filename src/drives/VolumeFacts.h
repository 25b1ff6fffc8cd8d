#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/DriveFacts.h"
#include "drives/VolumeMap.h"
#include "platform/SystemQuery.h"

namespace bw {

// The facts of a lettered volume: its device and details, and whether its disk needs AHCI and
// has TRIM. `disks` and `controllers` as the system queries gave them.
DriveFacts LetterFacts(const SystemQuery& query, const VolumeMap& map,
                       const std::vector<DiskInfo>& disks,
                       const std::vector<IdeController>& controllers, char letter);

// The facts of each drive entry's volume (its first character), over the live system.
std::map<std::string, DriveFacts> EntryFacts(const std::vector<std::string>& entries);

}  // namespace bw
