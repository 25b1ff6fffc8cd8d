#include "drives/ModHitachi.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/HitachiTables.h"

namespace bw {

using decode::At;
using decode::Mid;

namespace {

std::string Times(std::string_view digits, double multiplier) {
    return decode::NumberText(decode::NumberOf(digits) * multiplier);
}

// "Travelstar Standard" from "HTS...": the series letter and the kind letter after it.
std::string SeriesWord(std::string_view model) {
    std::string word;
    decode::SetFrom(hitachi::kSeries, At(model, 2), word);
    if (const auto* kind = decode::FindLastRow(hitachi::kSeriesKind, At(model, 3))) {
        if (!word.empty()) word += ' ';
        word += kind->text;
    }
    return word;
}

}  // namespace

void DecodeHitachiDeskstar(std::string_view model, DriveSpec& spec) {
    std::string generation, case_, interface, cache;
    decode::SetFrom(hitachi::kDeskstarGeneration, At(model, 10), generation);
    decode::SetFrom(hitachi::kDeskstarCase, At(model, 11), case_);
    decode::SetFrom(hitachi::kDeskstarInterface, Mid(model, 12, 2), interface);
    decode::SetFrom(hitachi::kDeskstarCache, At(model, 14), cache);
    spec.Rpm = Times(Mid(model, 4, 2), 100);
    spec.Size = Times(Mid(model, 8, 2), 100);
    spec.SizeUnit = "GB";
    spec.Brand = generation;
    spec.Case = case_;
    spec.Interface = interface;
    spec.Cache = cache;
    spec.SpecLine1 = "Hitachi DeskStar " + spec.Size + " " + spec.SizeUnit + "  RPM: " + spec.Rpm +
                     "  Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface + " Case: " + spec.Case;
}

void DecodeHitachi(std::string_view model, DriveSpec& spec) {
    std::string rpm, case_, interface, cache;
    decode::SetFrom(hitachi::kRpm, Mid(model, 4, 2), rpm);
    decode::SetFrom(hitachi::kCase, At(model, 11), case_);
    decode::SetFrom(hitachi::kInterface, Mid(model, 12, 2), interface);
    for (const decode::CodeText& row : hitachi::kCache)
        if (Mid(model, 14, row.code.size()) == row.code) cache = row.text;
    spec.Rpm = rpm;
    spec.Size = Times(Mid(model, 8, 2), 10);
    spec.SizeUnit = "GB";
    spec.Case = case_;
    spec.Interface = interface;
    spec.Cache = cache;
    spec.Brand = SeriesWord(model);
    spec.SpecLine1 = "Hitachi Ultrastar " + spec.Size + " " + spec.SizeUnit + "  RPM: " + spec.Rpm +
                     "  Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface + " Case: " + spec.Case;
}

void DecodeIbm(std::string_view model, DriveSpec& spec) {
    std::string case_ = Mid(model, 3, 2) == hitachi::kIbmLargeCaseCode ? "3.5" : "2.5";
    if (const auto* height = decode::FindLastRow(hitachi::kIbmHeight, At(model, 5)))
        case_ += height->text;
    std::string interface, rpm;
    decode::SetFrom(hitachi::kIbmInterface, Mid(model, 9, 2), interface);
    decode::SetFrom(hitachi::kIbmRpm, Mid(model, 13, 2), rpm);
    // IBM numbers name no cache; the field is written empty rather than left from another drive.
    spec.Rpm = rpm;
    spec.Cache.clear();
    spec.Interface = interface;
    spec.Case = case_;
    spec.SpecLine1 = "IBM  RPM: " + spec.Rpm + "  Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface + "  Case: " + spec.Case;
}

}  // namespace bw
