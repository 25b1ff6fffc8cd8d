#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Drives recognised as solid-state (the text contains "SSD" or names a solid-state vendor). Sees
// the model text exactly as the system reports it, before any upper-casing.
void DecodeSolidState(std::string_view model, DriveSpec& spec);

// Enterprise solid-state "Z" numbers, upper-cased.
void DecodeZeus(std::string_view model, DriveSpec& spec);

}  // namespace bw
