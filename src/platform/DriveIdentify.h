#pragma once

// What a drive says about itself when asked: the ATA IDENTIFY DEVICE page (serial number,
// firmware, model, rotation rate, world-wide name, sectors) and an NVMe controller's identify
// page. The kernel keeps the ATA page of a disk on a libata port readable by anyone
// (/sys/class/ata_device/devP.D/id); a disk behind a USB bridge or another SCSI layer is asked
// with an ATA PASS-THROUGH command through SG_IO, which needs root. In a fixture tree the page a
// live read would get is captured under /brantwell-capture/identify/<disk>, in the hex-word
// format of `hdparm --Istdout` (the kernel's id file has the same format).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

using IdentifyWords = std::array<std::uint16_t, 256>;

// The 256 words of a hex dump: 4-digit hex words separated by blanks and line ends. nullopt when
// the text holds fewer than 256 words or anything else.
std::optional<IdentifyWords> parse_identify_words(std::string_view dump);

// The fields of an ATA IDENTIFY DEVICE page that the drive's facts use.
struct AtaIdentity {
    std::string model, serial, firmware;
    std::string wwn;  // 16 hex digits, "" when the drive gives none
    // Word 217: 1 = solid state, 0x0401..0xfffe = revolutions per minute; 0 when not reported.
    unsigned rotation_rate = 0;
    std::uint64_t sectors = 0;  // user-addressable sectors (48-bit when supported)
};
AtaIdentity decode_identify(const IdentifyWords& words);

// Where a page came from, or why it could not be read.
struct IdentifyRead {
    std::optional<IdentifyWords> words;
    std::string source;  // "sysfs", "SG_IO", "captured"
    std::string reason;  // why there is none ("needs root", ...)
};

// The ATA page of whole disk `disk_name`, whose resolved sysfs path is `sys_path`: the kernel's
// id file first; then, when `privileged`, the pass-through (the capture in a fixture).
IdentifyRead read_ata_identify(const Sysroot& sys, const std::string& disk_name,
                               const std::string& sys_path, bool privileged);

// The hex dump of the kernel's id file of the ATA device under `sys_path` ("" when none).
std::string ata_identify_dump(const Sysroot& sys, const std::string& sys_path);

// An NVMe controller's identify page, the fields the sysfs files also give.
struct NvmeIdentity {
    std::string model, serial, firmware;
    std::string reason;  // why it could not be read, "" when read
};
// Asks controller `controller` ("nvme0") with NVME_IOCTL_ADMIN_CMD; live system and root only
// (a fixture has its sysfs files).
NvmeIdentity read_nvme_identify(const Sysroot& sys, const std::string& controller,
                                bool privileged);
// The fields of a 4096-byte controller identify page.
NvmeIdentity decode_nvme_identify(std::string_view page);

// What a whole disk says about itself, read the way its bus allows: the ATA page for disks on
// ATA, USB and SCSI transports, the sysfs files (else the identify page) for NVMe, the sysfs
// serial for virtual disks; and the kernel's rotational flag.
struct DiskSelfReport {
    std::string serial, firmware, wwn;
    unsigned rotation_rate = 0;   // IDENTIFY word 217, 0 when no page was read
    std::string rotational_flag;  // queue/rotational: "0", "1", or "" when unreadable
    std::vector<std::string> unread;  // "serial, firmware, ...: <reason>"
};
// `transport` as DiskInfo names it ("ata", "usb", "scsi", "nvme", "virtio", ...).
DiskSelfReport read_disk_self(const Sysroot& sys, const std::string& disk_name,
                              const std::string& transport, bool privileged);

// The running program may send commands to drives (root).
bool may_ask_drives();

}  // namespace bw
