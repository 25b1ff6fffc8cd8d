#include "cli/ProgressLine.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <fmt/format.h>

namespace bw::cli {

namespace {

// Wider lines would wrap, and a carriage return only goes back to the start of the last row.
constexpr std::size_t kTerminalColumns = 79;
constexpr std::int64_t kPlainLineEveryMs = 1000;

std::int64_t steady_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string progress_bar(double done, double total, int width) {
    if (!(total > 0) || width <= 0) return {};
    const double share = std::clamp(done / total, 0.0, 1.0);
    const int filled = static_cast<int>(share * width);
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "] " +
           fmt::format("{:3d}%", static_cast<int>(share * 100));
}

ProgressLine::ProgressLine() : ProgressLine(stderr, ::isatty(STDERR_FILENO) == 1, steady_ms) {}

ProgressLine::ProgressLine(std::FILE* out, bool terminal, std::function<std::int64_t()> now_ms)
    : out_(out), terminal_(terminal), now_ms_(std::move(now_ms)) {}

ProgressLine::~ProgressLine() { end_drawn_line(); }

void ProgressLine::show(double done, double total, const std::string& text) {
    const std::string bar = progress_bar(done, total);
    std::string line = bar.empty() ? text : bar + "  " + text;
    if (terminal_) {
        if (line.size() > kTerminalColumns) line.resize(kTerminalColumns);
        // Back to the start of the line, the new text, then clear what a longer one left.
        std::fprintf(out_, "\r%s\x1b[K", line.c_str());
        drawn_ = true;
    } else {
        const std::int64_t now = now_ms_();
        if (printed_ && now - last_line_ms_ < kPlainLineEveryMs) return;
        std::fprintf(out_, "%s\n", line.c_str());
        printed_ = true;
        last_line_ms_ = now;
    }
    std::fflush(out_);
}

void ProgressLine::message(const std::string& text) {
    end_drawn_line();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

void ProgressLine::end_drawn_line() {
    if (!drawn_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    drawn_ = false;
}

}  // namespace bw::cli
