#include "drives/SpecComposition.h"

#include <cmath>
#include <cstdio>

namespace bw::decode {

namespace {
constexpr char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

void UpperAscii(std::string& s) {
    for (char& c : s) c = UpperChar(c);
}

std::string UpperCopy(std::string_view s) {
    std::string out(s);
    UpperAscii(out);
    return out;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) return std::string_view::npos;
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && UpperChar(haystack[i + k]) == UpperChar(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

double NumberOf(std::string_view text) {
    std::size_t i = 0, end = text.size();
    while (i < end && text[i] == ' ') ++i;
    while (end > i && text[end - 1] == ' ') --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0, scale = 1;
    bool any_digit = false, after_point = false;
    for (; i < end; ++i) {
        char c = text[i];
        if (c == '.' && !after_point) {
            after_point = true;
        } else if (IsDigit(c)) {
            any_digit = true;
            if (after_point) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            return 0;
        }
    }
    if (!any_digit) return 0;
    return negative ? -value : value;
}

std::string NumberText(double value) {
    if (value == 0 || !std::isfinite(value)) return "0";  // also turns -0 into "0"
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

std::string WholeNumberText(double value) {
    double rounded = std::round(value);  // half away from zero
    if (rounded == 0 || !std::isfinite(rounded)) return "";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.0f", rounded);
    return buf;
}

void ComposeStandard(DriveSpec& spec) {
    if (!spec.ProductName.empty()) spec.SpecLine1 = spec.ProductName;
    if (!spec.Size.empty()) spec.SpecLine1 += "  Size: " + spec.Size + " " + spec.SizeUnit;
    if (!spec.Brand.empty()) spec.SpecLine1 += "  " + spec.Brand;
    if (!spec.Cache.empty()) spec.SpecLine2 += "Cache: " + spec.Cache;
    if (!spec.Rpm.empty()) spec.SpecLine2 += "  RPM: " + spec.Rpm;
    if (!spec.Interface.empty()) spec.SpecLine2 += "  Interface: " + spec.Interface;
    if (!spec.Case.empty()) spec.SpecLine2 += "  Case: " + spec.Case;
    if (!spec.Family.empty()) spec.SpecLine2 += "  " + spec.Family;
}

}  // namespace bw::decode
