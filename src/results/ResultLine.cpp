#include "results/ResultLine.h"

#include <algorithm>
#include <cctype>

#include "core/INIReadWrite.h"

namespace bw::results {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::size_t find_no_case(std::string_view text, std::string_view word, std::size_t from = 0) {
    if (from > text.size()) return std::string_view::npos;
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                          word.begin(), word.end(),
                          [](char a, char b) { return lower(a) == lower(b); });
    return it == text.end() ? std::string_view::npos
                            : static_cast<std::size_t>(it - text.begin());
}

// Where the word stands: written lines say ") PEAK Read S:"; lines of other writers are taken
// with the first "Average", else the first "Peak", in any case.
struct Word {
    std::size_t at = std::string_view::npos, length = 0;
    bool average = false;
};
Word find_word(std::string_view line) {
    for (bool average : {true, false}) {
        const std::string_view w = average ? "Average" : "Peak";
        const std::string tagged = std::string(w) + " Read S:";
        if (auto at = find_no_case(line, tagged); at != std::string_view::npos)
            return {at, w.size(), average};
    }
    for (bool average : {true, false}) {
        const std::string_view w = average ? "Average" : "Peak";
        if (auto at = find_no_case(line, w); at != std::string_view::npos)
            return {at, w.size(), average};
    }
    return {};
}

// Reads the fields in their order; a marker that is missing gives 0 and leaves the cursor.
class FieldCursor {
public:
    FieldCursor(std::string_view text, std::size_t from) : text_(text), pos_(from) {}

    // Moves past `marker`; false when it is not there.
    bool skip(std::string_view marker) {
        auto at = text_.find(marker, pos_);
        if (at == std::string_view::npos) return false;
        pos_ = at + marker.size();
        return true;
    }
    // The number after `marker`, read from the text up to `next` (or the end).
    double value(std::string_view marker, std::string_view next) {
        if (!skip(marker)) return 0;
        auto end = next.empty() ? std::string_view::npos : text_.find(next, pos_);
        std::string_view field = text_.substr(pos_, end == std::string_view::npos ? text_.size() - pos_ : end - pos_);
        return Val(field);
    }

private:
    std::string_view text_;
    std::size_t pos_;
};

void read_side(FieldCursor& c, double (&figures)[4], std::string_view last_next) {
    figures[0] = c.value("S:", " M1:");
    figures[1] = c.value("M1:", " M2:");
    figures[2] = c.value("M2:", " M3:");
    figures[3] = c.value("M3:", last_next);
}

}  // namespace

ResultLineFields parse_result_line(std::string_view line) {
    ResultLineFields f;
    const Word word = find_word(line);
    if (word.at == std::string_view::npos) return f;
    f.recognised = true;
    f.average = word.average;
    f.label = std::string(line.substr(0, word.at > 0 ? word.at - 1 : 0));
    FieldCursor c(line, word.at + word.length);
    read_side(c, f.read, "Write");
    if (c.skip("Write")) read_side(c, f.write, "Overall:");
    f.overall = c.value("Overall:", "PR:");
    f.peak_read = c.value("PR:", "PW:");
    f.peak_write = c.value("PW:", "");
    return f;
}

std::vector<std::string> complete_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string_view::npos) break;  // torn: no line end
        std::string_view l = text.substr(start, nl - start);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        lines.emplace_back(l);
        start = nl + 1;
    }
    return lines;
}

}  // namespace bw::results
