#include "drives/modMaxtor.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/MaxtorTables.h"

namespace bw {

using decode::At;
using decode::Mid;

void DecodeMaxtor(std::string_view model, DriveSpec& spec) {
    std::string brand, rpm, cache, interface, feature;
    if (const auto* family = decode::FindRow(maxtor::kFamilies, Mid(model, 1, 2))) {
        brand = family->brand;
        rpm = family->rpm;
    }
    std::string size(Mid(model, 3, 3));
    if (!size.empty() && size.front() == '0') size.erase(0, 1);  // "080" is an 80 GB drive
    if (const auto* code = decode::FindRow(maxtor::kCodeLetters, At(model, 7))) {
        cache = code->cache;
        interface = code->interface;
        feature = code->feature;
    }
    spec.Brand = brand;
    spec.Rpm = rpm;
    spec.Size = size;
    spec.SizeUnit = "GB";
    spec.Cache = cache;
    spec.Interface = interface;
    spec.Feature = feature;
    spec.SpecLine1 = "Maxtor " + spec.Size + " " + spec.SizeUnit + " Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface + " " + spec.Brand + "  " + spec.Feature;
}

void DecodeMaxtorQuantum(std::string_view model, DriveSpec& spec) {
    std::string brand, rpm(maxtor::kQuantumUnknownRpm), interface;
    if (const auto* family = decode::FindRow(maxtor::kQuantumFamilies, Mid(model, 1, 2))) {
        brand = family->brand;
        if (!family->rpm.empty()) rpm = family->rpm;
    }
    const decode::CodeText* letter = nullptr;
    for (std::size_t pos : maxtor::kQuantumInterfacePositions)
        if (!letter) letter = decode::FindRow(maxtor::kQuantumInterfaces, At(model, pos));
    if (letter) interface = letter->text;

    // With an interface letter the capacity has three digits, without one two.
    spec.Size = Mid(model, 3, letter ? 3 : 2);
    spec.SizeUnit = "GB";
    spec.Brand = brand;
    spec.Rpm = rpm;
    spec.Interface = interface;
    // These numbers name neither cache nor motor: written empty, never another drive's.
    spec.Cache.clear();
    spec.Feature.clear();
    spec.SpecLine1 = "Maxtor-Quantum " + spec.Size + " " + spec.SizeUnit + "  RPM: " + spec.Rpm +
                     " Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface + "  " + spec.Brand;
}

}  // namespace bw
