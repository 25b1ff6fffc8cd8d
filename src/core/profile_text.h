#pragma once

// The text of an INI file: finding sections and keys in it and editing it in place, without any
// file access. Lines are taken as they stand (a CR before the LF stays part of the line, a last
// line may lack its LF), so an edit changes only the bytes it must and a file written by another
// tool keeps its shape.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw::profile::text {

bool iequals(std::string_view a, std::string_view b);
std::string_view trim(std::string_view s);

struct Line {
    enum Kind { Other, Section, Entry };
    std::size_t begin = 0, end = 0;  // [begin, end) in the text, the line end included
    Kind kind = Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // entry value, trimmed
    bool cr = false;         // the line ends with CR LF
    bool blank = true;       // nothing but blanks
};

// Walks the lines of a text from the start (or from `pos`).
class LineCursor {
  public:
    explicit LineCursor(std::string_view text, std::size_t pos = 0) : text_(text), pos_(pos) {}
    bool next(Line& line);

  private:
    std::string_view text_;
    std::size_t pos_;
};

// The first section of that name: its header line and the end of its last line.
struct SectionSpan {
    bool found = false;
    std::size_t header = 0;     // start of the header line
    std::size_t body = 0;       // start of the first line after the header
    std::size_t end = 0;        // start of the next section's header, or the end of the text
    std::size_t last_used = 0;  // end of the last line that is not blank (body when none)
};
SectionSpan find_section(std::string_view text, std::string_view section);

// The value of the first key of that name in the section (trimmed, quotes kept), if present.
std::optional<std::string_view> find_value(std::string_view text, std::string_view section,
                                           std::string_view key);

std::vector<std::string> key_names(std::string_view text, std::string_view section);
std::vector<std::string> section_names(std::string_view text);

// One change: set `key` to `value`; without a value remove the key; with an empty key and no
// value remove the whole section. Names and values must already be clean (no line breaks).
// Returns whether the text changed.
struct Edit {
    std::string key;
    std::optional<std::string> value;
};
bool apply_edit(std::string& text, std::string_view section, const Edit& edit);

}  // namespace bw::profile::text
