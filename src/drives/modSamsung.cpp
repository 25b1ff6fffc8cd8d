#include "drives/modSamsung.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/SamsungTables.h"

namespace bw {

using decode::At;
using decode::Mid;

namespace {

std::string Scaled(std::string_view size, double multiplier) {
    return decode::NumberText(decode::NumberOf(size) * multiplier);
}

template <std::size_t N>
void ApplySizeScale(const samsung::SizeScale (&rows)[N], std::string_view code, std::string& size,
                    std::string& size_unit) {
    const samsung::SizeScale* row = decode::FindLastRow(rows, code);
    if (!row) return;
    if (row->multiplier != 0) size = Scaled(size, row->multiplier);
    size_unit = row->size_unit;
}

template <std::size_t N>
void ApplySpeed(const samsung::RpmInterface (&rows)[N], std::string_view code, DriveSpec& spec) {
    if (const samsung::RpmInterface* row = decode::FindLastRow(rows, code)) {
        spec.Rpm = row->rpm;
        spec.Interface = row->interface;
    }
}

}  // namespace

void DecodeSamsung(std::string_view model, DriveSpec& spec) {
    decode::SetFrom(samsung::kProductByPrefix, Mid(model, 1, 2), spec.ProductName);
    spec.Size = Mid(model, 3, 2);
    spec.SizeUnit = "GB";
    decode::SetFrom(samsung::kCache, At(model, 5), spec.Cache);
    std::string_view heads = At(model, 6);
    for (const samsung::HeadsLetter& row : samsung::kHeads) {
        if (heads.empty() || row.letters.find(heads) == std::string_view::npos) continue;
        spec.SizeUnit = "GB";
        spec.Family = row.family;
        if (row.size_times_ten) spec.Size = Scaled(spec.Size, 10);
    }
    ApplySpeed(samsung::kSpeedInterface, At(model, 7), spec);
    decode::ComposeStandard(spec);
}

void DecodeSamsungHN(std::string_view model, DriveSpec& spec) {
    spec.ProductName = "Internal";
    decode::SetFrom(samsung::kCase, At(model, 3), spec.Case);
    spec.Size = Mid(model, 4, 2);
    ApplySizeScale(samsung::kHnSizeScale, At(model, 6), spec.Size, spec.SizeUnit);
    ApplySpeed(samsung::kHnSpeedInterface, At(model, 7), spec);
    decode::SetFrom(samsung::kCache, At(model, 9), spec.Cache);
    decode::ComposeStandard(spec);
}

void DecodeSamsungExternal(std::string_view model, DriveSpec& spec) {
    std::string_view connection = At(model, 4);
    if (const auto* row = decode::FindRow(samsung::kExternalConnections, connection)) {
        spec.Interface = row->text;
        spec.ProductName = "External";
        decode::SetFrom(samsung::kCase, At(model, 3), spec.Case);
        decode::SetFrom(samsung::kExternalFamilies, connection, spec.Family);
        spec.Size = Mid(model, 5, 2);
        ApplySizeScale(samsung::kExternalConnectedSizeScale, At(model, 7), spec.Size,
                       spec.SizeUnit);
        decode::ComposeStandard(spec);
        return;
    }
    // Second scheme: product by prefix; its summary lines are left as they are.
    decode::SetFrom(samsung::kExternalProducts, Mid(model, 1, 2), spec.ProductName);
    decode::SetFrom(samsung::kExternalCase, At(model, 3), spec.Case);
    spec.Size = Mid(model, 4, 2);
    ApplySizeScale(samsung::kExternalSizeScale, At(model, 6), spec.Size, spec.SizeUnit);
    decode::SetFrom(samsung::kExternalInterfaces, At(model, 7), spec.Interface);
}

void DecodeSamsungSpinPoint(std::string_view model, DriveSpec& spec) {
    spec.Size = Mid(model, 3, 2);
    spec.Cache = At(model, 4) == "0" ? "2 MB" : "8 MB";
    std::string_view heads = At(model, 5);
    spec.SizeUnit = "GB";
    spec.Interface = At(model, 6) == "N" ? "PATA" : "SATA";
    spec.Brand.clear();
    spec.Feature.clear();
    spec.SpecLine1 = "Samsung " + spec.Size + " " + spec.SizeUnit +
                     "  Heads: " + std::string(heads) + " Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface;
}

}  // namespace bw
