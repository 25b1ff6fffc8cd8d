#pragma once

// What every model decoder shares: bounds-safe positional reads of the model text, the lenient
// number rules of the decoders, table lookups, and the standard composition of the two summary
// lines of a drive record.

#include <cstddef>
#include <string>
#include <string_view>

#include "drives/ModHDDetails.h"

namespace bw::decode {

// The characters of `s` from 1-based position `pos`, at most `count` of them. A position past the
// end gives the empty text and a count past the end gives what is there, so no read ever leaves
// the text whatever the model looks like.
constexpr std::string_view Mid(std::string_view s, std::size_t pos,
                               std::size_t count = std::string_view::npos) {
    if (pos == 0 || pos > s.size()) return {};
    return s.substr(pos - 1, count);
}

// One character at a 1-based position as a text of length 0 or 1 (empty past the end). A text is
// compared with the table codes, so an embedded NUL in a model never matches anything.
constexpr std::string_view At(std::string_view s, std::size_t pos) {
    return Mid(s, pos, 1);
}

constexpr bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// ASCII upper-casing; bytes outside ASCII (UTF-8 sequences, stray bytes) pass unchanged.
void UpperAscii(std::string& s);
std::string UpperCopy(std::string_view s);
// 0-based position of the first `needle` in `haystack` ignoring ASCII letter case, or npos.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle);
inline bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    return FindNoCase(haystack, needle) != std::string_view::npos;
}

// Numeric value of a text field for the decoders that multiply: blanks around, an optional sign,
// digits with at most one decimal point. Anything else (letters, empty, a lone sign) is not a
// number and counts as 0.
double NumberOf(std::string_view text);
// A computed number as the record stores it: at most 15 significant digits, no trailing zeros,
// no exponent for the magnitudes model numbers produce ("100", "7.3", "0").
std::string NumberText(double value);
// The whole-number format of the old numbers: rounded half away from zero, and empty for zero.
std::string WholeNumberText(double value);

// The standard composition: product name, size and brand on the first line; cache, speed,
// interface, case and family appended to whatever the second line already holds.
void ComposeStandard(DriveSpec& spec);

// Table rows keyed by a short code. Every lookup is one loop over an `inline constexpr` array.
struct CodeText {
    std::string_view code;
    std::string_view text;
};

// The first row whose code equals `key` exactly, or nullptr.
template <class Row, std::size_t N>
constexpr const Row* FindRow(const Row (&rows)[N], std::string_view key) {
    for (const Row& row : rows)
        if (row.code == key) return &row;
    return nullptr;
}

// The last row whose code equals `key`: the result of applying every matching row in table order,
// for the tables that list a code twice and let the later text win.
template <class Row, std::size_t N>
constexpr const Row* FindLastRow(const Row (&rows)[N], std::string_view key) {
    const Row* found = nullptr;
    for (const Row& row : rows)
        if (row.code == key) found = &row;
    return found;
}

// The first row whose code stands in `text` at 1-based `pos` (each code compared with as many
// characters as it has), or nullptr.
template <class Row, std::size_t N>
constexpr const Row* FindRowAt(const Row (&rows)[N], std::string_view text, std::size_t pos) {
    for (const Row& row : rows)
        if (!row.code.empty() && Mid(text, pos, row.code.size()) == row.code) return &row;
    return nullptr;
}

// Writes the text of the matching row (last match wins) into `field`; leaves it otherwise.
template <std::size_t N>
void SetFrom(const CodeText (&rows)[N], std::string_view key, std::string& field) {
    if (const CodeText* row = FindLastRow(rows, key)) field = row->text;
}

}  // namespace bw::decode
