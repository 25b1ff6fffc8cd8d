#pragma once

// What the main window knows of a drive entry beyond its text, from the Linux system: the volume's
// block device and what a user needs to find it (device, mount point, file system, size, free
// space, a loop device's file), and the facts the TRIM and AHCI advice rests on.

#include <string>

namespace bw {

struct DriveFacts {
    std::string device;   // block device of the entry's volume ("/dev/nvme0n1p2"), "" when none
    std::string details;  // one line: the entry's tool tip and the last line of Label7
    bool sata = false;    // the disk hangs on a SATA/ATA controller: only there AHCI matters
    bool ahci = true;     // that controller runs in AHCI mode
    bool trim_on = false;  // the volume is mounted with discard, or a periodic trim is enabled
};

}  // namespace bw
