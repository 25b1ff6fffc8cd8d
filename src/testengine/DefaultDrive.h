#pragma once

// The drive a main test takes when none is named: the one that holds the working folder, which
// is where the program already writes and so the drive a user who just runs it expects to be
// measured. When that folder is on no drive of the list (a tmpfs /tmp, an overlay in a
// container), the reason says what it is on.

#include <string>
#include <vector>

#include "drives/VolumeMap.h"

namespace bw::testengine {

struct DefaultDrive {
    std::string drive;   // "C:"; "" when the folder is on no drive of the list
    std::string reason;  // why not, when `drive` is ""
};

// `mounts` are all of the system's mounts (the lettered volumes are only some of them): the
// folder is on the last-mounted, deepest mount that holds it.
DefaultDrive drive_holding(const VolumeMap& map, const std::vector<MountEntry>& mounts,
                           const std::vector<std::string>& drive_list, const std::string& folder);

// The lettered drives of the list ("C:, D:"), "none" when it is empty.
std::string drive_letters(const std::vector<std::string>& drive_list);

}  // namespace bw::testengine
