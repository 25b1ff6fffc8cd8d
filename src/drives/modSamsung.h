#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Samsung model texts, upper-cased.
void DecodeSamsung(std::string_view model, DriveSpec& spec);    // "HA" "HE" "HS" "HD" "HM" "HU"
void DecodeSamsungHN(std::string_view model, DriveSpec& spec);  // "HN"
void DecodeSamsungExternal(std::string_view model, DriveSpec& spec);   // "HX" "HY" "HZ"
void DecodeSamsungSpinPoint(std::string_view model, DriveSpec& spec);  // "SP"

}  // namespace bw
