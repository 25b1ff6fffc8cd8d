#pragma once

// Seagate: classic numbers (ST3..., ST9...) with their retail variants, Seagate-built Maxtor
// numbers (STM...), family-coded numbers (ST1000DM003) and retail kit numbers. The cache words
// use "MG" as their unit.

#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::seagate {

using decode::CodeText;

// Retail kit product names by the first two characters.
inline constexpr CodeText kRetailProducts[] = {
    {"ST", "Seagate Technology"},
    {"AA", "FreeAgent GoFlex"},
    {"AB", "FreeAgent GoFlex Drive only"},
    {"AC", "FreeAgent GoFlex Desk"},
    {"AD", "FreeAgent GoFlex Pro"},
    {"AE", "FreeAgent GoFlex Adapter"},
    {"AF", "Accessory - Case"},
    {"AG", "Accessory - Dock"},
    {"AH", "BlackArmor NAS 420"},
    {"AJ", "GoFlex TV"},
    {"AK", "GoFlex Net"},
    {"AL", "FreeAgent Go"},
    {"AM", "GoFlex Home"},
    {"AN", "Retail Internal Drive kit"},
    {"AR", "BlackArmor 400"},
    {"AS", "FreeAgent Desk"},
    {"AU", "BlackArmor NAS 440"},
    {"AV", "BlackArmor NAS 220"},
    {"AW", "BlackArmor NAS 110"},
    {"AX", "Expansion Portable External Drive"},
    {"AY", "Expansion Desktop External Drive"},
    {"BA", "GoFlex for Mac"},
    {"BB", "GoFlex Pro for Mac"},
    {"BC", "GoFlex Desk for Mac"},
    {"BD", "Retail Internal Drive kit"},
    {"BE", "GoFlex Slim"},
    {"BF", "GoFlex Satelite"},
    {"CE", "FreeAgent Theater"},
    {"DK", "FreeAgent Dock"},
    {"DS", "FreeAgent DockStar"},
};

// Product names of the two-letter family codes that follow the capacity digits.
inline constexpr CodeText kFamilyProducts[] = {
    {"DX", "Desktop Premium"},    {"DM", "Mainstream"},
    {"DL", "Entry Level"},        {"LX", "Laptop Premium"},
    {"LM", "Laptop Mainstream"},  {"LT", "Laptop Thin"},
    {"MX", "Mission - Critical"}, {"NX", "Nearline"},
    {"VX", "Surveillance"},       {"VM", "DVR"},
    {"VT", "DVR Thin"},           {"FX", "Enterprise SSD"},
    {"FM", "Enterprise SSD"},
};

// Letters that can open the family code, in the order they are looked for; positions 5 to 7.
inline constexpr std::string_view kFamilyLetters[] = {"D", "L", "M", "N", "V", "F"};
inline constexpr std::size_t kFamilyLetterPositions[] = {5, 6, 7};

// Retail suffix codes: they select the retail layout and name its interface.
inline constexpr CodeText kRetailSuffixes[] = {
    {"RK", "Retail Kit"},
    {"01", "USB"},
    {"E1", "USB"},
    {"02", "USB / eSATA"},
    {"E2", "USB / eSATA"},
    {"03", "USB / eSATA / 1394a"},
    {"E3", "USB / eSATA / 1394a"},
    {"04", "USB / eSATA / 1394a / 1394b"},
    {"E4", "USB / eSATA / 1394a / 1394b"},
    {"05", "USB / 1394a"},
    {"E5", "USB / 1394a"},
    {"06", "USB / 1394a / 1394b"},
    {"E6", "USB / 1394a / 1394b"},
    {"07", "1394a"},
    {"08", "1394a"},
    {"E7", "1394a"},
    {"E8", "1394a"},
    {"0E", "Ethernet"},
    {"0G", "Gigabit Ethernet"},
    {"CF", "Compact Flash"},
};

// Network words read one character later in a retail number.
inline constexpr CodeText kRetailNetworkAt14[] = {
    {"0E", "Ethernet"},
    {"0G", "Gigabit Ethernet"},
};

// Retail families of the classic numbers, at position 9 and (replacing it) at position 10.
inline constexpr CodeText kRetailFamiliesAt9[] = {
    {"BA", "BlackArmor"},      {"BD", "Replica"},           {"CE", "FreeAgent Theater"},
    {"EX", "Expansion Drive"}, {"FD", "FreeAgent Desktop"}, {"FG", "FreeAgent GO"},
    {"FP", "FreeAgentPor"},    {"OT", "One Touch"},
};
inline constexpr CodeText kRetailFamiliesAt10[] = {
    {"CA", "Central Axis"},
    {"CD", "Central Axis Business Edition"},
    {"FS", "Fusion"},
    {"LS", "BlackArmor NAS 220"},
    {"MR", "Mirra"},
    {"SD", "Dual Drive Shared Storage"},
    {"SH", "BlackArmor NAS 420/440"},
    {"SS", "Shared Storage"},
};

// Cache digit of the classic numbers; "5" is known to the retail layout only.
struct CacheDigit {
    std::string_view code, text;
    bool retail_only;
};
inline constexpr CacheDigit kClassicCache[] = {
    {"0", "2 MG", false},  {"1", "2 MG", false},  {"2", "2 MG", false}, {"3", "8/32 MG", false},
    {"4", "16 MG", false}, {"6", "16 MG", false}, {"5", "32 MG", true}, {"8", "8 MG", false},
};

// Spindle speed digit of the plain classic layout (character 8).
inline constexpr CodeText kClassicRpm[] = {
    {"0", "10000"},
    {"5", "15000"},
};

// Case by character 3 of classic and retail numbers; anything else is a 2.5 inch drive.
inline constexpr CodeText kClassicCase[] = {
    {"3", "3.5 inch"},
    {"6", "1 inch"},
};
inline constexpr std::string_view kClassicCaseOther = "2.5 inch";

// Interface of the plain classic layout, read from the letters that follow the model digits
// (position 10 in the common nine-digit numbers). The first row that matches decides.
enum class SuffixMatch { Prefix, Whole, Always };
struct InterfaceRule {
    SuffixMatch match;
    std::string_view code, text;
};
inline constexpr InterfaceRule kClassicInterfaces[] = {
    {SuffixMatch::Prefix, "ASG", "SATA w/ Free Fall Protection"},
    {SuffixMatch::Prefix, "U2", "USB 2.0"},
    {SuffixMatch::Prefix, "CB", "USB/1394a"},
    {SuffixMatch::Prefix, "FC", "Fiber Channel"},
    {SuffixMatch::Prefix, "LC", "80 Pin SCSI"},
    {SuffixMatch::Prefix, "LW", "68 Pin SCSI"},
    {SuffixMatch::Prefix, "NS", "SATA/SAS"},
    {SuffixMatch::Prefix, "SS", "Serial SCSI"},
    {SuffixMatch::Prefix, "AS", "SATA"},
    {SuffixMatch::Prefix, "XS", "eSATA"},
    {SuffixMatch::Whole, "A", "ATA"},
    {SuffixMatch::Prefix, "A", "USB"},
    {SuffixMatch::Prefix, "U", "USB 2.0"},
    {SuffixMatch::Always, "", "IDE"},
};

// Seagate-built Maxtor numbers.
inline constexpr CodeText kMaxtorCase[] = {
    {"1", "3.5 inch - 1.6-inch HH"},
    {"2", "5.25 inch - 1.6-inch HH"},
    {"3", "3.5 inch - 1 inch H"},
    {"9", "2.5 inch - 0.75-inch H"},
    {"6", "9 inch HH"},
    {"8", "8 inch HH"},
    {"7", "1.8-inch"},
    {"4", "5.25-inch - full H"},
    {"5", "3.5-inch - 0.75-inch H"},
};

inline constexpr CodeText kMaxtorCache[] = {
    {"0", "2 MG"}, {"2", "2 MG"}, {"3", "8 MG"}, {"8", "8 MG"}, {"4", "16 MG"}, {"6", "16 MG"},
};

// Interface codes from position 9, tried in order; the first code that stands there wins, so the
// longer codes come before their shorter beginnings ("LCV" before "LC", "N" after "NP").
inline constexpr CodeText kMaxtorInterfaces[] = {
    {"AS", "SATA interface"},
    {"ND", "SCSI Differential"},
    {"NM", "SCSI Apple Macintosh"},
    {"NS", "SCSI Synchronized Spindle"},
    {"NV", "SCSI Novell NetWare"},
    {"NP", "SCSI Write precomp"},
    {"DC", "Differential, 80-pin Single Connector Attachment"},
    {"LCV", "Low Voltage Differential, 80-pin SCA Large Cache"},
    {"LC", "Low Voltage Differential, 80-pin SCA"},
    {"LWV", "Low Voltage Differential, 68-pin Wide SCSI Connector Large Cache"},
    {"LW", "Low Voltage Differential, 68-pin Wide SCSI Connector"},
    {"WC", "SCSI, 80-pin SCA (Hot Swapable)"},
    {"WD", "Differential, 68-pin Wide SCSI Connector"},
    {"FCV", "Fibre Channel, 40-pin SCA increased cache size"},
    {"FC", "Fibre Channel, 40-pin SCA"},
    {"N", "SCSI, 50-pin Narrow SCSI Connector"},
    {"R", "ST412 / RLL"},
    {"A", "AT Bus"},
    {"X", "XT Bus"},
    {"E", "ESDI"},
    {"J", "SMD"},
    {"K", "IPI-2"},
    {"W", "SCSI, 68-pin Wide SCSI Connector"},
    {"P", "PCMCIA (PC Card)"},
    {"S", "Synchronized Spindle"},
};

}  // namespace bw::seagate
