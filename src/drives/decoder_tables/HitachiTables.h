#pragma once

// Hitachi Deskstar ("HDS..."), other Hitachi numbers ("H...") and IBM numbers ("IC...").

#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::hitachi {

using decode::CodeText;

// Deskstar: generation at position 10, case at 11, interface at 12-13, cache at 14.
inline constexpr CodeText kDeskstarGeneration[] = {
    {"P", "1"}, {"D", "2"}, {"V", "3"}, {"K", "5"}, {"A", "6"},
};
inline constexpr CodeText kDeskstarCase[] = {
    {"B", "3.5 Inch"},
    {"L", "3.5 Inch"},
};
inline constexpr CodeText kDeskstarInterface[] = {
    {"AT", "PATA"},
    {"SA", "SATA"},
    {"A3", "SATA 3G"},
};
inline constexpr CodeText kDeskstarCache[] = {
    {"2", "2 MB"},
    {"3", "32 MB"},
    {"8", "8 MB"},
    {"6", "16 MB"},
};

// Other Hitachi numbers: speed at 4-5, case at 11, interface at 12-13, cache at 14 (one or two
// characters), series words at 2 and 3.
inline constexpr CodeText kRpm[] = {
    {"36", "3600"}, {"42", "4200"}, {"5C", "CoolSpin"}, {"SL", "SLC"},
    {"54", "5400"}, {"72", "7200"}, {"10", "10,000"},   {"15", "15,000"},
};
inline constexpr CodeText kCase[] = {
    {"L", "1 Inch"}, {"S", "15mm"}, {"7", "7 mm"}, {"9", "9.5 mm"}, {"5", "5 mm"}, {"8", "8 mm"},
};
inline constexpr CodeText kInterface[] = {
    {"16", "Ultra 160, 68 pin"},
    {"18", "Ultra 160, 80 pin"},
    {"36", "Ultra 320, 68 pin"},
    {"38", "Ultra 320, 80 pin"},
    {"46", "SAS 6Gb/s with 4K block size"},
    {"A3", "Serial-ATA 3G"},
    {"A6", "Serial-ATA 6G"},
    {"ZT", "ATA"},
    {"CA", "CE - ATA"},
    {"CE", "ATA (ZIF Connector)"},
    {"CF", "CF2 pin"},
    {"CM", "ATA on MMC"},
    {"E3", "SATA 3Gb/s with 4K block size running 512 emulation"},
    {"F2", "Fibre channel 2GB"},
    {"F4", "Fibre channel 4GB"},
    {"N3", "SATA 3G 4K block size native"},
    {"S3", "SAS 3G"},
    {"S6", "SAS 6G"},
    {"SA", "Serial-ATA 1,5 GB"},
    {"SS", "Serial-attached SCSI"},
};
// Each code is compared with as many characters from position 14 as it has; every match writes.
inline constexpr CodeText kCache[] = {
    {"2", "2 MB"},  {"02", "2 MB"},  {"4", "2 MB"},   {"04", "2 MB"},  {"8", "8 MB"},
    {"08", "8 MB"}, {"16", "16 MB"}, {"32", "32 MB"}, {"64", "64 MB"},
};
inline constexpr CodeText kSeries[] = {
    {"D", "Deskstar"},  {"C", "CinemaStar"}, {"T", "Travelstar"},
    {"U", "Ultrastar"}, {"M", "Microdrive"}, {"E", "Endurastar"},
};
inline constexpr CodeText kSeriesKind[] = {
    {"S", "Standard"},   {"A", "ATA in Enterprise"}, {"Z", "Z-Height"}, {"C", "Compact"},
    {"J", "Endurastar"}, {"N", "Endurastar"},        {"E", "Enhanced"}, {"T", "Differentiator"},
};

// IBM: case by the size class at 3-4 and the height letter at 5, interface at 9-10, speed at 13-14.
inline constexpr std::string_view kIbmLargeCaseCode = "32";
inline constexpr CodeText kIbmHeight[] = {
    {"L", " X 1 inch - 25.4 mm"},
    {"T", " X .49 inch - 12.5 mm"},
    {"N", " X .37 inch - 9.5 mm"},
};
inline constexpr CodeText kIbmInterface[] = {
    {"AV", "ATA"},
    {"UW", "Ultra SCSI 68-pin Wide"},
    {"UC", "Ultra SCSI 80-pin SCA"},
    {"F2", "FC-AL-2 (2 Gbit)"},
};
inline constexpr CodeText kIbmRpm[] = {
    {"04", "4200"}, {"05", "5400"}, {"07", "7200"}, {"10", "10,000"}, {"15", "15,000"},
};

}  // namespace bw::hitachi
