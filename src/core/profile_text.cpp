#include "core/profile_text.h"

#include <algorithm>

namespace bw::profile::text {

namespace {

constexpr std::string_view kBlanks = " \t\r";

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Whether the file ends its lines with CR LF, judged by its first line; new lines follow it.
bool uses_crlf(std::string_view text) {
    size_t nl = text.find('\n');
    return nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r';
}

std::string line_of(std::string_view a, std::string_view b, std::string_view c, bool crlf) {
    std::string s;
    s.reserve(a.size() + b.size() + c.size() + 2);
    s.append(a).append(b).append(c);
    s += crlf ? "\r\n" : "\n";
    return s;
}

// Inserting at `at`: a last line without its LF gets one first.
void insert_lines(std::string& text, size_t at, const std::string& lines) {
    if (at > 0 && text[at - 1] != '\n')
        text.insert(at, "\n" + lines);
    else
        text.insert(at, lines);
}

}  // namespace

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trim(std::string_view s) {
    auto b = s.find_first_not_of(kBlanks);
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(kBlanks);
    return s.substr(b, e - b + 1);
}

bool LineCursor::next(Line& line) {
    if (pos_ >= text_.size()) return false;
    size_t nl = text_.find('\n', pos_);
    size_t stop = nl == std::string_view::npos ? text_.size() : nl;
    line = Line{};
    line.begin = pos_;
    line.end = nl == std::string_view::npos ? text_.size() : nl + 1;
    std::string_view raw = text_.substr(pos_, stop - pos_);
    if (!raw.empty() && raw.back() == '\r') {
        raw.remove_suffix(1);
        line.cr = true;
    }
    pos_ = line.end;
    std::string_view t = trim(raw);
    line.blank = t.empty();
    if (!t.empty() && t.front() == '[') {
        // An unterminated header names the section up to the end of the line.
        std::string_view inner = t.substr(1);
        line.kind = Line::Section;
        line.name = trim(inner.substr(0, inner.find(']')));
    } else if (auto eq = t.find('='); eq != std::string_view::npos) {
        line.kind = Line::Entry;
        line.name = trim(t.substr(0, eq));
        line.value = trim(t.substr(eq + 1));
    }
    return true;
}

SectionSpan find_section(std::string_view text, std::string_view section) {
    SectionSpan span;
    span.header = span.body = span.end = span.last_used = text.size();
    LineCursor cursor(text);
    Line line;
    while (cursor.next(line)) {
        if (line.kind == Line::Section && iequals(line.name, section)) {
            span.found = true;
            span.header = line.begin;
            span.body = span.last_used = line.end;
            break;
        }
    }
    if (!span.found) return span;
    while (cursor.next(line)) {
        if (line.kind == Line::Section) {
            span.end = line.begin;
            return span;
        }
        if (!line.blank) span.last_used = line.end;
    }
    span.end = text.size();
    return span;
}

std::optional<std::string_view> find_value(std::string_view text, std::string_view section,
                                           std::string_view key) {
    SectionSpan span = find_section(text, section);
    if (!span.found) return std::nullopt;
    LineCursor cursor(text.substr(0, span.end), span.body);
    Line line;
    while (cursor.next(line))
        if (line.kind == Line::Entry && iequals(line.name, key)) return line.value;
    return std::nullopt;
}

std::vector<std::string> key_names(std::string_view text, std::string_view section) {
    std::vector<std::string> keys;
    SectionSpan span = find_section(text, section);
    if (!span.found) return keys;
    LineCursor cursor(text.substr(0, span.end), span.body);
    Line line;
    while (cursor.next(line))
        if (line.kind == Line::Entry) keys.emplace_back(line.name);
    return keys;
}

std::vector<std::string> section_names(std::string_view text) {
    std::vector<std::string> names;
    LineCursor cursor(text);
    Line line;
    while (cursor.next(line))
        if (line.kind == Line::Section) names.emplace_back(line.name);
    return names;
}

bool apply_edit(std::string& text, std::string_view section, const Edit& edit) {
    SectionSpan span = find_section(text, section);
    if (edit.key.empty() && !edit.value) {
        if (!span.found) return false;
        text.erase(span.header, span.end - span.header);
        return true;
    }
    const bool crlf = uses_crlf(text);
    if (!span.found) {
        if (!edit.value) return false;
        insert_lines(text, text.size(),
                     line_of("[", section, "]", crlf) + line_of(edit.key, "=", *edit.value, crlf));
        return true;
    }
    LineCursor cursor(std::string_view(text).substr(0, span.end), span.body);
    Line line;
    while (cursor.next(line)) {
        if (line.kind != Line::Entry || !iequals(line.name, edit.key)) continue;
        if (!edit.value) {
            text.erase(line.begin, line.end - line.begin);
            return true;
        }
        // The key keeps its spelling and its line end.
        std::string replacement = line_of(line.name, "=", *edit.value, line.cr);
        if (text.compare(line.begin, line.end - line.begin, replacement) == 0) return false;
        text.replace(line.begin, line.end - line.begin, replacement);
        return true;
    }
    // A new key goes after the section's last line that is not blank, so blank separators stay
    // between sections.
    if (!edit.value) return false;
    insert_lines(text, span.last_used, line_of(edit.key, "=", *edit.value, crlf));
    return true;
}

}  // namespace bw::profile::text
