#include "drives/ModZEUS.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/SolidStateTables.h"

namespace bw {

using decode::At;
using decode::Mid;

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

template <class T, std::size_t N>
constexpr bool Contains(const T (&values)[N], std::string_view value) {
    for (const T& v : values)
        if (v == value) return true;
    return false;
}

// The exact product numbers: fills the record and returns true on a match.
bool DecodeKnownProduct(std::string_view model, DriveSpec& spec) {
    if (model.size() != 16 || Mid(model, 1, 4) != "SSD-" ||
        !Contains(ssd::kKinds, Mid(model, 10, 2)) || At(model, 12) != "-" ||
        !Contains(ssd::kBuilds, Mid(model, 13, 4)))
        return false;
    const ssd::Series* series = nullptr;
    for (const ssd::Series& row : ssd::kSeries)
        if (row.letter == At(model, 5)) series = &row;
    std::string_view capacity = Mid(model, 6, 4), build = Mid(model, 13, 4);
    if (!series || capacity.empty() || !Contains(series->capacities, capacity)) return false;

    std::size_t first_digit = capacity.find_first_not_of('0');
    std::string size(first_digit == std::string_view::npos ? "0" : capacity.substr(first_digit));
    for (const ssd::SizeOverride& row : ssd::kSizeOverrides)
        if (row.capacity == capacity && row.build == build) size = row.size;
    spec.ProductName = series->product_name;
    spec.Interface = series->interface;
    spec.Case = "2.5 Inch";
    spec.Rpm = "N/A";
    spec.Cache = "N/A";
    spec.SizeUnit = "GB";
    spec.Size = size;
    return true;
}

}  // namespace

void DecodeSolidState(std::string_view model, DriveSpec& spec) {
    if (!DecodeKnownProduct(model, spec)) {
        // Every vendor word found overwrites the last, so the later one in the list stands.
        for (const ssd::Vendor& vendor : ssd::kVendors)
            if (decode::ContainsNoCase(model, vendor.word)) spec.ProductName = vendor.product_name;
        spec.Interface = ssd::kGenerationOther;
        for (const decode::CodeText& generation : ssd::kGenerations) {
            if (decode::ContainsNoCase(model, generation.code)) {
                spec.Interface = generation.text;
                break;
            }
        }
        spec.Rpm = "N/A";
        spec.Case.clear();
    }
    decode::ComposeStandard(spec);
}

void DecodeZeus(std::string_view model, DriveSpec& spec) {
    std::string_view head = model.substr(0, model.find('-'));
    std::size_t pos = 2;  // 1-based, after the "Z"
    while (pos <= head.size() && IsDigit(head[pos - 1])) ++pos;
    std::string family = "Zeus" + std::string(Mid(head, 2, pos - 2)) + " ";
    if (const auto* kind = decode::FindRow(ssd::kZeusKinds, At(head, pos)))
        family += kind->text;
    else
        family += ssd::kZeusKindOther;
    std::string interface;
    decode::SetFrom(ssd::kZeusInterfaces, At(head, pos + 1), interface);

    // The case digit is the first 1, 2 or 3 after the interface letter; the speed letter follows.
    std::string case_, link;
    for (std::size_t p = pos + 2; p <= head.size(); ++p) {
        if (const auto* row = decode::FindRow(ssd::kZeusCases, At(head, p))) {
            case_ = row->text;
            decode::SetFrom(ssd::kZeusLinkSpeeds, At(head, p + 1), link);
            break;
        }
    }
    std::string size;
    if (head.size() < model.size()) {
        std::string_view tail = model.substr(head.size() + 1);
        std::size_t n = 0;
        while (n < tail.size() && IsDigit(tail[n])) ++n;
        size = tail.substr(0, n);
    }

    spec.ProductName = family;
    spec.Interface = interface;
    spec.Case = case_;
    spec.Feature = link;
    spec.Rpm = "N/A";
    if (!size.empty()) {
        spec.Size = size;
        spec.SizeUnit = "GB";
    }
    decode::ComposeStandard(spec);
}

}  // namespace bw
