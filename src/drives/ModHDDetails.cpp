#include "drives/ModHDDetails.h"

#include <algorithm>

#include "drives/ModHitachi.h"
#include "drives/ModZEUS.h"
#include "drives/SpecComposition.h"
#include "drives/decoder_tables/SolidStateTables.h"
#include "drives/modFujitsu.h"
#include "drives/modMaxtor.h"
#include "drives/modSamsung.h"
#include "drives/modSeagate.h"
#include "drives/modWesternDigital.h"

namespace bw {

namespace {

using Decoder = void (*)(std::string_view model, DriveSpec& spec);

struct PrefixRule {
    std::string_view key;
    Decoder decode;
    std::string_view name;
};

#define BW_DECODER(fn) &fn, #fn

// Tried in order on the upper-cased text; the first key the text begins with picks the decoder.
// Order matters: "HDS" before "H", "MAX" before "M" (so "MAXTOR ..." is a Fujitsu enterprise
// number), "ST3"/"ST9" and "STM" before "ST", "HX"/"HN" before the other Samsung keys.
inline constexpr PrefixRule kPrefixRules[] = {
    {"HDS", BW_DECODER(DecodeHitachiDeskstar)},
    {"MAX", BW_DECODER(DecodeFujitsuEnterprise)},
    {"ST3", BW_DECODER(DecodeSeagateClassic)},
    {"ST9", BW_DECODER(DecodeSeagateClassic)},
    {"STM", BW_DECODER(DecodeSeagateMaxtor)},
    {"ST", BW_DECODER(DecodeSeagateFamily)},
    {"MX", BW_DECODER(DecodeSeagateFamily)},
    {"AA", BW_DECODER(DecodeSeagateRetailKit)},
    {"AB", BW_DECODER(DecodeSeagateRetailKit)},
    {"AC", BW_DECODER(DecodeSeagateRetailKit)},
    {"AD", BW_DECODER(DecodeSeagateRetailKit)},
    {"AE", BW_DECODER(DecodeSeagateRetailKit)},
    {"AF", BW_DECODER(DecodeSeagateRetailKit)},
    {"AG", BW_DECODER(DecodeSeagateRetailKit)},
    {"AH", BW_DECODER(DecodeSeagateRetailKit)},
    {"AJ", BW_DECODER(DecodeSeagateRetailKit)},
    {"AK", BW_DECODER(DecodeSeagateRetailKit)},
    {"AL", BW_DECODER(DecodeSeagateRetailKit)},
    {"AM", BW_DECODER(DecodeSeagateRetailKit)},
    {"AN", BW_DECODER(DecodeSeagateRetailKit)},
    {"AR", BW_DECODER(DecodeSeagateRetailKit)},
    {"AS", BW_DECODER(DecodeSeagateRetailKit)},
    {"AU", BW_DECODER(DecodeSeagateRetailKit)},
    {"AV", BW_DECODER(DecodeSeagateRetailKit)},
    {"AW", BW_DECODER(DecodeSeagateRetailKit)},
    {"AX", BW_DECODER(DecodeSeagateRetailKit)},
    {"AY", BW_DECODER(DecodeSeagateRetailKit)},
    {"BA", BW_DECODER(DecodeSeagateRetailKit)},
    {"BB", BW_DECODER(DecodeSeagateRetailKit)},
    {"BC", BW_DECODER(DecodeSeagateRetailKit)},
    {"BD", BW_DECODER(DecodeSeagateRetailKit)},
    {"BE", BW_DECODER(DecodeSeagateRetailKit)},
    {"BF", BW_DECODER(DecodeSeagateRetailKit)},
    {"CE", BW_DECODER(DecodeSeagateRetailKit)},
    {"DK", BW_DECODER(DecodeSeagateRetailKit)},
    {"DS", BW_DECODER(DecodeSeagateRetailKit)},
    {"HX", BW_DECODER(DecodeSamsungExternal)},
    {"HY", BW_DECODER(DecodeSamsungExternal)},
    {"HZ", BW_DECODER(DecodeSamsungExternal)},
    {"HN", BW_DECODER(DecodeSamsungHN)},
    {"HA", BW_DECODER(DecodeSamsung)},
    {"HE", BW_DECODER(DecodeSamsung)},
    {"HS", BW_DECODER(DecodeSamsung)},
    {"HD", BW_DECODER(DecodeSamsung)},
    {"HM", BW_DECODER(DecodeSamsung)},
    {"HU", BW_DECODER(DecodeSamsung)},
    {"SP", BW_DECODER(DecodeSamsungSpinPoint)},
    {"H", BW_DECODER(DecodeHitachi)},
    {"IC", BW_DECODER(DecodeIbm)},
    {"MH", BW_DECODER(DecodeFujitsuMobile)},
    {"MU", BW_DECODER(DecodeMaxtorQuantum)},
    {"M", BW_DECODER(DecodeFujitsu)},
    {"WD", BW_DECODER(DecodeWesternDigital)},
    {"6Y", BW_DECODER(DecodeMaxtor)},
    {"6B", BW_DECODER(DecodeMaxtor)},
    {"6L", BW_DECODER(DecodeMaxtor)},
    {"6H", BW_DECODER(DecodeMaxtor)},
    {"7B", BW_DECODER(DecodeMaxtor)},
    {"7L", BW_DECODER(DecodeMaxtor)},
    {"7H", BW_DECODER(DecodeMaxtor)},
    {"4R", BW_DECODER(DecodeMaxtor)},
    {"2F", BW_DECODER(DecodeMaxtor)},
    {"6E", BW_DECODER(DecodeMaxtor)},
    {"5A", BW_DECODER(DecodeMaxtor)},
    {"7Y", BW_DECODER(DecodeMaxtor)},
    {"8E", BW_DECODER(DecodeMaxtorQuantum)},
    {"8B", BW_DECODER(DecodeMaxtorQuantum)},
    {"8C", BW_DECODER(DecodeMaxtorQuantum)},
    {"8D", BW_DECODER(DecodeMaxtorQuantum)},
    {"AT", BW_DECODER(DecodeMaxtorQuantum)},
    {"EN", BW_DECODER(DecodeMaxtorQuantum)},
    {"EP", BW_DECODER(DecodeMaxtorQuantum)},
    {"GM", BW_DECODER(DecodeMaxtorQuantum)},
    {"KN", BW_DECODER(DecodeMaxtorQuantum)},
    {"KW", BW_DECODER(DecodeMaxtorQuantum)},
    {"KU", BW_DECODER(DecodeMaxtorQuantum)},
    {"PI", BW_DECODER(DecodeMaxtorQuantum)},
    {"PX", BW_DECODER(DecodeMaxtorQuantum)},
    {"RR", BW_DECODER(DecodeMaxtorQuantum)},
    {"TD", BW_DECODER(DecodeMaxtorQuantum)},
    {"TN", BW_DECODER(DecodeMaxtorQuantum)},
    {"TY", BW_DECODER(DecodeMaxtorQuantum)},
    {"VK", BW_DECODER(DecodeMaxtorQuantum)},
    {"XC", BW_DECODER(DecodeMaxtorQuantum)},
    {"Z", BW_DECODER(DecodeZeus)},
};

#undef BW_DECODER

// RAID and virtual volumes of one chipset maker report a model beginning with these letters
// (exact case); they are not drives and get no record.
constexpr std::string_view kVolumeMarker = "AMD";
constexpr std::string_view kHitachiWord = "HITACHI";  // dropped together with the blank after it

struct Stores {
    std::array<DriveSpec, kDriveSlots> drives;
    std::array<LetterSpec, kDriveSlots> letters;
    LetterSpec current;
    std::string last_decoder;
    std::function<void(char)> free_space_refresh;
};

Stores& stores() {
    static Stores s;
    return s;
}

// Index of a drive letter "A" to "Z" (upper case only), or -1.
int LetterIndex(std::string_view letter) {
    if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Z') return -1;
    return letter[0] - 'A';
}

bool ValidDrive(int drive_number) {
    return drive_number >= 0 && drive_number < kDriveSlots;
}

}  // namespace

std::array<DriveSpec, kDriveSlots>& DriveSpecTable() {
    return stores().drives;
}
std::array<LetterSpec, kDriveSlots>& LetterSpecs() {
    return stores().letters;
}
LetterSpec& CurrentDriveSpecs() {
    return stores().current;
}
const std::string& LastDecoderName() {
    return stores().last_decoder;
}

bool IsSsdVendorModel(std::string_view model) {
    return std::any_of(std::begin(ssd::kVendors), std::end(ssd::kVendors),
                       [&](const ssd::Vendor& v) { return decode::ContainsNoCase(model, v.word); });
}

std::string_view DecodeModelText(std::string& model, DriveSpec& spec) {
    // Solid-state drives are recognised on the text as reported, before any other rule.
    if (decode::ContainsNoCase(model, "SSD") || IsSsdVendorModel(model)) {
        DecodeSolidState(model, spec);
        return "DecodeSolidState";
    }
    if (decode::StartsWith(model, kVolumeMarker)) return {};
    decode::UpperAscii(model);
    if (decode::StartsWith(model, kHitachiWord))
        model.erase(0, std::min(model.size(), kHitachiWord.size() + 1));
    for (const PrefixRule& rule : kPrefixRules) {
        if (decode::StartsWith(model, rule.key)) {
            rule.decode(model, spec);
            return rule.name;
        }
    }
    return {};
}

void DecodeDriveModel(std::string& model, int drive_number) {
    // A drive numbered past the table is decoded into a scratch record that is dropped, so it gets
    // no record and no message. The slot is cleared first: its record tells about this model only,
    // never about a drive that held the number before.
    DriveSpec scratch;
    DriveSpec& spec = ValidDrive(drive_number) ? stores().drives[drive_number] : scratch;
    spec = DriveSpec{};
    stores().last_decoder = DecodeModelText(model, spec);
}

void MapDriveLetterSpecs(std::string_view letter, int drive_number) {
    int index = LetterIndex(letter);
    if (index < 0 || !ValidDrive(drive_number)) return;
    const DriveSpec& drive = stores().drives[drive_number];
    stores().letters[index] = LetterSpec{drive.SpecLine1, drive.SpecLine2, drive.Rpm,
                                         drive.Cache,     drive.Interface, drive.Brand};
}

void SelectDriveSpecs(std::string_view letter) {
    std::string upper = decode::UpperCopy(letter);
    stores().current = LetterSpec{};
    int index = LetterIndex(upper);
    if (index < 0) return;
    stores().current = stores().letters[index];
    if (stores().free_space_refresh) stores().free_space_refresh(upper[0]);
}

void set_free_space_refresh(std::function<void(char letter)> refresh) {
    stores().free_space_refresh = std::move(refresh);
}

}  // namespace bw

namespace bw {

std::vector<std::pair<std::string_view, const std::string*>> DriveSpecFields(const DriveSpec& s) {
    return {{"SpecLine1", &s.SpecLine1}, {"SpecLine2", &s.SpecLine2}, {"Size", &s.Size},
            {"Brand", &s.Brand},         {"Rpm", &s.Rpm},             {"SizeUnit", &s.SizeUnit},
            {"Feature", &s.Feature},     {"Cache", &s.Cache},         {"Interface", &s.Interface},
            {"Case", &s.Case},           {"Family", &s.Family},       {"ProductName", &s.ProductName}};
}

}  // namespace bw
