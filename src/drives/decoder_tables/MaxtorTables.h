#pragma once

// Maxtor numbers ("6Y080L0") and Maxtor-Quantum numbers (the SCSI families).

#include <string_view>

#include "drives/SpecComposition.h"

namespace bw::maxtor {

// Family by the first two characters; an empty speed means the family names none.
struct Family {
    std::string_view code, brand, rpm;
};
inline constexpr Family kFamilies[] = {
    {"6Y", "DiamondMax(DM) Plus 9", "7200"},
    {"6B", "DM10", "7200"},
    {"6L", "DM10 RoHS compliant version", "7200"},
    {"6H", "DM11", "7200"},
    {"7B", "MaxLine(ML)III", "7200"},
    {"7L", "MLIII RoHS compliant", "7200"},
    {"7H", "ML Pro", "7200"},
    {"4R", "DM16", ""},
    {"2F", "Fireball 3", ""},
    {"6E", "DM Plus 8", ""},
    {"5A", "ML II", "5400"},
    {"7Y", "ML Plus II", "7200"},
};

inline constexpr std::string_view kFdb = "Fluid Dynamic Bearing (FDB) motor";
inline constexpr std::string_view kBallBearing = "Ball-Bearing motor";

struct CodeLetter {
    std::string_view code, cache, interface, feature;
};
inline constexpr CodeLetter kCodeLetters[] = {
    {"J", "2 MB", "PATA 133", kBallBearing}, {"L", "2 MB", "PATA 133", kFdb},
    {"P", "8 MB", "PATA 133", kFdb},         {"R", "16 MB", "PATA 133", kFdb},
    {"M", "8 MB", "SATA 150", kFdb},         {"S", "16 MB", "SATA 150", kFdb},
    {"F", "16 MB", "SATA 3g", kFdb},         {"T", "2 MB", "SATA 150", kFdb},
    {"V", "8 MB", "PATA 100", kFdb},         {"W", "2 MB", "SATA", kFdb},
    {"E", "8 MB", "SATA 3g", kFdb},          {"G", "32 MB", "SATA 3g", kFdb},
    {"H", "2 MB", "PATA", kBallBearing},     {"K", "2 MB", "PATA 100", kBallBearing},
    {"N", "2 MB", "SATA 150", kBallBearing},
};

// Maxtor-Quantum families; speed "UNK" unless the family names one.
inline constexpr std::string_view kQuantumUnknownRpm = "UNK";
inline constexpr Family kQuantumFamilies[] = {
    {"8E", "ATLAS 15K II", "15,000"},
    {"8B", "ATLAS 10K IV", "10,000"},
    {"8C", "ATLAS 15K", "15,000"},
    {"8D", "ATLAS 10K V", "10,000"},
    {"AT", "ATLAS I", ""},
    {"EN", "PRODRIVE LPS", ""},
    {"EP", "PRODRIVE LPS", ""},
    {"GM", "PRODRIVE LPS", ""},
    {"HN", "ATLAS II", ""},
    {"KN", "ATLAS IV", ""},
    {"KW", "ATLAS 10K III", "10,000"},
    {"KU", "ATLAS 10K III (U320 VERSION)", "10,000"},
    {"MU", "PRODRIVE", ""},
    {"PI", "PRODRIVE ELS", ""},
    {"PX", "VIKING II", ""},
    {"RR", "LPS (ROADRUNNER)", ""},
    {"TD", "ATLAS III", ""},
    {"TN", "ATLAS 10K", "10,000"},
    {"TY", "ATLAS 10K II", "10,000"},
    {"VK", "VIKING", ""},
    {"XC", "ATLAS V", ""},
};

// Interface letter, looked for at position 6 and then at position 5, first match wins.
inline constexpr decode::CodeText kQuantumInterfaces[] = {
    {"D", "SCSI Wide, 68-pin High Voltage Differential (HVD)"},
    {"F", "Fibre Channel"},
    {"J", "SCSI SCA, 80-pin"},
    {"L", "SCSI Wide, 68-pin Low Voltage Differential (LVD)"},
    {"S", "SCSI, 50-pin Single Ended (SE)"},
    {"W", "SCSI Wide, 68-pin Single Ended"},
};
inline constexpr std::size_t kQuantumInterfacePositions[] = {6, 5};

}  // namespace bw::maxtor
