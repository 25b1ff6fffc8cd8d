#include "drives/DecodeCheck.h"

#include <cctype>
#include <cmath>
#include <optional>

namespace bw {

namespace {

// Units a decoder may write after a size.
struct SizeUnit {
    std::string_view name;
    double bytes;
};
inline constexpr SizeUnit kSizeUnits[] = {{"MB", 1e6}, {"GB", 1e9}, {"TB", 1e12}};

// Rpm words that mean the decoder took the drive for solid state.
inline constexpr std::string_view kSolidStateRpm[] = {"N/A", "SSD"};

// A plain decimal ("750", "1.5"); "10E0", "-RAI", "18J" and "" are not sizes.
std::optional<double> decimal(std::string_view s) {
    if (s.empty()) return std::nullopt;
    bool dot = false, digit = false;
    for (char c : s) {
        if (c == '.' && !dot) {
            dot = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    return std::stod(std::string(s));
}

// "7200", "10,000" -> a speed; "IntelliPower", "UNK" and "N/A" are none.
std::optional<unsigned> rpm_number(std::string_view s) {
    std::string digits;
    for (char c : s) {
        if (c == ',') continue;
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        digits += c;
    }
    if (digits.empty() || digits.size() > 6) return std::nullopt;
    return static_cast<unsigned>(std::stoul(digits));
}

bool claims_solid_state(const DriveSpec& spec) {
    for (auto word : kSolidStateRpm)
        if (spec.Rpm == word) return true;
    return false;
}

FieldCheck check_size(const DriveSpec& spec, const DriveOwnFacts& f) {
    FieldCheck c;
    c.field = "size";
    c.decoded = spec.Size + (spec.SizeUnit.empty() ? "" : " " + spec.SizeUnit);
    if (f.capacity_bytes) c.drive = CapacityText(*f.capacity_bytes);
    if (spec.Size.empty()) {
        c.why = "no size decoded";
        return c;
    }
    if (!f.capacity_bytes || *f.capacity_bytes == 0) {
        c.why = "the drive's capacity is unknown";
        return c;
    }
    const std::optional<double> number = decimal(spec.Size);
    const SizeUnit* unit = nullptr;
    for (const auto& u : kSizeUnits)
        if (spec.SizeUnit == u.name) unit = &u;
    c.verdict = Verdict::Disagrees;
    if (!number || !unit) {
        c.why = !number ? "not a number" : "no unit of size";
        return c;
    }
    const double real = static_cast<double>(*f.capacity_bytes);
    const double off = std::fabs(*number * unit->bytes - real) / real;
    if (off <= kSizeTolerance) {
        c.verdict = Verdict::Agrees;
        return c;
    }
    c.why = *number == 0 ? "zero" : std::to_string(static_cast<int>(std::lround(off * 100))) + " % off";
    return c;
}

FieldCheck check_rpm(const DriveSpec& spec, const DriveOwnFacts& f) {
    FieldCheck c;
    c.field = "rpm";
    c.decoded = spec.Rpm;
    c.drive = RotationText(f);
    const std::optional<unsigned> decoded = rpm_number(spec.Rpm);
    if (!decoded) {
        c.why = spec.Rpm.empty() ? "no speed decoded" : "the decoded speed is not a number";
        return c;
    }
    if (f.rotation == Rotation::SolidState) {
        c.verdict = Verdict::Disagrees;
        c.why = "the drive does not rotate";
    } else if (f.rotation == Rotation::Rotating && f.rpm != 0) {
        c.verdict = *decoded == f.rpm ? Verdict::Agrees : Verdict::Disagrees;
    } else {
        c.why = f.rotation == Rotation::Rotating ? "the drive does not tell its speed"
                                                 : "the drive's rotation is unknown";
    }
    return c;
}

FieldCheck check_solid_state(const DriveSpec& spec, const DriveOwnFacts& f) {
    FieldCheck c;
    c.field = "solid state";
    c.drive = RotationText(f);
    if (!claims_solid_state(spec)) {
        c.why = "the decoded record does not say solid state";
        return c;
    }
    c.decoded = "solid state (RPM " + spec.Rpm + ")";
    if (f.rotation == Rotation::Unknown) {
        c.why = "the drive's rotation is unknown";
        return c;
    }
    c.verdict = f.rotation == Rotation::SolidState ? Verdict::Agrees : Verdict::Disagrees;
    if (c.verdict == Verdict::Disagrees) c.why = "the drive rotates";
    return c;
}

struct CheckRule {
    FieldCheck (*check)(const DriveSpec& spec, const DriveOwnFacts& facts);
};
inline constexpr CheckRule kCheckRules[] = {{check_size}, {check_rpm}, {check_solid_state}};

// How each disagreement is named, by field.
struct Wording {
    std::string_view field, label;
};
inline constexpr Wording kWordings[] = {
    {"size", "Decoded size "}, {"rpm", "Decoded RPM "}, {"solid state", "Decoded "}};

}  // namespace

std::vector<FieldCheck> CheckDecodedSpec(const DriveSpec& spec, const DriveOwnFacts& facts) {
    std::vector<FieldCheck> out;
    for (const auto& rule : kCheckRules) out.push_back(rule.check(spec, facts));
    return out;
}

std::string DisagreementText(const FieldCheck& c) {
    if (c.verdict != Verdict::Disagrees) return {};
    std::string label = "Decoded " + std::string(c.field) + " ";
    for (const auto& w : kWordings)
        if (w.field == c.field) label = w.label;
    return label + c.decoded + " does not match the drive (" + c.drive + ")";
}

std::string DriveFactsLine(const DriveOwnFacts& f, const std::vector<FieldCheck>& checks) {
    std::vector<std::string> facts;
    if (f.capacity_bytes) facts.push_back(CapacityText(*f.capacity_bytes));
    facts.push_back(RotationText(f));
    facts.push_back(f.link);
    if (!f.firmware.empty()) facts.push_back("firmware " + f.firmware);
    if (!f.serial.empty()) facts.push_back("serial " + f.serial);
    if (!f.wwn.empty()) facts.push_back("WWN " + f.wwn);
    std::string line = "The drive:";
    bool first = true;
    for (const auto& fact : facts) {
        if (fact.empty()) continue;
        line += (first ? " " : ", ") + fact;
        first = false;
    }
    if (first) line += " nothing known";
    line += ".";
    for (const auto& c : checks)
        if (auto text = DisagreementText(c); !text.empty()) line += " " + text + ".";
    if (!f.unread.empty()) {
        line += " Not read:";
        for (std::size_t i = 0; i < f.unread.size(); ++i)
            line += (i ? "; " : " ") + f.unread[i];
        line += ".";
    }
    return line;
}

std::string_view VerdictName(Verdict v) {
    switch (v) {
        case Verdict::Agrees:
            return "agrees";
        case Verdict::Disagrees:
            return "disagrees";
        case Verdict::CannotTell:
            break;
    }
    return "cannot tell";
}

DiskCheck CheckDisk(const SystemQuery& query, const DiskInfo& disk, const DriveSpec& spec,
                    bool privileged) {
    DiskCheck c;
    c.spec = spec;
    c.facts = ReadDriveOwnFacts(query, disk, privileged);
    c.fields = CheckDecodedSpec(spec, c.facts);
    c.line = DriveFactsLine(c.facts, c.fields);
    return c;
}

std::string DiskFactsLine(const SystemQuery& query, const std::string& disk_name,
                          const DriveSpec& spec, bool privileged) {
    if (disk_name.empty()) return {};
    for (const auto& d : query.disks())
        if (d.name == disk_name) return CheckDisk(query, d, spec, privileged).line;
    return {};
}

}  // namespace bw
