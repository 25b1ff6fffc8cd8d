#include "drives/DriveText.h"

#include <fmt/format.h>
#include <cmath>

#include "core/INIReadWrite.h"

namespace bw {

namespace {

double round_half_away(double v) {
    return v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
}

// Units of the free-space texts, largest first: a figure is shown in the first unit whose
// threshold it exceeds.
struct SpaceUnit {
    double threshold;
    double divisor;
    std::string_view unit;
};
inline constexpr SpaceUnit kSpaceUnits[] = {
    {9.99e12, 1e12, "TB"}, {9.99e9, 1e9, "GB"}, {9.99e6, 1e6, "MB"},
    {9990, 1e3, "KB"},     {-1, 1, "Bytes"},
};

std::string space_text(double bytes, std::string_view gap) {
    for (const auto& u : kSpaceUnits)
        if (bytes > u.threshold)
            return format_grouped(bytes / u.divisor) + std::string(gap) + std::string(u.unit);
    return "0" + std::string(gap) + "Bytes";
}

}  // namespace

std::string format_hash(double value) {
    if (!std::isfinite(value)) return {};
    double r = round_half_away(value);
    if (r == 0) return {};
    return fmt::format("{:.0f}", r);
}

std::string format_hash_00(double value) {
    if (!std::isfinite(value)) return {};
    std::string s = fmt::format("{:.2f}", round_half_away(value * 100) / 100);
    if (s.rfind("0.", 0) == 0) s.erase(0, 1);
    if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
    return s;
}

std::string format_grouped(double value) {
    if (!std::isfinite(value)) return "0";
    double r = round_half_away(value);
    std::string digits = fmt::format("{:.0f}", std::fabs(r));
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return (r < 0 ? "-" : "") + out;
}

std::string DriveSizeText(std::string_view size_bytes) {
    // Whole megabytes first; the unit is chosen on that rounded figure.
    const std::string mb_text = format_hash(Val(size_bytes) / 1e6);
    const double mb = Val(mb_text);
    if (mb < 1000) return mb_text + "MB";
    if (mb < 1e6) return format_hash(mb / 1000) + "GB";
    return format_hash_00(mb / 1e6) + "TB";
}

std::string FreeSpaceText(double bytes) {
    return space_text(bytes, "");
}
std::string FreeSpaceText2(double bytes) {
    return space_text(bytes, " ");
}

char EntryLetter(std::string_view entry) {
    return entry.empty() ? 0 : entry.front();
}

std::optional<std::string> EntryDiskField(std::string_view entry) {
    auto at = entry.find("[PD");
    if (at == std::string_view::npos) return std::nullopt;
    if (at + 4 >= entry.size()) return std::string();  // "[PD" at the very end
    return std::string(entry.substr(at + 4, 2));
}

}  // namespace bw
