// Settings files that are damaged or hostile, and settings paths that are not plain files: reads
// answer as for a missing key, nothing crashes or hangs, a write either lands whole or leaves the
// old file exactly as it was, and no write ever goes through a symlink.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/INIReadWrite.h"
#include "core/private_profile.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;
using namespace std::literals;

std::string garbage(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 0xff);
    return s;
}

// A damaged file and the reads expected from it: section, key, value.
struct DamagedFile {
    const char* name;
    std::string content;
    std::vector<std::array<std::string, 3>> reads;
};

const std::string k10MB(10 * 1024 * 1024, 'A');

const DamagedFile kDamagedFiles[] = {
    {"binary_garbage", garbage(256 * 1024, 1), {}},
    {"garbage_with_headers", garbage(4096, 2) + "\n[Settings]\nRead=1\n" + garbage(4096, 3),
     {{"Settings", "Read", "1"}}},
    {"empty", "", {{"Settings", "Read", ""}}},
    {"ten_mb_line", "[Settings]\nRead=1\n" + k10MB + "\nWrite=0\n",
     {{"Settings", "Read", "1"}, {"Settings", "Write", "0"}}},
    {"ten_mb_value", "[Settings]\nBig=" + k10MB + "\nWrite=0\n",
     {{"Settings", "Big", k10MB.substr(0, 1023)}, {"Settings", "Write", "0"}}},
    {"ten_mb_without_line_end", "[Settings]\nRead=1\n" + k10MB, {{"Settings", "Read", "1"}}},
    {"lines_without_equals", "[Settings]\nno equals here\nRead\n=\n=orphan value\nWrite=0\n",
     {{"Settings", "Read", ""}, {"Settings", "Write", "0"}, {"Settings", "", ""}}},
    // An unterminated header names its section up to the end of the line.
    {"unterminated_header", "[Settings\nRead=1\n[Status]\nProgram 1=1\n",
     {{"Settings", "Read", "1"}, {"Status", "Program 1", "1"}}},
    {"header_with_trailing_text", "[Settings] ; comment\nRead=1\n", {{"Settings", "Read", "1"}}},
    {"crlf", "[Settings]\r\nRead=1\r\nWrite=0\r\n",
     {{"Settings", "Read", "1"}, {"Settings", "Write", "0"}}},
    {"cr_only", "[Settings]\rRead=1\rWrite=0\r", {{"Settings", "Read", ""}}},
    {"nul_inside_values", std::string("[Settings]\nRead=1\0" "2\nWrite=\0\n"sv),
     {{"Settings", "Read", "12"}, {"Settings", "Write", ""}}},
    {"no_final_line_end", "[Settings]\nRead=1", {{"Settings", "Read", "1"}}},
    {"only_brackets", "[\n]\n[]\n[[]]\n=\n", {{"", "", ""}}},
    {"key_before_any_section", "orphan=1\n[Settings]\nRead=1\n",
     {{"", "orphan", ""}, {"Settings", "Read", "1"}}},
};

class DamagedSettingsFile : public testing::TestWithParam<DamagedFile> {};

TEST_P(DamagedSettingsFile, ReadsFollowTheRulesAndAWriteKeepsEverythingElse) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    const std::string& before = GetParam().content;
    write_file(file, before);

    for (const auto& [section, key, value] : GetParam().reads)
        EXPECT_EQ(ReadINI(file, section, key), value) << section << "/" << key;
    // Whatever the file holds, a value read from it is usable: no NUL, no line break, <= 1023.
    for (const auto& section : profile::get_sections(file))
        for (const auto& key : profile::get_keys(file, section)) {
            const std::string v = profile::get_string(file, section, key);
            EXPECT_LE(v.size(), profile::kMaxValueChars);
            EXPECT_EQ(v.find_first_of("\0\r\n"sv), std::string::npos);
        }

    // Writes to a section the file cannot already hold, the second an update of the first: the
    // old bytes stay as they were and the new section follows them, in the file's own line ends.
    const size_t lf = before.find('\n');
    const std::string eol = lf != std::string::npos && lf > 0 && before[lf - 1] == '\r' ? "\r\n"
                                                                                        : "\n";
    const std::string kept = before.empty() || before.back() == '\n' ? before : before + '\n';
    for (const char* value : {"v", "w"}) {
        WriteINI(file, "Hostile Check 7", "Key", value);
        ASSERT_TRUE(profile::last_error().empty()) << profile::last_error();
        EXPECT_TRUE(read_file(file) == kept + "[Hostile Check 7]" + eol + "Key=" + value + eol)
            << "the rewrite changed more than the new section";
        EXPECT_EQ(ReadINI(file, "hostile check 7", "key"), value);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsFile, testing::ValuesIn(kDamagedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// Things that may stand where a settings or lock file belongs.
enum class Odd { FileLink, RelativeLink, DanglingLink, FolderLink, Folder, Fifo, Huge };
const char* const kOddNames[] = {"symlink_to_a_file", "relative_symlink", "dangling_symlink",
                                 "symlink_to_a_folder", "directory_with_content", "fifo",
                                 "sparse_8_gb_file"};

// Makes the odd thing at `file`; a link points at `target`.
void make_odd(Odd odd, const fs::path& file, const fs::path& target) {
    // Read=1 in the target: a read that followed the link would find it.
    if (odd == Odd::FileLink || odd == Odd::RelativeLink) write_file(target, "[Settings]\nRead=1");
    if (odd == Odd::FolderLink) fs::create_directory(target);
    if (odd == Odd::FileLink || odd == Odd::DanglingLink || odd == Odd::FolderLink)
        fs::create_symlink(target, file);
    if (odd == Odd::RelativeLink) fs::create_symlink(target.filename(), file);
    if (odd == Odd::Folder) fs::create_directory(file);
    if (odd == Odd::Folder) write_file(file / "Settings", "x");
    if (odd == Odd::Huge) write_file(file, "[Settings]\nRead=1\n");
    if (odd == Odd::Huge) fs::resize_file(file, std::uintmax_t{8} << 30);  // costs no disk
    ASSERT_EQ(odd == Odd::Fifo ? ::mkfifo(file.c_str(), 0600) : 0, 0);
}

// Everything about a folder that a failed write must leave alone.
std::string fingerprint(const fs::path& dir) {
    std::vector<fs::path> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir)) entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());
    std::string s;
    for (const auto& p : entries) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        s += p.string() + " " + std::to_string(st.st_mode) + " " + std::to_string(st.st_ino);
        s += " " + std::to_string(st.st_size);
        if (S_ISREG(st.st_mode) && (st.st_mode & S_IRUSR) && st.st_size < 4096)
            s += " [" + read_file(p) + "]";
        if (S_ISLNK(st.st_mode)) s += " -> " + fs::read_symlink(p).string();
        s += "\n";
    }
    return s;
}

// An odd thing where the settings file belongs (a huge file is refused, not loaded): reads
// answer empty and say why, writes fail. Something planted where a lock file might be looked for is
// neither used nor touched (the lock is the folder's). A failed write leaves everything as it was. (An unreadable
// file is below: root reads any file.)
struct OddPath {
    Odd odd;
    bool at_lock;
};
class OddSettingsPath : public testing::TestWithParam<OddPath> {};

TEST_P(OddSettingsPath, ReadsAsTheyMayAndAFailedWriteLeavesEverythingAsItWas) {
    TempDir dir;
    const auto [odd, at_lock] = GetParam();
    const fs::path file = dir / "DariDozodaz.dat", lock = dir / "DariDozodaz.dat.lock";
    if (at_lock) write_file(file, "[Settings]\nRead=1\n");
    make_odd(odd, at_lock ? lock : file, dir / "target.dat");
    const std::string before = fingerprint(dir.path());

    EXPECT_EQ(ReadINI(file, "Settings", "Read"), at_lock ? "1" : "");
    EXPECT_EQ(profile::last_error().empty(), at_lock) << "a read of an unusable path says why";
    EXPECT_EQ(profile::get_sections(file).empty(), !at_lock);
    if (at_lock) {
        // The lock is the folder's: what stands at "<file>.lock" is neither used nor touched.
        auto planted_facts = [&] {
            std::string facts;
            std::error_code ec;
            for (const fs::path& p : {lock, dir / "target.dat"}) {
                facts += p.string() + " " + std::to_string(int(fs::symlink_status(p, ec).type()));
                if (fs::is_symlink(p, ec)) facts += " -> " + fs::read_symlink(p, ec).string();
                if (fs::is_regular_file(p, ec)) facts += " [" + read_file(p) + "]";
                facts += "\n";
            }
            return facts;
        };
        const std::string planted = planted_facts();
        EXPECT_TRUE(profile::write_string(file, "Settings", "Read", "0")) << profile::last_error();
        EXPECT_EQ(ReadINI(file, "Settings", "Read"), "0");
        EXPECT_EQ(planted_facts(), planted);
        return;
    }
    EXPECT_FALSE(profile::write_string(file, "Settings", "Read", "0"));
    EXPECT_FALSE(profile::last_error().empty());
    EXPECT_FALSE(profile::write_string(file, "Settings", std::nullopt, std::nullopt));
    EXPECT_EQ(fingerprint(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OddSettingsPath,
    testing::Values(OddPath{Odd::FileLink, false}, OddPath{Odd::RelativeLink, false},
                    OddPath{Odd::DanglingLink, false}, OddPath{Odd::FolderLink, false},
                    OddPath{Odd::Folder, false}, OddPath{Odd::Fifo, false},
                    OddPath{Odd::Huge, false}, OddPath{Odd::FileLink, true},
                    OddPath{Odd::DanglingLink, true}, OddPath{Odd::Fifo, true}),
    [](const auto& info) {
        return std::string(info.param.at_lock ? "lock_" : "") + kOddNames[int(info.param.odd)];
    });

constexpr unsigned kOtherUser = 65534;

// The program run by root in a user's folder: the user keeps their own file, and a file the user
// cannot read is never replaced by a write that could not read it.
TEST(HostileSettings, TwoUsersOneFolder) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
    TempDir dir;
    ASSERT_EQ(::chown(dir.path().c_str(), kOtherUser, kOtherUser), 0);
    const fs::path file = dir / "DariDozodaz.dat", unreadable = dir / "unreadable.dat";
    auto as_user = [](const std::function<bool()>& work) { return test::run_as(kOtherUser, work); };
    ASSERT_TRUE(as_user([&] { return profile::write_string(file, "Settings", "Read", "1"); }));
    // Root writes first: its lock file and its rewrite must not shut the user out.
    ASSERT_TRUE(profile::write_string(file, "Settings", "Write", "1")) << profile::last_error();
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOtherUser);
    EXPECT_EQ(st.st_gid, kOtherUser);
    EXPECT_TRUE(as_user([&] { return profile::write_string(file, "Settings", "Block", "5"); }));
    EXPECT_EQ(ReadINI(file, "Settings", "Block"), "5");
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");

    write_file(unreadable, "[Settings]\nRead=1\n");
    ASSERT_EQ(::chown(unreadable.c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
    EXPECT_TRUE(as_user([&] {
        return ReadINI(unreadable, "Settings", "Read").empty() && !profile::last_error().empty() &&
               !profile::write_string(unreadable, "Settings", "Write", "1") &&
               profile::last_error().find(std::strerror(EACCES)) != std::string::npos;
    }));
    EXPECT_EQ(read_file(unreadable), "[Settings]\nRead=1\n");
}

// A full disk is tried on real filesystems in settings_full_disk_e2e_test.
TEST(HostileSettings, ReadOnlyFolderFailsTheWriteAndKeepsTheOldFile) {
    TempDir outer;
    const fs::path mnt = outer / "ro";
    fs::create_directory(mnt);
    test::TmpfsMount tmpfs(mnt, "size=64k,mode=0700");
    if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << tmpfs.error();
    const fs::path file = mnt / "DariDozodaz.dat";
    WriteINI(file, "Settings", "Read", "1");
    ASSERT_TRUE(tmpfs.remount_read_only());
    EXPECT_FALSE(profile::write_string(file, "Settings", "Read", "0"));
    EXPECT_NE(profile::last_error(), "");
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");
}

}  // namespace
}  // namespace bw
