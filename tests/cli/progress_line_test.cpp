// The progress line: a bar redrawn in place in a terminal, and at most one plain line a second
// into a log, so a long test neither floods a CI log nor leaves a terminal garbled.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cstdint>
#include <cstdlib>

#include "cli/ProgressLine.h"

namespace bw::cli {
namespace {

// What a ProgressLine wrote, caught in memory.
class Captured {
  public:
    Captured() : out_(::open_memstream(&data_, &size_)) {}
    ~Captured() {
        if (out_) std::fclose(out_);
        std::free(data_);
    }
    std::FILE* stream() { return out_; }
    std::string text() {
        std::fflush(out_);
        return std::string(data_, size_);
    }

  private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* out_;
};

TEST(ProgressBar, FillsByShareAndHoldsToTheEnds) {
    const struct {
        double done, total;
        const char* bar;
    } cases[] = {
        {0, 10, "[--------------------]   0%"},
        {5, 10, "[##########----------]  50%"},
        {10, 10, "[####################] 100%"},
        {15, 10, "[####################] 100%"},  // a run longer than its estimate
        {-3, 10, "[--------------------]   0%"},
        {1, 3, "[######--------------]  33%"},
        {5, 0, ""},  // no known total: no bar
        {5, -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bar, progress_bar(c.done, c.total)) << c.done << " of " << c.total;
}

TEST(ProgressLine, IntoALogAtMostOneLineASecond) {
    Captured out;
    std::int64_t now = 0;
    {
        ProgressLine line(out.stream(), false, [&] { return now; });
        const struct {
            std::int64_t at_ms;
            const char* text;
        } shows[] = {{0, "a"}, {300, "b"}, {999, "c"}, {1000, "d"}, {1500, "e"}, {2600, "f"}};
        for (const auto& s : shows) {
            now = s.at_ms;
            line.show(0, 0, s.text);
        }
        line.message("kept");  // a message is never dropped
    }
    EXPECT_EQ("a\nd\nf\nkept\n", out.text());
}

TEST(ProgressLine, InATerminalRedrawsOneLineAndEndsItBeforeAMessage) {
    Captured out;
    {
        ProgressLine line(out.stream(), true, [] { return std::int64_t{0}; });
        line.show(1, 2, "half");
        line.show(2, 2, std::string(200, 'x'));
        line.message("warning");
        line.show(0, 0, "again");
    }
    const std::string bar = "[####################] 100%  ";
    EXPECT_EQ("\r[##########----------]  50%  half\x1b[K"
              "\r" + bar + std::string(79 - bar.size(), 'x') + "\x1b[K"
              "\nwarning\n"
              "\ragain\x1b[K\n",
              out.text());
}

}  // namespace
}  // namespace bw::cli
