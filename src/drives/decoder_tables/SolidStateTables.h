#pragma once

// Solid-state drives: the vendor words that mark a solid-state drive, one maker's exact product
// numbers, and the enterprise "Z" numbers.

#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::ssd {

// Tested in this order anywhere in the model text, ignoring letter case. "PNY " needs its blank.
struct Vendor {
    std::string_view word, product_name;
};
inline constexpr Vendor kVendors[] = {
    {"CORSAIR", "CORSAIR"},   {"OCZ", "OCZ"},         {"CRUCIAL", "CRUCIAL"},
    {"KINGSTON", "KINGSTON"}, {"SANDISK", "SANDISK"}, {"MUSHKIN", "MUSHKIN"},
    {"ADATA", "ADATA"},       {"PATRIOT", "PATRIOT"}, {"PLEXTOR", "PLEXTOR"},
    {"ZALMAN", "ZALMAN"},     {"BIWIN", "BIWIN"},     {"TRANSCEND", "TRANSCEND"},
    {"G.SKILL", "G.SKILL"},   {"PNY ", "PNY"},        {"WINTEC", "WINTEC"},
    {"VERBATIM", "VERBATIM"}, {"AXIOM", "AXIOM"},
};

// Exact product numbers "SSD-" + series + four capacity digits + "S" + "I"/"C" + "-" + build
// ("SSD-D0128SI-7100"), compared case-sensitively with the whole model text.
struct Series {
    std::string_view letter;
    std::string_view capacities[6];
    std::string_view product_name, interface;
};
inline constexpr Series kSeries[] = {
    {"D", {"0008", "0016", "0032", "0064", "0128"}, "WD SSD", "SATA 3G"},
    {"C", {"0002", "0004", "0008", "0016", "0032", "0064"}, "WD SSD CFast A100", "SATA 3G"},
    {"M", {"0002", "0004", "0008", "0016", "0032", "0064"}, "WD SSD A100", "mSATA 3G"},
};
inline constexpr std::string_view kKinds[] = {"SI", "SC"};
inline constexpr std::string_view kBuilds[] = {"7100", "7150"};
// The one capacity that a build reports differently from its digits.
struct SizeOverride {
    std::string_view capacity, build, size;
};
inline constexpr SizeOverride kSizeOverrides[] = {
    {"0128", "7100", "120"},
};

// SATA generation words, the first one found deciding.
inline constexpr decode::CodeText kGenerations[] = {
    {"S3", "SATA III"},
    {"S2", "SATA II"},
};
inline constexpr std::string_view kGenerationOther = "SATA";

// Enterprise "Z" numbers ("Z16IZF2E-200UCU"): "Z", generation digits, a kind letter, an interface
// letter, then a case digit and a link-speed letter; the capacity in GB follows the dash.
inline constexpr decode::CodeText kZeusKinds[] = {
    {"I", "IOps"},
};
inline constexpr std::string_view kZeusKindOther = "Standard";
inline constexpr decode::CodeText kZeusInterfaces[] = {
    {"Z", "SAS (Serial Attached SCSI)"},
    {"S", "SATA (Serial ATA)"},
    {"A", "ATA (Parallel ATA)"},
    {"F", "FC (Fibre Channel)"},
};
inline constexpr decode::CodeText kZeusCases[] = {
    {"1", "1.8-Inch"},
    {"2", "2.5-Inch"},
    {"3", "2.5-Inch"},
};
inline constexpr decode::CodeText kZeusLinkSpeeds[] = {
    {"A", "1.0Gb"}, {"B", "1.5Gb"}, {"C", "2.0Gb"}, {"D", "3.0Gb"}, {"E", "4.0Gb"},
};

}  // namespace bw::ssd
