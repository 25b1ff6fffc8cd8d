#pragma once

// The decoded specification record checked against the drive's own facts, so that a size or
// speed the model rules guessed is never shown as if the drive had said it. The record itself is
// left as the rules made it; the check only tells, per field, whether the drive agrees.

#include <string>
#include <string_view>
#include <vector>

#include "drives/DriveOwnFacts.h"
#include "drives/ModHDDetails.h"

namespace bw {

enum class Verdict { Agrees, Disagrees, CannotTell };

struct FieldCheck {
    std::string_view field;  // "size", "rpm", "solid state"
    Verdict verdict = Verdict::CannotTell;
    std::string decoded;  // the decoded value as shown ("5000 GB", "7200", "SSD")
    std::string drive;    // what the drive says ("500 GB", "solid state"), "" when unknown
    std::string why;      // for a disagreement or a cannot-tell: the reason in a few words
};

// A decoded size is taken as the drive's when it is within this share of the real capacity.
inline constexpr double kSizeTolerance = 0.10;

std::vector<FieldCheck> CheckDecodedSpec(const DriveSpec& spec, const DriveOwnFacts& facts);

// "Decoded size 5000 GB does not match the drive (500 GB)"; "" unless the field disagrees.
std::string DisagreementText(const FieldCheck& check);

// The drive's own facts on one line, each disagreement named after them:
// "The drive: 500 GB, 7200 rpm, SATA 3.0 Gb/s, firmware 01.01A01, serial WD-WCAV..., WWN
// 50014ee2... Decoded size 5000 GB does not match the drive (500 GB). Not read: ...".
std::string DriveFactsLine(const DriveOwnFacts& facts, const std::vector<FieldCheck>& checks);

std::string_view VerdictName(Verdict v);

// A disk's own facts with the check of its decoded record, as they are shown together.
struct DiskCheck {
    DriveSpec spec;  // the decoded record checked
    DriveOwnFacts facts;
    std::vector<FieldCheck> fields;
    std::string line;  // DriveFactsLine
};
DiskCheck CheckDisk(const SystemQuery& query, const DiskInfo& disk, const DriveSpec& spec,
                    bool privileged);
// The same for whole disk `disk_name` ("sdb"); "" when the system has no such disk.
std::string DiskFactsLine(const SystemQuery& query, const std::string& disk_name,
                          const DriveSpec& spec, bool privileged);  // "agrees", "disagrees", "cannot tell"

}  // namespace bw
