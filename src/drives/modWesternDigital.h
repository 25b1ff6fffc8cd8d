#pragma once

#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw {

// Western Digital model texts (upper-cased, beginning with "WD", "WDC " included): known model
// and retail numbers first, then the position-coded layouts chosen by length and shape.
void DecodeWesternDigital(std::string_view model, DriveSpec& spec);

}  // namespace bw
