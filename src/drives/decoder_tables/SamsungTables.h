#pragma once

// Samsung: "HA"/"HE"/"HS"/"HD"/"HM"/"HU" hard drives, "HN" drives, "HX"/"HY"/"HZ" external
// products and SpinPoint "SP" numbers.

#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::samsung {

using decode::CodeText;

inline constexpr CodeText kProductByPrefix[] = {
    {"HA", "Consumer Electronics"},
    {"HE", "Enterprise"},
    {"HS", "SFF"},
    {"HX", "External"},
    {"HD", "Desktop"},
    {"HM", "Mobile"},
    {"HU", "Ultra SFF"},
};

// Cache letter (position 5 of the hard drive numbers, position 9 of the "HN" numbers).
inline constexpr CodeText kCache[] = {
    {"A", "2 MB"}, {"B", "8 MB"}, {"C", "16 MB"}, {"D", "32 MB"}, {"E", "64 MB"}, {"F", "128 MB"},
};

// Position 6 of the hard drive numbers: the letters of the larger drives also scale the size.
struct HeadsLetter {
    std::string_view letters, family;
    bool size_times_ten;
};
inline constexpr HeadsLetter kHeads[] = {
    {"ABCDEF", "Heads 1-6", false},
    {"GHIJKLMNPQRSTUVW", "Heads 1-8", true},
};

struct RpmInterface {
    std::string_view code, rpm, interface;
};
inline constexpr RpmInterface kSpeedInterface[] = {
    {"A", "3600", "PATA"},        {"B", "4200", "PATA"},         {"C", "5400", "PATA"},
    {"D", "7200", "PATA"},        {"E", "4200", "SATA 1.5G"},    {"F", "5400", "SATA 1.5G"},
    {"G", "7500", "SATA 1.5G"},   {"H", "4200", "SATA II 3G"},   {"I", "5400", "SATA II 3G"},
    {"J", "7200", "SATA II 3G"},  {"K", "10000", "SATA II 3G"},  {"L", "5400", "SATA III 6G"},
    {"M", "7200", "SATA III 6G"}, {"N", "10000", "SATA III 6G"}, {"P", "3600", "ATA"},
    {"Q", "4200", "ATA"},         {"R", "4200", "USB"},          {"S", "3600", "USB"},
    {"T", "10000", "SAS 6G"},     {"U", "15000", "SAS 6G"},      {"V", "10000", "FC 4G"},
    {"W", "15000", "FC 4G"},      {"X", "5400", "USB Onboard"},  {"Y", "5400", "USB Onboard"},
};

inline constexpr RpmInterface kHnSpeedInterface[] = {
    {"I", "5400", "SATA 1.5G"},   {"J", "7200", "SATA 1.5G"},    {"K", "10000", "SATA 1.5G"},
    {"L", "15000", "SATA 1.5G"},  {"M", "5400", "SATA II 3G"},   {"N", "7200", "SATA II 3G"},
    {"P", "10000", "SATA II 3G"}, {"Q", "15000", "SATA II 3G"},  {"R", "5400", "SATA III 6G"},
    {"S", "7200", "SATA III 6G"}, {"T", "10000", "SATA III 6G"}, {"U", "15000", "SATA III 6G"},
};

// Case letter at position 3; the external products' second scheme has "A" instead of "S".
inline constexpr CodeText kCase[] = {
    {"D", "3.5 Inch"},
    {"M", "2.5 Inch"},
    {"S", "1.3 or 1.8 Inch"},
};
inline constexpr CodeText kExternalCase[] = {
    {"D", "3.5 Inch"},
    {"M", "2.5 Inch"},
    {"A", "Adapter"},
};

// Size digit rules: a multiplier of the size text and the unit they set (no multiplier: the size
// text stays; no unit: the unit stays).
struct SizeScale {
    std::string_view code;
    double multiplier;  // 0: the size is left as it is
    std::string_view size_unit;
};
inline constexpr SizeScale kHnSizeScale[] = {
    {"0", 10, "GB"},
    {"1", 100, "GB"},
    {"2", 0, "TB"},
};
inline constexpr SizeScale kExternalSizeScale[] = {
    {"A", 0, "Adapter"}, {"B", 0, "Dock"}, {"0", 10, "GB"}, {"1", 100, "GB"}, {"2", 0, "TB"},
};
inline constexpr SizeScale kExternalConnectedSizeScale[] = {
    {"A", 0, "GB"},
    {"B", 10, "GB"},
};

// External products, first scheme: position 4 names the connections.
inline constexpr CodeText kExternalConnections[] = {
    {"U", "USB 2.0"},
    {"E", "USB 2.0 or eSATA"},
    {"F", "USB 2.0 or Firewire"},
    {"P", "USB 2.0 or eSATA or Firewire"},
    {"D", "eSATA or Firewire"},
};
inline constexpr CodeText kExternalFamilies[] = {
    {"0", "Default"},
    {"R", "Raid 1, 5"},
    {"C", "Card Slot"},
};

// External products, second scheme.
inline constexpr CodeText kExternalProducts[] = {
    {"HX", "External"},
    {"HY", "NAS"},
    {"HZ", "Media Player"},
};
inline constexpr CodeText kExternalInterfaces[] = {
    {"E", "USB 2.0 or eSATA"},
    {"T", "USB 3.0"},
    {"U", "USB 2.0"},
};

}  // namespace bw::samsung
