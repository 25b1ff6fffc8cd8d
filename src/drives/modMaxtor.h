#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Maxtor and Maxtor-Quantum model texts, upper-cased; both compose their own summary lines.
void DecodeMaxtor(std::string_view model, DriveSpec& spec);         // "6Y080L0" and kin
void DecodeMaxtorQuantum(std::string_view model, DriveSpec& spec);  // "MU", "8E", "KW", ...

}  // namespace bw
