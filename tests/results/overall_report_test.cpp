// What the overall report window is given of Overall.txt: the text made safe to show, or why
// there is none, for missing, empty, damaged and oversized files.
#include "results/OverallReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fakes.h"

using namespace bw;
using namespace bw::results;

TEST(OverallReport, ControlCharactersShowAsQuestionMarks) {
    struct Case {
        std::string raw, shown;
    };
    const Case kCases[] = {
        {"Peak Read: 1 Bps\r\n", "Peak Read: 1 Bps\r\n"},
        {"a\tb", "a\tb"},
        {std::string("a\0b", 3), "a?b"},
        {"\x1b[31mred\x7f", "?[31mred?"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},  // UTF-8 stays for the window to decode
    };
    for (const Case& c : kCases) EXPECT_EQ(printable_text(c.raw), c.shown);
}

TEST(OverallReport, EveryFileOpensWithTextOrAReason) {
    struct Case {
        const char* what;
        std::optional<std::string> content;  // nothing: no file
        bool has_report;
        const char* shows;
    };
    const std::string big(kOverallMaxBytes + 1, 'x');
    std::string binary(100 * 1024, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 % 256);
    const Case kCases[] = {
        {"no file yet", std::nullopt, false, "Overall.txt holds no results yet."},
        {"only line ends", "\r\n\r\n", false, "Overall.txt holds no results yet."},
        {"a report", "\r\n\r\nDrive C: report\r\n", true, "Drive C: report"},
        {"100 KB of binary", binary, true, "?"},
        {"larger than any report", big, false, "Overall.txt cannot be shown: "},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        if (c.content) test::write_file(dir / "Overall.txt", *c.content);
        const OverallReport r = read_overall(dir.path());
        EXPECT_EQ(r.has_report, c.has_report);
        EXPECT_NE(r.text.find(c.shows), std::string::npos) << r.text.substr(0, 200);
        EXPECT_EQ(r.text.find('\0'), std::string::npos);
    }
}

TEST(OverallReport, ALinkInPlaceOfTheFileIsNotFollowed) {
    test::TempDir dir;
    test::write_file(dir / "secret", "not a report\r\n");
    std::filesystem::create_symlink(dir / "secret", dir / "Overall.txt");
    const OverallReport r = read_overall(dir.path());
    EXPECT_FALSE(r.has_report);
    EXPECT_EQ(r.text.find("not a report"), std::string::npos);
}
