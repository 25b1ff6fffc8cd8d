// The INI engine: what a write leaves in the file, what a read finds, and what neither may do.
#include "core/private_profile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::names_in;
using test::read_file;
using test::TempDir;
using test::write_file;
using Names = std::vector<std::string>;

// Reads never make a file; a write leaves only the file and its lock file, keeping the mode.
TEST(PrivateProfile, WhatReadsAndWritesLeaveInTheFolder) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    EXPECT_EQ(profile::get_string(file, "Settings", "Read", "dflt"), "dflt");
    EXPECT_TRUE(profile::get_keys(file, "Settings").empty());
    EXPECT_TRUE(profile::get_sections(file).empty());
    EXPECT_TRUE(profile::last_error().empty()) << "a missing file is not an error";
    EXPECT_TRUE(names_in(dir.path()).empty()) << "no file, no lock file";
    // An existing file is read without making its lock file either.
    write_file(file, "[S]\nK=v\n");
    EXPECT_EQ(profile::get_string(file, "S", "K"), "v");
    EXPECT_EQ(names_in(dir.path()), Names{"DariDozodaz.dat"});

    using P = fs::perms;
    auto mode = [&] { return fs::status(file).permissions() & P::all; };
    fs::remove(file);
    ASSERT_TRUE(profile::write_string(file, "Settings", "Read", "1"));
    EXPECT_EQ(names_in(dir.path()), (Names{"DariDozodaz.dat"}));
    EXPECT_EQ(mode(), P::owner_read | P::owner_write | P::group_read | P::others_read);
    fs::permissions(file, P::owner_read | P::owner_write);
    ASSERT_TRUE(profile::write_string(file, "Settings", "Read", "0"));
    EXPECT_EQ(mode(), P::owner_read | P::owner_write);
    // Removing from a missing file is a success that makes no file; a missing folder is not made.
    EXPECT_TRUE(profile::write_string(dir / "g.dat", "A", std::nullopt, std::nullopt));
    EXPECT_FALSE(fs::exists(dir / "g.dat"));
    EXPECT_FALSE(profile::write_string(dir / "no-such" / "f.dat", "S", "K", "1"));
    EXPECT_FALSE(profile::last_error().empty());
    EXPECT_FALSE(fs::exists(dir / "no-such"));
}

// Edits of a file: the bytes before, the writes (no key: remove the section, no value: remove the
// key), the bytes after. Each row is one rule of where a write lands and what it keeps.
struct Write {
    std::string section;
    std::optional<std::string> key, value;
};
const struct Edit {
    const char* name;
    std::string before;
    std::vector<Write> writes;
    std::string after;
    std::vector<std::array<std::string, 3>> reads = {};  // section, key, value read afterwards
} kEdits[] = {
    {"names_match_without_case", "",
     {{"Hard Drive Test 1", "Run", "1"},
      {"HARD DRIVE TEST 1", "RUN", "2"},
      {"hard drive test 1", "drive", "D"}},
     "[Hard Drive Test 1]\nRun=2\ndrive=D\n",
     {{"hArD dRiVe TeSt 1", "rUn", "2"}, {"Hard Drive Test 1", "DRIVE", "D"}}},
    {"names_are_trimmed", "  [ Settings ]  \n  Test Time  =  30  \n",
     {{" Settings", "Test Time ", "45"}}, "  [ Settings ]  \nTest Time=45\n",
     {{" Settings ", " Test Time ", "45"}}},
    {"changes_only_its_line_and_appends_before_the_blank",
     "; notes kept by hand\n[Settings]\nRead=1\nWrite = 0\n\n[Status]\nProgram 1=0\n",
     {{"settings", "WRITE", "1"}, {"Settings", "Block", "5"}},
     "; notes kept by hand\n[Settings]\nRead=1\nWrite=1\nBlock=5\n\n[Status]\nProgram 1=0\n"},
    {"first_of_duplicates_is_the_one", "[S]\nK=first\nK=second\n[S]\nK=third\nL=later\n",
     {{"S", "K", "new"}}, "[S]\nK=new\nK=second\n[S]\nK=third\nL=later\n", {{"S", "L", ""}}},
    {"removes_keys_and_sections", "[A]\nx=1\ny=2\n[B]\nz=3\n[C]\nw=4\n",
     {{"a", "X", std::nullopt},
      {"b", std::nullopt, std::nullopt},
      {"B", std::nullopt, std::nullopt},
      {"A", "nothing", std::nullopt}},
     "[A]\ny=2\n[C]\nw=4\n"},
    {"each_line_keeps_its_own_line_end", "[Settings]\r\nRead=1\r\nWrite=0\n\r\n[Status]\r\n",
     {{"Settings", "Read", "0"},
      {"Settings", "Write", "1"},
      {"Settings", "Block", "5"},
      {"Status", "Program 1", "1"}},
     "[Settings]\r\nRead=0\r\nWrite=1\nBlock=5\r\n\r\n[Status]\r\nProgram 1=1\r\n"},
};

TEST(PrivateProfile, WritesEditTheFileAsTheRulesSay) {
    for (const auto& e : kEdits) {
        SCOPED_TRACE(e.name);
        TempDir dir;
        const fs::path file = dir / "f.dat";
        if (!e.before.empty()) write_file(file, e.before);
        for (const auto& w : e.writes)
            EXPECT_TRUE(profile::write_string(file, w.section, w.key, w.value));
        EXPECT_EQ(read_file(file), e.after);
        for (const auto& [section, key, value] : e.reads)
            EXPECT_EQ(profile::get_string(file, section, key), value);
    }
}

// What a written value reads back as; a line break in it must not smuggle in a line of its own.
const std::string k1100(1100, 'x');
const struct RoundTrip {
    const char* name;
    std::string written, read_back;
} kRoundTrips[] = {{"empty", "", ""},
                   {"nul_removed", std::string("A\0B", 3), "AB"},
                   {"cut_at_1023", k1100, k1100.substr(0, 1023)},
                   {"equals_inside", "a=b=c", "a=b=c"},
                   {"brackets", "C: 120 GB SSD [PD 0] {OS-SWAP}", "C: 120 GB SSD [PD 0] {OS-SWAP}"},
                   {"blanks_trimmed", "  x y  ", "x y"},
                   {"quotes_removed", "\"quoted\"", "quoted"},
                   {"lone_quote_kept", "\"half", "\"half"},
                   {"utf8", "Gr\xc3\xb6\xc3\x9f", "Gr\xc3\xb6\xc3\x9f"},
                   {"lf_cut", "1\n[Evil]\nRun=1", "1"},
                   {"cr_cut", "1\rRun=1", "1"}};

TEST(PrivateProfile, ValuesReadBackAsStored) {
    for (const auto& c : kRoundTrips) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = dir / "f.dat";
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"Before", "b"},
                                         {"K", c.written}, {"After", "a"}})
            ASSERT_TRUE(profile::write_string(file, "S", key, value));
        EXPECT_EQ(profile::get_string(file, "S", "K"), c.read_back);
        EXPECT_EQ(profile::get_sections(file), Names{"S"});
        EXPECT_EQ(profile::get_keys(file, "S"), (Names{"Before", "K", "After"}));
    }
}

TEST(PrivateProfile, NamesThatWouldChangeTheStructureAreRefused) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[S]\nK=1\n");
    using namespace std::string_literals;
    // A line break or NUL would cut the name and land the write on "K" or on section "S".
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
             {"S", ""}, {"S", "   "}, {"S", "a=b"}, {"S", "[T"}, {"S]x", "K"}, {"S", "K\r8"},
             {"S", "K\n8"}, {"S", "K\0x"s}, {"S\nT", "K"}, {"S\r", "K"}, {"S\0"s, "K"}}) {
        EXPECT_FALSE(profile::write_string(file, section, key, "v")) << section << "/" << key;
        EXPECT_FALSE(profile::last_error().empty());
        if (key.find_first_of("\r\n\0"s) != std::string::npos ||
            section.find_first_of("\r\n\0"s) != std::string::npos) {
            EXPECT_EQ(profile::get_string(file, section, key, "dflt"), "dflt") << key;
            EXPECT_FALSE(profile::last_error().empty());
        }
    }
    EXPECT_FALSE(profile::write_strings(file, "S", {{"Time", "X"}, {"K\r", "1"}}));
    // One bad name refuses a whole batch.
    EXPECT_FALSE(profile::write_strings(file, "S", {{"Time", "X"}, {"", "1"}}));
    EXPECT_EQ(read_file(file), "[S]\nK=1\n");
    ASSERT_TRUE(profile::write_strings(file, "T", {{"Run", "0"}, {"Drive", "0"}, {"run", "1"}}));
    EXPECT_EQ(read_file(file), "[S]\nK=1\n[T]\nRun=1\nDrive=0\n");
}

// Several processes at once, as the program and its testers: every key of every writer lands,
// while a loop removes what could be a lock file beside the settings file (writers take turns by a
// lock on the folder, which nothing in it can break). The figures under heavier load are in
// bench/settings_reliability_bench.
TEST(PrivateProfile, ConcurrentWritersLoseNothing) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat", lock = dir / "DariDozodaz.dat.lock";
    constexpr int kWriters = 4, kKeys = 150;
    auto section = [](int w) { return w % 2 ? "Status" : "Settings"; };
    auto key = [](int w, int k) { return "W" + std::to_string(w) + "K" + std::to_string(k); };
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok &= profile::write_string(file, section(w), key(w, k), std::to_string(k));
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    const pid_t remover = ::fork();
    if (remover == 0) {
        for (;;) {  // as fast as a shell loop of rm would
            ::unlink(lock.c_str());
            ::usleep(200);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ::kill(remover, SIGKILL);
    ::waitpid(remover, nullptr, 0);
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(profile::get_string(file, section(w), key(w, k)), std::to_string(k));
    EXPECT_EQ(profile::get_keys(file, "Settings").size() + profile::get_keys(file, "Status").size(),
              static_cast<size_t>(kWriters * kKeys));
}

// Writers killed outright (the program stops its testers so) may leave their temporary file; the
// next write removes it, and never a file that only looks like one.
TEST(PrivateProfile, TemporaryFilesOfKilledWritersGoWithTheNextWrite) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    // A large file keeps each rewrite long enough for a kill to land in the middle of some.
    ASSERT_TRUE(profile::write_string(file, "Big", "V", std::string(1000, 'x')));
    for (int k = 0; k < 2000; ++k) profile::write_string(file, "Big", "K" + std::to_string(k), "v");
    write_file(dir / "DariDozodaz.dat.backup", "mine");
    write_file(dir / "DariDozodaz.dat.tmp-keep", "a name too short to be ours");
    for (int round = 0; round < 30; ++round) {
        pid_t pid = ::fork();
        if (pid == 0) {
            for (int k = 0;; ++k) profile::write_string(file, "Loop", "K", std::to_string(k));
        }
        ::usleep(2000 + 1000 * (round % 7));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ASSERT_TRUE(profile::write_string(file, "After", "K", "1")) << profile::last_error();
    EXPECT_EQ(names_in(dir.path()),
              (Names{"DariDozodaz.dat", "DariDozodaz.dat.backup", "DariDozodaz.dat.tmp-keep"}));
    EXPECT_EQ(profile::get_string(file, "After", "K"), "1");
}

// A file marked read-only is not rewritten, whoever writes (the folder stays writable).
TEST(PrivateProfile, AReadOnlyFileIsNotRewritten) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[S]\nK=1\n");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_FALSE(profile::write_string(file, "S", "K", "2"));
    EXPECT_NE(profile::last_error().find("read-only"), std::string::npos) << profile::last_error();
    EXPECT_EQ(read_file(file), "[S]\nK=1\n");
    EXPECT_EQ(profile::get_string(file, "S", "K"), "1");
}

}  // namespace
}  // namespace bw
