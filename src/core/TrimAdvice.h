#pragma once

// The start-up TRIM and AHCI advice for a solid-state drive, and the AHCI action's report. Linux
// always supports TRIM, so the advice for systems without it never applies.

#include <string>
#include <vector>

#include "core/DriveFacts.h"

namespace bw {

// What the advice does for the selected drive.
struct TrimAdviceSteps {
    bool ahci_advice = false;    // the controller runs the disk in IDE mode
    bool trim_question = false;  // TRIM is off: ask to turn it on
    bool trim_on_label = false;  // `Label10` "SSD Trim is ON"
    bool operator==(const TrimAdviceSteps&) const = default;
};
// `ssd`: the entry names an SSD; `given`: the advice was acted on before (`Trim Check` = "1").
TrimAdviceSteps trim_advice_steps(bool ssd, bool given, const DriveFacts& facts);

// A SATA/ATA controller as the AHCI report shows it.
struct SataController {
    std::string address;  // PCI address
    std::string driver;   // kernel driver, "" when none is bound
};
// One line per controller with its mode, then, when one is not in AHCI mode, that the mode is a
// firmware (BIOS) setting; a machine without one says so.
std::string ahci_report(const std::vector<SataController>& controllers);

}  // namespace bw
