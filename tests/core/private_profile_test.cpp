// The INI engine: what a write leaves in the file, what a read finds, and what neither may do.
#include "core/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

// Everything in a folder except the given names: a write must leave no temporary files behind.
std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PrivateProfile, MissingFileReadsDefaultAndCreatesNothing) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    EXPECT_EQ(profile::get_string(file, "Settings", "Read"), "");
    EXPECT_EQ(profile::get_string(file, "Settings", "Read", "dflt"), "dflt");
    EXPECT_TRUE(profile::get_keys(file, "Settings").empty());
    EXPECT_TRUE(profile::get_sections(file).empty());
    EXPECT_TRUE(profile::last_error().empty()) << "a missing file is not an error";
    EXPECT_TRUE(names_in(dir.path()).empty()) << "no file, no lock file";
}

TEST(PrivateProfile, MissingFolderReadsEmptyAndWriteFails) {
    TempDir dir;
    const fs::path file = dir / "no-such-folder" / "DariDozodaz.dat";
    EXPECT_EQ(profile::get_string(file, "Settings", "Read"), "");
    EXPECT_FALSE(profile::write_string(file, "Settings", "Read", "1"));
    EXPECT_FALSE(profile::last_error().empty());
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST(PrivateProfile, FirstWriteCreatesFileAndLeavesOnlyItAndItsLock) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    ASSERT_TRUE(profile::write_string(file, "Settings", "Read", "1"));
    EXPECT_EQ(read_file(file), "[Settings]\nRead=1\n");
    EXPECT_EQ(names_in(dir.path()),
              (std::vector<std::string>{"DariDozodaz.dat", "DariDozodaz.dat.lock"}));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST(PrivateProfile, RewriteKeepsTheFileMode) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    write_file(file, "[Settings]\nRead=1\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(profile::write_string(file, "Settings", "Read", "0"));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(PrivateProfile, NamesMatchWithoutRegardToCase) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    ASSERT_TRUE(profile::write_string(file, "Hard Drive Test 1", "Run", "1"));
    ASSERT_TRUE(profile::write_string(file, "HARD DRIVE TEST 1", "RUN", "2"));
    ASSERT_TRUE(profile::write_string(file, "hard drive test 1", "drive", "D"));
    // One section, one Run key: the first spelling of each name stays.
    EXPECT_EQ(read_file(file), "[Hard Drive Test 1]\nRun=2\ndrive=D\n");
    EXPECT_EQ(profile::get_string(file, "hArD dRiVe TeSt 1", "rUn"), "2");
    EXPECT_EQ(profile::get_string(file, "Hard Drive Test 1", "DRIVE"), "D");
}

TEST(PrivateProfile, NamesAreTrimmedOnReadAndWrite) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "  [ Settings ]  \n  Test Time  =  30  \n");
    EXPECT_EQ(profile::get_string(file, "Settings", "Test Time"), "30");
    EXPECT_EQ(profile::get_string(file, " Settings ", " Test Time "), "30");
    ASSERT_TRUE(profile::write_string(file, " Settings", "Test Time ", "45"));
    EXPECT_EQ(profile::get_string(file, "Settings", "Test Time"), "45");
    EXPECT_EQ(profile::get_keys(file, "Settings"), std::vector<std::string>{"Test Time"});
}

// What a written value reads back as.
struct RoundTrip {
    const char* name;
    std::string written;
    std::string read_back;
};

class ValueRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(ValueRoundTrip, ReadsBackAsStored) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    ASSERT_TRUE(profile::write_string(file, "S", "Before", "b"));
    ASSERT_TRUE(profile::write_string(file, "S", "K", GetParam().written));
    ASSERT_TRUE(profile::write_string(file, "S", "After", "a"));
    EXPECT_EQ(profile::get_string(file, "S", "K"), GetParam().read_back);
    // Whatever the value held, the file still has exactly its three keys in one section.
    EXPECT_EQ(profile::get_sections(file), std::vector<std::string>{"S"});
    EXPECT_EQ(profile::get_keys(file, "S"), (std::vector<std::string>{"Before", "K", "After"}));
    EXPECT_EQ(profile::get_string(file, "S", "After"), "a");
}

const std::string k1100(1100, 'x');

INSTANTIATE_TEST_SUITE_P(
    Values, ValueRoundTrip,
    testing::Values(
        RoundTrip{"plain", "30", "30"}, RoundTrip{"empty", "", ""},
        RoundTrip{"nul_removed", std::string("A\0B", 3), "AB"},
        RoundTrip{"only_nuls", std::string("\0\0", 2), ""},
        RoundTrip{"cut_at_1023", k1100, k1100.substr(0, 1023)},
        RoundTrip{"exactly_1023", k1100.substr(0, 1023), k1100.substr(0, 1023)},
        RoundTrip{"equals_inside", "a=b=c", "a=b=c"},
        RoundTrip{"brackets", "[Settings]", "[Settings]"},
        RoundTrip{"blanks_trimmed", "  x y  ", "x y"},
        RoundTrip{"quotes_removed", "\"quoted\"", "quoted"},
        RoundTrip{"lone_quote_kept", "\"half", "\"half"},
        RoundTrip{"drive_entry", "C: 120 GB SSD [PD 0] {OS-SWAP}",
                  "C: 120 GB SSD [PD 0] {OS-SWAP}"},
        RoundTrip{"utf8",
                  "Gr\xc3\xb6\xc3\x9f"
                  "e",
                  "Gr\xc3\xb6\xc3\x9f"
                  "e"},
        // A line break would start a line of its own ("[Evil]", "Run=1"): the value ends there.
        RoundTrip{"lf_cut", "1\n[Evil]\nRun=1", "1"}, RoundTrip{"crlf_cut", "1\r\nRun=1", "1"},
        RoundTrip{"cr_cut", "1\rRun=1", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrivateProfile, LineBreakInValueCannotInjectASectionOrKey) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    ASSERT_TRUE(profile::write_string(file, "Hard Drive Test 1", "Drive", "D\n[Settings]\nRun=1"));
    EXPECT_EQ(read_file(file), "[Hard Drive Test 1]\nDrive=D\n");
    EXPECT_EQ(profile::get_string(file, "Settings", "Run"), "");
}

// Names that would change the file's structure are refused, the file stays as it was.
struct BadName {
    const char* name;
    std::string section, key;
};

class StructuralName : public testing::TestWithParam<BadName> {};

TEST_P(StructuralName, IsRefusedAndFileUntouched) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[S]\nK=1\n");
    EXPECT_FALSE(profile::write_string(file, GetParam().section, GetParam().key, "v"));
    EXPECT_FALSE(profile::last_error().empty());
    EXPECT_EQ(read_file(file), "[S]\nK=1\n");
}

INSTANTIATE_TEST_SUITE_P(Names, StructuralName,
                         testing::Values(BadName{"empty_key", "S", ""},
                                         BadName{"blank_key", "S", "   "},
                                         BadName{"key_with_equals", "S", "a=b"},
                                         BadName{"key_opening_a_section", "S", "[T"},
                                         BadName{"section_with_bracket", "S]x", "K"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PrivateProfile, WriteChangesOnlyTheLineItMust) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    const std::string before =
        "; notes kept by hand\n"
        "[Settings]\n"
        "Read=1\n"
        "Write = 0\n"
        "\n"
        "[Status]\n"
        "Program 1=0\n";
    write_file(file, before);
    ASSERT_TRUE(profile::write_string(file, "settings", "WRITE", "1"));
    EXPECT_EQ(read_file(file),
              "; notes kept by hand\n[Settings]\nRead=1\nWrite=1\n\n[Status]\nProgram 1=0\n");
    // A new key goes after the section's last entry, before the blank separator.
    ASSERT_TRUE(profile::write_string(file, "Settings", "Block", "5"));
    EXPECT_EQ(read_file(file),
              "; notes kept by hand\n[Settings]\nRead=1\nWrite=1\nBlock=5\n\n[Status]\n"
              "Program 1=0\n");
    // Writing the value a key already has leaves the file alone (same inode).
    struct stat st1 {
    }, st2{};
    ::stat(file.c_str(), &st1);
    ASSERT_TRUE(profile::write_string(file, "Settings", "Read", "1"));
    ::stat(file.c_str(), &st2);
    EXPECT_EQ(st1.st_ino, st2.st_ino);
}

TEST(PrivateProfile, DuplicateSectionsAndKeysUseTheFirst) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[S]\nK=first\nK=second\n[S]\nK=third\nL=later\n");
    EXPECT_EQ(profile::get_string(file, "S", "K"), "first");
    // Only the first section of a name counts, as for the classic functions.
    EXPECT_EQ(profile::get_string(file, "S", "L"), "");
    ASSERT_TRUE(profile::write_string(file, "S", "K", "new"));
    EXPECT_EQ(read_file(file), "[S]\nK=new\nK=second\n[S]\nK=third\nL=later\n");
}

TEST(PrivateProfile, RemoveKeyAndSection) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[A]\nx=1\ny=2\n[B]\nz=3\n[C]\nw=4\n");
    ASSERT_TRUE(profile::write_string(file, "a", "X", std::nullopt));
    EXPECT_EQ(read_file(file), "[A]\ny=2\n[B]\nz=3\n[C]\nw=4\n");
    ASSERT_TRUE(profile::write_string(file, "b", std::nullopt, std::nullopt));
    EXPECT_EQ(read_file(file), "[A]\ny=2\n[C]\nw=4\n");
    // Removing what is not there is a success that changes nothing.
    ASSERT_TRUE(profile::write_string(file, "B", std::nullopt, std::nullopt));
    ASSERT_TRUE(profile::write_string(file, "A", "nothing", std::nullopt));
    EXPECT_EQ(read_file(file), "[A]\ny=2\n[C]\nw=4\n");
    EXPECT_EQ(profile::get_sections(file), (std::vector<std::string>{"A", "C"}));
}

TEST(PrivateProfile, RemovingFromAMissingFileCreatesNothing) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    EXPECT_TRUE(profile::write_string(file, "A", std::nullopt, std::nullopt));
    EXPECT_FALSE(fs::exists(file));
}

TEST(PrivateProfile, KeysAndSectionsInFileOrder) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file,
               "orphan=1\n[Drive1]\nSize=5\nno equals sign\nCaption=x\n[Drive0]\n[Drive2]\nA=\n");
    EXPECT_EQ(profile::get_sections(file),
              (std::vector<std::string>{"Drive1", "Drive0", "Drive2"}));
    EXPECT_EQ(profile::get_keys(file, "drive1"), (std::vector<std::string>{"Size", "Caption"}));
    EXPECT_TRUE(profile::get_keys(file, "Drive0").empty());
    EXPECT_EQ(profile::get_keys(file, "Drive2"), std::vector<std::string>{"A"});
    // A key before any section belongs to none.
    EXPECT_EQ(profile::get_string(file, "", "orphan"), "");
}

TEST(PrivateProfile, SeveralKeysInOneRewrite) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    ASSERT_TRUE(profile::write_string(file, "Other", "Keep", "1"));
    ASSERT_TRUE(profile::write_strings(
        file, "Hard Drive Test 2", {{"Run", "0"}, {"Drive", "0"}, {"Blocks", "X"}, {"run", "1"}}));
    EXPECT_EQ(read_file(file), "[Other]\nKeep=1\n[Hard Drive Test 2]\nRun=1\nDrive=0\nBlocks=X\n");
    // One bad name refuses the whole batch.
    EXPECT_FALSE(profile::write_strings(file, "Hard Drive Test 2", {{"Time", "X"}, {"", "1"}}));
    EXPECT_EQ(profile::get_string(file, "Hard Drive Test 2", "Time"), "");
}

// Several processes at once, as the program and its testers: every key of every writer lands.
// (The figures under heavier load are in bench/settings_reliability_bench.)
TEST(PrivateProfile, ConcurrentWritersLoseNothing) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    constexpr int kWriters = 4, kKeys = 60;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok &= profile::write_string(file, w % 2 ? "Status" : "Settings",
                                            "W" + std::to_string(w) + "K" + std::to_string(k),
                                            std::to_string(k));
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(profile::get_string(file, w % 2 ? "Status" : "Settings",
                                          "W" + std::to_string(w) + "K" + std::to_string(k)),
                      std::to_string(k));
    EXPECT_EQ(profile::get_keys(file, "Settings").size() + profile::get_keys(file, "Status").size(),
              static_cast<size_t>(kWriters * kKeys));
    EXPECT_EQ(profile::get_sections(file).size(), 2u);
}

TEST(PrivateProfile, ReadTakesTheLockOnlyWhenItExists) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[S]\nK=v\n");
    EXPECT_EQ(profile::get_string(file, "S", "K"), "v");
    EXPECT_FALSE(fs::exists(dir / "f.dat.lock")) << "a read never creates the lock file";
}

}  // namespace
}  // namespace bw
