#pragma once

// Fujitsu numbers: "M..." (series, speed, case, capacity, interface), "MAX..." enterprise and
// "MH..." mobile drives.

#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::fujitsu {

using decode::CodeText;

inline constexpr CodeText kSeries[] = {
    {"A", "AL Series"}, {"C", "CAT Series"}, {"D", "Dynamo"},
    {"H", "HN Series"}, {"P", "PB Series"},
};
inline constexpr CodeText kRpm[] = {
    {"G", "10,000"}, {"P", "10,000"}, {"T", "10,000"},
    {"M", "15,000"}, {"S", "15,000"}, {"U", "15,000"},
};
// "SC" is listed twice; the later text is the one that stands.
inline constexpr CodeText kInterface[] = {
    {"FC", "Fibre Channel"},
    {"LC", "LVDS (SCSI ULTRA-2) SCA connector"},
    {"LP", "LVDS (SCSI ULTRA 2) 68 pin connector"},
    {"SC", "SCSI SCA"},
    {"SC", "SCSI 68 pin"},
    {"SS", "SCSI-2 single ended"},
};

// Case word by position 4: "2" is a 2.5 inch drive, anything else 3.5 inch.
inline constexpr CodeText kCase[] = {
    {"2", "2.5 inch"},
};
inline constexpr std::string_view kCaseOther = "3.5 inch";

inline constexpr CodeText kEnterpriseInterface[] = {
    {"FC", "Fibre Channel 2G"},
    {"FD", "Fibre Channel 4G"},
    {"LC", "LVDS (SCSI ULTRA-2) SCA connector"},
    {"LP", "LVDS (SCSI ULTRA 2) 68 pin connector"},
    {"NC", "SCSI 80 pin"},
    {"NP", "SCSI 68 pin"},
    {"RC", "SAS"},
};

struct MobileCode {
    std::string_view code, interface, rpm;
};
inline constexpr MobileCode kMobile[] = {
    {"AH", "ATA", "5400"},  {"AS", "ATA Extended Duty", "5400"},  {"AT", "ATA", "4200"},
    {"BH", "SATA", "5400"}, {"BS", "SATA Extended Duty", "5400"}, {"BT", "SATA", "4200"},
};

}  // namespace bw::fujitsu
