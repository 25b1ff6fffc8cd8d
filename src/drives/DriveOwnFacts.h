#pragma once

// The drive's own facts: what the drive and the kernel say about a physical disk, as opposed to
// what the model decoders guess from its model text. Capacity from the kernel, rotation rate from
// the drive's IDENTIFY page (else the kernel's rotational flag), the link it sits on, firmware,
// serial number and world-wide name; each fact that could not be read is named with the reason.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemQuery.h"

namespace bw {

enum class Rotation { Unknown, SolidState, Rotating };

struct DriveOwnFacts {
    std::string disk;  // "sda"
    std::optional<std::uint64_t> capacity_bytes;
    Rotation rotation = Rotation::Unknown;
    unsigned rpm = 0;             // when the drive tells its speed; 0 otherwise
    std::string rotation_source;  // "IDENTIFY word 217", "queue/rotational", "RAM disk"
    std::string link;             // "SATA 6.0 Gb/s", "PCIe 3.0 x4", "USB 5000 Mb/s"
    std::string firmware, serial, wwn;
    std::vector<std::string> unread;  // "serial: asking the drive ... needs root"
};

// The facts of one whole disk. `privileged`: the program may send the drive commands (root).
DriveOwnFacts ReadDriveOwnFacts(const SystemQuery& query, const DiskInfo& disk, bool privileged);

// Facts given by hand for a drive that is not in this machine (`decode --capacity --rpm`):
// rpm 1 means solid state, as word 217 says it.
DriveOwnFacts GivenDriveFacts(std::optional<std::uint64_t> capacity_bytes,
                              std::optional<unsigned> rpm);

// A capacity as a person reads it on the box: "500 GB", "1.5 TB", "512 MB".
std::string CapacityText(std::uint64_t bytes);
// "solid state", "7200 rpm", "rotating", "" when unknown.
std::string RotationText(const DriveOwnFacts& facts);

}  // namespace bw
