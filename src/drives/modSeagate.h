#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Seagate model texts, upper-cased. Each decoder writes what it finds into `spec` and composes the
// two summary lines in the standard way.
void DecodeSeagateClassic(std::string_view model, DriveSpec& spec);    // "ST3...", "ST9..."
void DecodeSeagateMaxtor(std::string_view model, DriveSpec& spec);     // "STM..."
void DecodeSeagateFamily(std::string_view model, DriveSpec& spec);     // "ST...", "MX..."
void DecodeSeagateRetailKit(std::string_view model, DriveSpec& spec);  // "AA" ... "DS"

}  // namespace bw
