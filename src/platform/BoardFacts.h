#pragma once

// What the firmware tables say about the board and its BIOS, and the machine's slots, for the
// system data block of a report: /sys/class/dmi/id and /sys/bus/pci/slots through a Sysroot.
// A virtual machine often has none of it; what is missing stays empty.

#include <string>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

struct BoardFacts {
    std::string board_vendor, board_name;
    std::string bios_vendor, bios_version, bios_date, bios_release;
    // PCI slot names, sorted ("slots" is a word Qt takes for itself)
    std::vector<std::string> pci_slots;
};

BoardFacts board_facts(const Sysroot& sys);

}  // namespace bw
