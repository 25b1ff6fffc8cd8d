#pragma once

// Progress of a long verb on standard error, so standard output keeps only the results: in a
// terminal one line redrawn in place with a bar; into a file or pipe (a log, CI) one plain line a
// second at most, so the log stays readable and does not grow with every redraw.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace bw::cli {

// "[########------------]  40%": `done` of `total` as a bar of `width` cells; "" when the total
// is not known (0 or less). Values outside 0..total are held to it.
std::string progress_bar(double done, double total, int width = 20);

class ProgressLine {
  public:
    // Standard error, a terminal when it is one.
    ProgressLine();
    // For tests: any stream, said to be a terminal or not, and the milliseconds of a clock.
    ProgressLine(std::FILE* out, bool terminal, std::function<std::int64_t()> now_ms);
    ~ProgressLine();  // ends a drawn line, so what follows starts on a line of its own
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The state now: `done` of `total` (total <= 0: no bar) and a text after it.
    void show(double done, double total, const std::string& text);
    // A line that must stay (a warning, a step done): ends a drawn line first, always printed.
    void message(const std::string& text);

  private:
    void end_drawn_line();

    std::FILE* out_;
    bool terminal_;
    std::function<std::int64_t()> now_ms_;
    bool drawn_ = false;  // a terminal line is on the screen without its newline
    std::int64_t last_line_ms_ = 0;
    bool printed_ = false;  // a plain line was printed (last_line_ms_ holds its time)
};

}  // namespace bw::cli
