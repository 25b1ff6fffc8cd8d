#include "drives/modFujitsu.h"

#include <string>

#include "drives/SpecComposition.h"
#include "drives/decoder_tables/FujitsuTables.h"

namespace bw {

using decode::At;
using decode::Mid;

namespace {

// What every Fujitsu number names. Cache and motor are never part of the number: they are written
// empty rather than carried over from an earlier drive.
struct Working {
    std::string size, brand, rpm, interface, case_;
};

std::string CaseWord(std::string_view model) {
    if (const auto* row = decode::FindRow(fujitsu::kCase, At(model, 4)))
        return std::string(row->text);
    return std::string(fujitsu::kCaseOther);
}

void Store(const Working& w, DriveSpec& spec) {
    spec.Size = w.size;
    spec.Brand = w.brand;
    spec.Rpm = w.rpm;
    spec.SizeUnit = "GB";
    spec.Feature.clear();
    spec.Cache.clear();
    spec.Interface = w.interface;
    spec.Case = w.case_;
}

void ComposeEnterpriseLines(DriveSpec& spec) {
    spec.SpecLine1 = "Fujitsu Mobile Enterprise" + spec.Size + " " + spec.SizeUnit +
                     "  RPM: " + spec.Rpm + " Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface;
}

}  // namespace

void DecodeFujitsu(std::string_view model, DriveSpec& spec) {
    Working w;
    decode::SetFrom(fujitsu::kSeries, At(model, 2), w.brand);
    decode::SetFrom(fujitsu::kRpm, At(model, 3), w.rpm);
    w.case_ = CaseWord(model);
    w.size = decode::NumberText(decode::NumberOf(Mid(model, 5, 3)) * 0.1);
    decode::SetFrom(fujitsu::kInterface, Mid(model, 8, 2), w.interface);
    Store(w, spec);
    spec.SpecLine1 = "Fujitsu " + spec.Size + " " + spec.SizeUnit + "  RPM: " + spec.Rpm +
                     " Cache: " + spec.Cache;
    spec.SpecLine2 = "Interface: " + spec.Interface;
}

void DecodeFujitsuEnterprise(std::string_view model, DriveSpec& spec) {
    Working w;
    w.case_ = CaseWord(model);
    w.size = Mid(model, 5, 3);
    decode::SetFrom(fujitsu::kEnterpriseInterface, Mid(model, 8, 2), w.interface);
    Store(w, spec);
    ComposeEnterpriseLines(spec);
}

void DecodeFujitsuMobile(std::string_view model, DriveSpec& spec) {
    Working w;
    w.case_ = CaseWord(model);
    w.size = Mid(model, 5, 3);
    if (const auto* row = decode::FindRow(fujitsu::kMobile, Mid(model, 8, 2))) {
        w.interface = row->interface;
        w.rpm = row->rpm;
    }
    Store(w, spec);
    ComposeEnterpriseLines(spec);
}

}  // namespace bw
