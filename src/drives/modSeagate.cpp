#include "drives/modSeagate.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/SeagateTables.h"

namespace bw {

using decode::At;
using decode::Mid;

namespace {

bool IsRetailSuffix(std::string_view code) {
    return decode::FindRow(seagate::kRetailSuffixes, code) != nullptr;
}

// A retail number carries one of the suffix codes at positions 13-14 or at its end.
bool IsRetailNumber(std::string_view text) {
    std::string_view last_two =
        text.size() >= 2 ? text.substr(text.size() - 2) : std::string_view{};
    return IsRetailSuffix(Mid(text, 13, 2)) || IsRetailSuffix(last_two);
}

std::string ClassicCase(std::string_view text) {
    if (const auto* row = decode::FindRow(seagate::kClassicCase, At(text, 3)))
        return std::string(row->text);
    return std::string(seagate::kClassicCaseOther);
}

void ReadCacheDigit(std::string_view digit, bool retail, std::string& cache) {
    for (const auto& row : seagate::kClassicCache)
        if (row.code == digit && (retail || !row.retail_only)) cache = row.text;
}

// The interface letters after the model digits: "AS" in ST3500418AS, "A" in ST3200822A, "AS" in
// ST31000528AS (whose digits run one position longer), up to the first blank or dash.
std::string_view InterfaceLetters(std::string_view text) {
    std::size_t begin = 3;  // 0-based: after "ST" and the case digit
    while (begin < text.size() && text[begin] >= '0' && text[begin] <= '9') ++begin;
    if (begin >= text.size()) return {};
    std::size_t end = begin;
    auto alnum = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    while (end < text.size() && alnum(text[end])) ++end;
    return text.substr(begin, end - begin);
}

std::string ClassicInterface(std::string_view text) {
    std::string_view letters = InterfaceLetters(text);
    for (const auto& rule : seagate::kClassicInterfaces) {
        bool hit = false;
        switch (rule.match) {
            case seagate::SuffixMatch::Prefix:
                hit = decode::StartsWith(letters, rule.code);
                break;
            case seagate::SuffixMatch::Whole:
                hit = letters == rule.code;
                break;
            case seagate::SuffixMatch::Always:
                hit = true;
                break;
        }
        if (hit) return std::string(rule.text);
    }
    return {};
}

void DecodeClassicPlain(std::string_view text, DriveSpec& spec) {
    spec.Case = ClassicCase(text);
    spec.Size = Mid(text, 4, 3);
    spec.SizeUnit = "GB";
    std::string cache, rpm;
    ReadCacheDigit(At(text, 7), false, cache);
    decode::SetFrom(seagate::kClassicRpm, At(text, 8), rpm);
    spec.Cache = cache;
    spec.Rpm = rpm;
    spec.Interface = ClassicInterface(text);
}

void DecodeClassicRetail(std::string_view text, DriveSpec& spec) {
    spec.Case = ClassicCase(text);
    spec.Size = Mid(text, 4, 4);
    spec.SizeUnit = "GB";
    std::string cache, family, interface;
    ReadCacheDigit(At(text, 8), true, cache);
    ReadCacheDigit(At(text, 9), true, cache);
    decode::SetFrom(seagate::kRetailFamiliesAt9, Mid(text, 9, 2), family);
    decode::SetFrom(seagate::kRetailFamiliesAt10, Mid(text, 10, 2), family);
    decode::SetFrom(seagate::kRetailSuffixes, Mid(text, 13, 2), interface);
    decode::SetFrom(seagate::kRetailNetworkAt14, Mid(text, 14, 2), interface);
    spec.Cache = cache;
    spec.Family = family;
    spec.Interface = interface;
}

}  // namespace

void DecodeSeagateClassic(std::string_view model, DriveSpec& spec) {
    if (IsRetailNumber(model))
        DecodeClassicRetail(model, spec);
    else
        DecodeClassicPlain(model, spec);
    decode::ComposeStandard(spec);
}

void DecodeSeagateMaxtor(std::string_view model, DriveSpec& spec) {
    std::string case_, cache, interface;
    decode::SetFrom(seagate::kMaxtorCase, At(model, 4), case_);
    decode::SetFrom(seagate::kMaxtorCache, At(model, 8), cache);
    if (const auto* row = decode::FindRowAt(seagate::kMaxtorInterfaces, model, 9))
        interface = row->text;
    spec.Case = case_;
    spec.Size = Mid(model, 5, 3);
    spec.SizeUnit = "GB";
    spec.Cache = cache;
    spec.Interface = interface;
    decode::ComposeStandard(spec);
}

void DecodeSeagateFamily(std::string_view model, DriveSpec& spec) {
    // Capacity digits end where the family letter stands; every hit overwrites, so the last letter
    // of the search order that stands at positions 5 to 7 decides.
    std::size_t digits = 0;
    for (std::string_view letter : seagate::kFamilyLetters)
        for (std::size_t pos : seagate::kFamilyLetterPositions)
            if (At(model, pos) == letter) digits = pos - 3;

    std::string product;
    if (digits != 0) {
        spec.Size = Mid(model, 3, digits);
        decode::SetFrom(seagate::kFamilyProducts, Mid(model, 3 + digits, 2), product);
    } else {
        spec.Size = Mid(model, 3, 4);
    }
    spec.SizeUnit = "GB";
    spec.ProductName = product;
    decode::ComposeStandard(spec);
}

void DecodeSeagateRetailKit(std::string_view model, DriveSpec& spec) {
    std::string product;
    decode::SetFrom(seagate::kRetailProducts, Mid(model, 1, 2), product);
    spec.ProductName = product;
    spec.Case = At(model, 3) == "3" ? "3.5 inch" : "2.5 inch";
    spec.Size = Mid(model, 4, 4);
    spec.SizeUnit = "GB";
    decode::ComposeStandard(spec);
}

}  // namespace bw
