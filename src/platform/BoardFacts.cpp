#include "platform/BoardFacts.h"

namespace bw {

namespace {

std::string dmi_line(const Sysroot& sys, const std::string& key) {
    std::string v = sys.read_line("/sys/class/dmi/id/" + key);
    const auto first = v.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    v = v.substr(first);
    // Firmware that was never filled in says so in words; that is no fact.
    for (const char* filler : {"To be filled by O.E.M.", "Default string", "Not Specified"})
        if (v == filler) return {};
    return v;
}

}  // namespace

BoardFacts board_facts(const Sysroot& sys) {
    BoardFacts f;
    f.board_vendor = dmi_line(sys, "board_vendor");
    f.board_name = dmi_line(sys, "board_name");
    f.bios_vendor = dmi_line(sys, "bios_vendor");
    f.bios_version = dmi_line(sys, "bios_version");
    f.bios_date = dmi_line(sys, "bios_date");
    f.bios_release = dmi_line(sys, "bios_release");
    f.pci_slots = sys.list("/sys/bus/pci/slots");
    return f;
}

}  // namespace bw
