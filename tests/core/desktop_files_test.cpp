// The desktop entry, the AppStream description and the icon: consistent with each other and the
// program, accepted by the freedesktop.org validators where they are installed, and installed by
// `cmake --install` where desktops look for them.
#include <gtest/gtest.h>

#include <regex>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

fs::path data_file(const std::string& name) { return test::source_dir() / "data" / name; }

// The value of `key=` in a desktop entry, "" when missing.
std::string desktop_key(const std::string& text, const std::string& key) {
    std::smatch m;
    const std::regex line("(^|\n)" + key + "=([^\n]*)");
    return std::regex_search(text, m, line) ? m[2].str() : "";
}

bool on_path(const std::string& program) {
    return test::run_program(program, {"--help"}).status >= 0;
}

TEST(DesktopFiles, EntryDescriptionAndIconAgree) {
    const std::string entry = test::read_file(data_file("brantwell.desktop"));
    const std::string meta = test::read_file(data_file("org.brantwell.Brantwell.metainfo.xml"));
    EXPECT_EQ("brantwell", desktop_key(entry, "Exec"));  // the program's installed name
    EXPECT_EQ("Brantwell", desktop_key(entry, "Name"));
    EXPECT_TRUE(fs::exists(data_file(desktop_key(entry, "Icon") + ".png")));
    EXPECT_NE(std::string::npos,
              meta.find("<launchable type=\"desktop-id\">brantwell.desktop</launchable>"));
    EXPECT_NE(std::string::npos, meta.find("<binary>brantwell</binary>"));
}

TEST(DesktopFiles, ValidatorsAcceptThem) {
    const struct {
        const char* tool;
        std::vector<std::string> args;
    } kChecks[] = {
        {"desktop-file-validate", {data_file("brantwell.desktop").string()}},
        {"appstreamcli",
         {"validate", "--no-net", data_file("org.brantwell.Brantwell.metainfo.xml").string()}},
    };
    int ran = 0;
    for (const auto& c : kChecks) {
        if (!on_path(c.tool)) continue;
        ++ran;
        const test::CliRun run = test::run_program(c.tool, c.args, std::chrono::seconds(60));
        EXPECT_EQ(0, run.status) << c.tool << ":\n" << run.out << run.err;
        // desktop-file-validate prints nothing for a clean file; hints are worth fixing too.
        if (std::string(c.tool) == "desktop-file-validate") EXPECT_EQ("", run.out + run.err);
    }
    if (ran == 0) GTEST_SKIP() << "neither desktop-file-validate nor appstreamcli is installed";
}

TEST(DesktopFiles, InstalledWhereDesktopsLook) {
    if (!on_path("cmake")) GTEST_SKIP() << "cmake is not on PATH";
    test::TempDir prefix;
    const test::CliRun run =
        test::run_program("cmake", {"--install", test::binary_dir().string(), "--component",
                                    "desktop", "--prefix", prefix.path().string()},
                          std::chrono::seconds(120));
    ASSERT_EQ(0, run.status) << run.out << run.err;
    for (const char* rel : {"share/applications/brantwell.desktop",
                            "share/metainfo/org.brantwell.Brantwell.metainfo.xml",
                            "share/icons/hicolor/256x256/apps/brantwell.png"})
        EXPECT_TRUE(fs::is_regular_file(prefix / rel)) << rel;
}

}  // namespace
}  // namespace bw
