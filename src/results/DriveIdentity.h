#pragma once

// What a drive's history is kept under: the disk itself, never its letter, which moves with the
// mount order. Its world-wide name or serial number as the system reports it, else its model and
// size (a loop device adds the file behind it, so two images of one size stay apart).

#include <string>

#include "platform/SystemQuery.h"

namespace bw::results {

struct DriveIdentity {
    std::string key;     // "wwn:...", "serial:...", "model:<caption> size:<bytes>[ file:<path>]"
    std::string model;   // the disk's caption, for people
    std::string reason;  // why there is none ("" when `key` is set)
};

// The identity of the disk(s) beneath a block device ("/dev/sdb1", "sdb1"); a volume over several
// disks is known by all of them, joined with "+".
DriveIdentity drive_identity(const SystemQuery& query, const std::string& device);

}  // namespace bw::results
