#pragma once

// Turning a checker's output into what the disk check window shows: whole, clean text lines, and
// a percentage done that only grows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// Cuts the byte stream of a checker into lines. A piece is handed out only once its line is
// complete, so a line (or a character of several bytes) split between two reads arrives whole.
// Text a program rewrites in place (after a carriage return or backspaces: a progress display) is
// dropped; only the line it ends as is kept. Bytes that are not UTF-8 become '?', other control
// characters than tab are removed.
class OutputPieces {
  public:
    // The lines completed by `chunk`, each ending in "\n".
    std::vector<std::string> feed(std::string_view chunk);
    // What is left when the output ends (a last line without a line end), "" for nothing.
    std::string finish();

  private:
    std::string line_;
};

// Replaces bytes that do not form UTF-8 with '?' and drops control characters other than tab.
std::string CleanText(std::string_view bytes);

// The percentage of a check, from e2fsck's progress lines ("pass current max device", one per
// line on descriptor 3) or from the checker's phase headings in its output. Never goes back.
class ProgressMeter {
  public:
    // `program`: the checker, to pick its phase headings.
    explicit ProgressMeter(std::string_view program) : program_(program) {}
    // Progress lines of e2fsck -C; a line split between reads is kept until it is whole.
    void feed_progress(std::string_view chunk);
    // One output line: a phase heading moves the percentage to the phase's start.
    void feed_line(std::string_view line);
    // The check came to its end.
    void finish() { raise(100); }
    std::int32_t value() const { return value_; }

  private:
    void raise(std::int32_t to);
    std::string program_;
    std::string pending_;
    std::int32_t value_ = 0;
};

// Where each of e2fsck's five passes starts and ends, in percent: its own weighting of the passes.
inline constexpr std::int32_t kE2fsckPassStart[] = {0, 70, 90, 92, 95, 100};

// The percentage of one e2fsck progress line, -1 when the line is not one.
std::int32_t E2fsckPercent(std::string_view line);

}  // namespace bw
