#include "platform/TextFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/fakes.h"

namespace fs = std::filesystem;

namespace bw::text_files {
namespace {

std::string whole(const fs::path& p) {
    std::string error;
    return read(p, 1 << 20, &error).value_or("<unreadable: " + error + ">");
}

TEST(TextFilesAppend, ATornLastLineStaysALineOfItsOwn) {
    test::TempDir dir;
    const fs::path file = dir.path() / "PeakResults.Dat";
    std::string error;
    ASSERT_TRUE(append(file, "one\r\n", &error)) << error;
    std::ofstream(file, std::ios::app) << "torn half-li";  // a writer died here
    ASSERT_TRUE(append(file, "two\r\n", &error)) << error;
    EXPECT_EQ(whole(file), "one\r\ntorn half-li\r\ntwo\r\n");
}

TEST(TextFilesAppend, RefusesWhatAnotherUserCouldSteer) {
    test::TempDir dir;
    const fs::path target = dir.path() / "target";
    std::ofstream(target) << "keep\n";
    struct Case {
        const char* what;
        void (*plant)(const fs::path& name, const fs::path& target);
        const char* reason;
    } cases[] = {
        {"symlink", [](const fs::path& n, const fs::path& t) { fs::create_symlink(t, n); },
         "is a link"},
        {"hard link", [](const fs::path& n, const fs::path& t) { fs::create_hard_link(t, n); },
         "hard link"},
        {"world-writable",
         [](const fs::path& n, const fs::path&) {
             std::ofstream(n) << "x\n";
             ::chmod(n.c_str(), 0666);
         },
         "may be written by other users"},
        {"folder", [](const fs::path& n, const fs::path&) { fs::create_directory(n); },
         "Brantwell could not write"},
    };
    for (const Case& c : cases) {
        const fs::path name = dir.path() / (std::string("planted-") + c.what);
        c.plant(name, target);
        std::string error;
        EXPECT_FALSE(append(name, "line\r\n", &error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
    EXPECT_EQ(whole(target), "keep\n");
}

TEST(TextFilesReplace, ReplacesALinkItselfNotItsTarget) {
    test::TempDir dir;
    const fs::path target = dir.path() / "target", report = dir.path() / "Recommend.txt";
    std::ofstream(target) << "keep\n";
    fs::create_symlink(target, report);
    std::string error;
    ASSERT_TRUE(replace(report, "report\r\n", &error)) << error;
    EXPECT_FALSE(fs::is_symlink(report));
    EXPECT_EQ(whole(report), "report\r\n");
    EXPECT_EQ(whole(target), "keep\n");
}

TEST(TextFilesRead, MissingIsQuietAndOversizeIsSaid) {
    test::TempDir dir;
    std::string error = "stale";
    EXPECT_FALSE(read(dir.path() / "none", 100, &error));
    EXPECT_EQ(error, "");
    std::ofstream(dir.path() / "big") << std::string(101, 'x');
    EXPECT_FALSE(read(dir.path() / "big", 100, &error));
    EXPECT_NE(error.find("larger than 100 bytes"), std::string::npos) << error;
}

}  // namespace
}  // namespace bw::text_files
