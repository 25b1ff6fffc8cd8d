#include "tools/ChkDskText.h"

#include <algorithm>
#include <charconv>

namespace bw {

namespace {

// Phase headings of the checkers that write no progress of their own, and the percentage at
// which each phase starts (their phases taken as equal shares).
struct PhaseMark {
    std::string_view program, heading;
    std::int32_t percent;
};
inline constexpr PhaseMark kPhaseMarks[] = {
    {"xfs_repair", "Phase 2 -", 14},
    {"xfs_repair", "Phase 3 -", 28},
    {"xfs_repair", "Phase 4 -", 42},
    {"xfs_repair", "Phase 5 -", 57},
    {"xfs_repair", "skipping phase 5", 57},
    {"xfs_repair", "Phase 6 -", 71},
    {"xfs_repair", "Phase 7 -", 85},
    {"btrfs", "[2/7]", 14},
    {"btrfs", "[3/7]", 28},
    {"btrfs", "[4/7]", 42},
    {"btrfs", "[5/7]", 57},
    {"btrfs", "[6/7]", 71},
    {"btrfs", "[7/7]", 85},
    {"fsck.fat", "Starting check/repair pass", 10},
    {"fsck.fat", "Starting verification pass", 60},
};

// Length of the UTF-8 sequence starting at s[i], 0 when it is not one.
size_t utf8_length(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80           ? 1
                     : (c >> 5) == 0x6  ? 2
                     : (c >> 4) == 0xE  ? 3
                     : (c >> 3) == 0x1E ? 4
                                        : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return 0;
    return n;
}

}  // namespace

std::string CleanText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8_length(bytes, i);
        if (n == 0) {
            out += '?';
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (n > 1 || c == '\t' || (c >= 0x20 && c != 0x7F)) out.append(bytes.substr(i, n));
        i += n;
    }
    return out;
}

std::vector<std::string> OutputPieces::feed(std::string_view chunk) {
    std::vector<std::string> lines;
    for (const char c : chunk) {
        if (c == '\n') {
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            lines.push_back(CleanText(line_) + "\n");
            line_.clear();
        } else if (c == '\b' || (!line_.empty() && line_.back() == '\r')) {
            // The text so far is being written over: a progress display, not a line.
            line_.clear();
            if (c != '\b') line_ += c;
        } else {
            line_ += c;
        }
    }
    return lines;
}

std::string OutputPieces::finish() {
    std::string rest = CleanText(line_);
    line_.clear();
    return rest.empty() ? rest : rest + "\n";
}

std::int32_t E2fsckPercent(std::string_view line) {
    long long v[3] = {0, 0, 0};
    const char* p = line.data();
    const char* end = line.data() + line.size();
    for (auto& x : v) {
        while (p < end && *p == ' ') ++p;
        auto [next, ec] = std::from_chars(p, end, x);
        if (ec != std::errc{} || next == p) return -1;
        p = next;
    }
    const long long pass = v[0], current = v[1], max = v[2];
    constexpr long long kPasses = std::size(kE2fsckPassStart) - 1;
    if (pass < 1 || pass > kPasses || current < 0 || max <= 0) return -1;
    const std::int32_t from = kE2fsckPassStart[pass - 1], to = kE2fsckPassStart[pass];
    return from + static_cast<std::int32_t>((to - from) * std::min(current, max) / max);
}

void ProgressMeter::raise(std::int32_t to) {
    value_ = std::max(value_, std::clamp(to, 0, 100));
}

void ProgressMeter::feed_progress(std::string_view chunk) {
    pending_ += chunk;
    size_t start = 0;
    for (size_t nl; (nl = pending_.find('\n', start)) != std::string::npos; start = nl + 1) {
        const std::int32_t p = E2fsckPercent(std::string_view(pending_).substr(start, nl - start));
        // The last step of a pass is not the end of the check: 100 comes with its result.
        if (p >= 0) raise(std::min(p, 99));
    }
    pending_.erase(0, start);
}

void ProgressMeter::feed_line(std::string_view line) {
    for (const auto& mark : kPhaseMarks)
        if (mark.program == program_ && line.find(mark.heading) != std::string_view::npos)
            raise(mark.percent);
}

}  // namespace bw
