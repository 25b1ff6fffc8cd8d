#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Fujitsu model texts, upper-cased; all three compose their own summary lines.
void DecodeFujitsu(std::string_view model, DriveSpec& spec);            // other "M..." numbers
void DecodeFujitsuEnterprise(std::string_view model, DriveSpec& spec);  // "MAX..."
void DecodeFujitsuMobile(std::string_view model, DriveSpec& spec);      // "MH..."

}  // namespace bw
