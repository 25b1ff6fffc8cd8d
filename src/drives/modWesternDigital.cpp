#include "drives/modWesternDigital.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/WesternDigitalTables.h"

namespace bw {

using decode::At;
using decode::Mid;

namespace {

// What the position tables find for one drive. Made fresh for every decode, so a code letter that
// is in no table leaves its value empty instead of the previous drive's.
struct Working {
    std::string size, size_unit, brand, rpm, cache, interface, case_;
};

// "WDC " dropped, " ATA Device" and what follows cut off, and then, unless the 11th character is
// "0", the text cut to the ten characters of the model number.
std::string StripSystemWords(std::string_view model) {
    std::string text(model);
    if (decode::StartsWith(text, "WDC ")) text.erase(0, 4);
    std::size_t at = decode::FindNoCase(text, "ATA DEVICE");
    // Keep up to the blank before the words; when the words open the text there is nothing to cut.
    if (at != std::string::npos && at >= 1) text.resize(at - 1);
    return text;
}

void CutToModelNumber(std::string& text) {
    if (text.size() >= 11 && text[10] != '0') text.resize(10);
}

// Four capacity characters, the last one read as "0" ("1002" is a 1000 drive).
std::string CapacityCode(std::string_view text, std::size_t pos) {
    std::string code(Mid(text, pos, 4));
    if (!code.empty() && code.back() != '0') code.back() = '0';
    return code;
}

template <std::size_t N>
void ReadUnitCase(const wd::UnitCase (&rows)[N], std::string_view code, Working& w) {
    if (const auto* row = decode::FindLastRow(rows, code)) {
        w.size_unit = row->size_unit;
        w.case_ = row->case_;
    }
}

template <std::size_t N>
void ReadInterface(const wd::InterfaceCode (&rows)[N], std::string_view code, Working& w) {
    const auto* row = decode::FindLastRow(rows, code);
    if (!row) return;
    bool two_texts = !row->text_unless_mobile.empty();
    w.interface = (two_texts && !decode::ContainsNoCase(w.brand, "Mobile"))
                      ? row->text_unless_mobile
                      : row->text;
}

void StoreSevenFields(const Working& w, DriveSpec& spec) {
    spec.Size = w.size;
    spec.SizeUnit = w.size_unit;
    spec.Brand = w.brand;
    spec.Rpm = w.rpm;
    spec.Cache = w.cache;
    spec.Interface = w.interface;
    spec.Case = w.case_;
}

// The spacing of the two spec lines, which differs between the layouts.
struct LineGaps {
    std::string_view before_figures;  // before "RPM:" and "Cache:"
    std::string_view before_case;
};

// "WD" + capacity code + unit/case, brand, speed/cache and interface letters. The current and the
// earlier layout read the same positions, each with tables of its own.
template <std::size_t N7, std::size_t N8, class SpeedRow, std::size_t N9, std::size_t N10>
void DecodeLetterLayout(std::string_view text, const wd::UnitCase (&char7)[N7],
                        const decode::CodeText (&char8)[N8], const SpeedRow (&char9)[N9],
                        const wd::InterfaceCode (&char10)[N10], LineGaps gaps, DriveSpec& spec) {
    Working w;
    w.size = CapacityCode(text, 3);
    ReadUnitCase(char7, At(text, 7), w);
    decode::SetFrom(char8, At(text, 8), w.brand);
    if (const auto* row = decode::FindLastRow(char9, At(text, 9))) {
        w.rpm = row->rpm;
        w.cache = row->cache;
        // In the earlier layout the speed letter also names the brand.
        if constexpr (requires { row->brand; }) w.brand = row->brand;
    }
    ReadInterface(char10, At(text, 10), w);
    StoreSevenFields(w, spec);
    const std::string gap(gaps.before_figures);
    spec.SpecLine1 = "Western Digital " + w.size + " " + w.size_unit + gap + "RPM: " + w.rpm + gap +
                     "Cache: " + w.cache;
    spec.SpecLine2 = "Interface: " + w.interface + std::string(gaps.before_case) + "Case: " +
                     w.case_ + " " + w.brand;
}

void DecodeCurrentLayout(std::string_view text, DriveSpec& spec) {
    DecodeLetterLayout(text, wd::kCurrentChar7, wd::kCurrentChar8, wd::kCurrentChar9,
                       wd::kCurrentChar10, {" ", "   "}, spec);
}

void DecodeEarlierLayout(std::string_view text, DriveSpec& spec) {
    DecodeLetterLayout(text, wd::kEarlierChar7, wd::kEarlierChar8, wd::kEarlierChar9,
                       wd::kEarlierChar10, {"  ", "  "}, spec);
}

// "WD" + two to four capacity digits (hundreds of megabytes) + two code letters.
void DecodeOldShortLayout(std::string_view text, DriveSpec& spec) {
    Working w;
    std::string_view digits = Mid(text, 3, text.size() - 4);
    w.size = decode::WholeNumberText(decode::NumberOf(digits) * 100 / 1000);
    w.size_unit = "GB";
    if (const auto* row = decode::FindLastRow(wd::kOldNextToLast, At(text, text.size() - 1))) {
        w.rpm = row->rpm;
        w.cache = row->cache;
        w.brand = row->brand;
    }
    decode::SetFrom(wd::kOldLast, At(text, text.size()), w.interface);
    spec.Size = w.size;
    spec.Brand = w.brand;
    spec.Rpm = w.rpm;
    spec.Cache = w.cache;
    spec.Interface = w.interface;
    spec.SizeUnit = w.size_unit;
    spec.SpecLine1 =
        "Western Digital " + w.size + " " + w.size_unit + "  RPM: " + w.rpm + "  Cache: " + w.cache;
    spec.SpecLine2 = "Interface: " + w.interface;
}

// External drive: capacity code, then a three-digit code of the enclosure's connection.
void DecodeExternalDrive(std::string_view text, DriveSpec& spec) {
    Working w;
    w.size = CapacityCode(text, 3);
    decode::SetFrom(wd::kExternalDriveCodes, Mid(text, 8, 3), w.brand);
    w.size_unit = "GB";
    spec.Size = w.size;
    spec.Brand = w.brand;
    spec.SizeUnit = w.size_unit;
    spec.SpecLine1 = "Western Digital External" + w.size + " GB";
    spec.SpecLine2 = w.brand;
}

// External product ("WDXUL1200BBRNN"): the product key right after "WD", the capacity code after
// the key, then one speed-and-cache letter and one interface letter of the current layout.
void DecodeExternalProduct(std::string_view text, DriveSpec& spec) {
    const decode::CodeText* product = decode::FindRowAt(wd::kExternalProducts, text, 3);
    if (!product) return;
    std::size_t pos = 3 + product->code.size();
    Working w;
    w.brand = product->text;
    w.size = CapacityCode(text, pos);
    w.size_unit = "GB";
    if (const auto* row = decode::FindLastRow(wd::kCurrentChar9, At(text, pos + 4))) {
        w.rpm = row->rpm;
        w.cache = row->cache;
    }
    ReadInterface(wd::kCurrentChar10, At(text, pos + 5), w);
    spec.Brand = w.brand;
    spec.Size = w.size;
    spec.SizeUnit = w.size_unit;
    spec.Rpm = w.rpm;
    spec.Cache = w.cache;
    spec.Interface = w.interface;
    spec.SpecLine1 =
        "Western Digital " + w.size + " " + w.size_unit + "  RPM: " + w.rpm + "  Cache: " + w.cache;
    spec.SpecLine2 = "Interface: " + w.interface + "  " + w.brand;
}

}  // namespace

void DecodeWesternDigital(std::string_view model, DriveSpec& spec) {
    spec.ProductName.clear();
    if (const wd::KnownModel* row = decode::FindRow(wd::kKnownModels, model)) {
        spec.ProductName = row->product_name;
        spec.Interface = row->interface;
        spec.Case = row->case_;
        spec.Rpm = row->rpm;
        spec.Size = row->size;
        spec.SizeUnit = row->size_unit;
        spec.Cache = row->cache;
        decode::ComposeStandard(spec);
        return;
    }

    std::string text = StripSystemWords(model);
    if (!decode::StartsWith(text, "WD")) return;
    // External product numbers carry letters at the 11th character ("WDXB1200JBBNN"), so they are
    // recognised before the text is cut to a ten-character model number.
    if (text.size() > 11 && At(text, 3) == "X") return DecodeExternalProduct(text, spec);
    CutToModelNumber(text);

    if (text.size() == 10) return DecodeCurrentLayout(text, spec);
    if (text.size() >= 6 && text.size() <= 8) return DecodeOldShortLayout(text, spec);
    if (text.size() > 11) {
        if (At(text, 7) == "B") return DecodeExternalDrive(text, spec);
        if (text.size() == 12 || text.size() == 15) {
            text.resize(10);
            return DecodeEarlierLayout(text, spec);
        }
    }
}

}  // namespace bw
