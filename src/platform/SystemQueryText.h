#pragma once

// Small text helpers for reading kernel files.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw::text {

inline std::string trim(std::string_view s) {
    const char* ws = " \t\r\n\v\f";
    auto b = s.find_first_not_of(ws);
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(ws);
    return std::string(s.substr(b, e - b + 1));
}

// Pieces between separators; empty pieces are dropped.
inline std::vector<std::string> split(std::string_view s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(sep, start);
        if (end == std::string_view::npos) end = s.size();
        if (end > start) out.emplace_back(s.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// The non-empty pieces joined by `sep`.
inline std::string join_nonempty(const std::vector<std::string>& parts, char sep) {
    std::string out;
    for (const auto& p : parts) {
        if (p.empty()) continue;
        if (!out.empty()) out += sep;
        out += p;
    }
    return out;
}

// Lines of a text, without line ends.
inline std::vector<std::string> lines(std::string_view s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < s.size()) {
        size_t end = s.find('\n', start);
        if (end == std::string_view::npos) end = s.size();
        std::string_view line = s.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.emplace_back(line);
        start = end + 1;
    }
    return out;
}

// A whole unsigned decimal number (blanks around it allowed), else nullopt.
inline std::optional<std::uint64_t> to_u64(std::string_view s, int base = 10) {
    std::string t = trim(s);
    if (base == 16 && t.rfind("0x", 0) == 0) t = t.substr(2);
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
    if (t.empty() || ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
    return v;
}

}  // namespace bw::text
