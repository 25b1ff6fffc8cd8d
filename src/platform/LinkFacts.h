#pragma once

// The link a disk sits on, as sysfs tells it: the negotiated SATA speed of its ATA link, the PCIe
// generation and width of an NVMe controller's slot, or the speed a USB device was connected at.
// Read through a Sysroot, so fixture trees stand in for the machine in tests.

#include <string>

#include "platform/sysroot.h"

namespace bw {

enum class LinkKind { Unknown, Sata, ParallelAta, Pcie, Usb };

struct LinkFacts {
    LinkKind kind = LinkKind::Unknown;
    double sata_gbps = 0;  // negotiated: 1.5, 3.0, 6.0
    int pcie_gen = 0, pcie_width = 0;          // negotiated
    int pcie_max_gen = 0, pcie_max_width = 0;  // what the device can do
    int usb_mbps = 0;                          // negotiated: 12, 480, 5000, 10000, 20000
    bool machine_usb3 = false;  // a root hub of the machine runs at 5000 Mb/s or faster
    std::string device_path;    // the disk's device in sysfs, "" when not found
    std::string reason;         // why the kind is unknown
};

// The link of whole disk `disk_name` ("sda", "nvme0n1").
LinkFacts link_facts(const Sysroot& sys, const std::string& disk_name);

// PCIe generation of a link speed text ("8.0 GT/s PCIe" -> 3); 0 when unknown.
int pcie_generation(const std::string& speed_text);

}  // namespace bw
