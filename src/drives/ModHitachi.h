#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Hitachi and IBM model texts, upper-cased. All three compose their own summary lines.
void DecodeHitachiDeskstar(std::string_view model, DriveSpec& spec);  // "HDS..."
void DecodeHitachi(std::string_view model, DriveSpec& spec);          // other "H..." numbers
void DecodeIbm(std::string_view model, DriveSpec& spec);              // "IC..."

}  // namespace bw
