// Settings files that are damaged or hostile, and settings paths that are not plain files: reads
// answer as for a missing key, nothing crashes or hangs, a write either lands whole or leaves the
// old file exactly as it was, and no write ever goes through a symlink.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/INIReadWrite.h"
#include "core/cINI.h"
#include "core/private_profile.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

std::string garbage(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 0xff);
    return s;
}

// Files in a folder other than the settings file, its lock and what the test put there.
std::vector<std::string> leftovers(const fs::path& dir, const std::vector<std::string>& expected) {
    std::vector<std::string> extra;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string name = e.path().filename();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            extra.push_back(name);
    }
    return extra;
}

// A value read from any file is what a caller can use: no NUL, no line break, at most 1023.
void expect_usable(const std::string& v) {
    EXPECT_LE(v.size(), profile::kMaxValueChars);
    EXPECT_EQ(v.find_first_of(std::string("\0\r\n", 3)), std::string::npos);
}

// A literal with the NULs inside it.
template <size_t N>
std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

struct DamagedFile {
    const char* name;
    std::function<std::string()> content;
    // Reads expected from the damaged file: section, key, value.
    std::vector<std::array<std::string, 3>> reads;
};

const std::string k10MB(10 * 1024 * 1024, 'A');

const DamagedFile kDamagedFiles[] = {
    {"binary_garbage", [] { return garbage(256 * 1024, 1); }, {}},
    {"garbage_with_headers",
     [] { return garbage(4096, 2) + "\n[Settings]\nRead=1\n" + garbage(4096, 3); },
     {{"Settings", "Read", "1"}}},
    {"empty", [] { return std::string(); }, {{"Settings", "Read", ""}}},
    {"ten_mb_line",
     [] { return "[Settings]\nRead=1\n" + k10MB + "\nWrite=0\n"; },
     {{"Settings", "Read", "1"}, {"Settings", "Write", "0"}}},
    {"ten_mb_value",
     [] { return "[Settings]\nBig=" + k10MB + "\nWrite=0\n"; },
     {{"Settings", "Big", k10MB.substr(0, 1023)}, {"Settings", "Write", "0"}}},
    {"ten_mb_without_line_end",
     [] { return "[Settings]\nRead=1\n" + k10MB; },
     {{"Settings", "Read", "1"}}},
    {"lines_without_equals",
     [] { return std::string("[Settings]\nno equals here\nRead\n=\n=orphan value\nWrite=0\n"); },
     {{"Settings", "Read", ""}, {"Settings", "Write", "0"}, {"Settings", "", ""}}},
    // An unterminated header names its section up to the end of the line.
    {"unterminated_header",
     [] { return std::string("[Settings\nRead=1\n[Status]\nProgram 1=1\n"); },
     {{"Settings", "Read", "1"}, {"Status", "Program 1", "1"}}},
    {"header_with_trailing_text",
     [] { return std::string("[Settings] ; comment\nRead=1\n"); },
     {{"Settings", "Read", "1"}}},
    {"crlf",
     [] { return std::string("[Settings]\r\nRead=1\r\nWrite=0\r\n"); },
     {{"Settings", "Read", "1"}, {"Settings", "Write", "0"}}},
    {"mixed_line_ends",
     [] { return std::string("[Settings]\r\nRead=1\nWrite=0\r\n\r\n"); },
     {{"Settings", "Read", "1"}, {"Settings", "Write", "0"}}},
    {"cr_only",
     [] { return std::string("[Settings]\rRead=1\rWrite=0\r"); },
     {{"Settings", "Read", ""}}},
    {"nul_inside_values",
     [] {
         return bytes(
             "[Settings]\nRead=1\0"
             "2\nWrite=\0\n");
     },
     {{"Settings", "Read", "12"}, {"Settings", "Write", ""}}},
    {"no_final_line_end",
     [] { return std::string("[Settings]\nRead=1"); },
     {{"Settings", "Read", "1"}}},
    {"only_brackets", [] { return std::string("[\n]\n[]\n[[]]\n=\n"); }, {{"", "", ""}}},
};

class DamagedSettingsFile : public testing::TestWithParam<DamagedFile> {};

TEST_P(DamagedSettingsFile, ReadsFollowTheRulesAndAWriteKeepsEverythingElse) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    const std::string before = GetParam().content();
    write_file(file, before);

    for (const auto& [section, key, value] : GetParam().reads) {
        SCOPED_TRACE(section + "/" + key);
        EXPECT_EQ(ReadINI(file, section, key), value);
    }
    for (const char* key : {"Read", "Write", "Block", "Shutdown"})
        expect_usable(ReadINI(file, "Settings", key));
    for (const auto& section : profile::get_sections(file)) {
        for (const auto& key : profile::get_keys(file, section))
            expect_usable(profile::get_string(file, section, key));
        cINI ini;
        ini.set_Path(file.string());
        ini.set_Section(section);
        EXPECT_LE(ini.INISection().size(), 254u);
    }

    // A write to a section the file cannot already hold: the old bytes stay as they were and the
    // new section follows them, in the file's own line ends.
    WriteINI(file, "Hostile Check 7", "Key", "v");
    ASSERT_TRUE(profile::last_error().empty()) << profile::last_error();
    const bool crlf = before.find('\n') != std::string::npos && before.find('\n') > 0 &&
                      before[before.find('\n') - 1] == '\r';
    const std::string eol = crlf ? "\r\n" : "\n";
    std::string expected = before;
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    expected += "[Hostile Check 7]" + eol + "Key=v" + eol;
    EXPECT_TRUE(read_file(file) == expected) << "the rewrite changed more than the new section";
    EXPECT_EQ(ReadINI(file, "hostile check 7", "key"), "v");
    for (const auto& [section, key, value] : GetParam().reads)
        EXPECT_EQ(ReadINI(file, section, key), value);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsFile, testing::ValuesIn(kDamagedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileSettings, UpdatesKeepEachLineItsOwnLineEnd) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[Settings]\r\nRead=1\r\nWrite=0\n\r\n[Status]\r\n");
    WriteINI(file, "Settings", "Read", "0");
    WriteINI(file, "Settings", "Write", "1");
    WriteINI(file, "Settings", "Block", "5");
    WriteINI(file, "Status", "Program 1", "1");
    EXPECT_EQ(read_file(file),
              "[Settings]\r\nRead=0\r\nWrite=1\nBlock=5\r\n\r\n[Status]\r\nProgram 1=1\r\n");
}

TEST(HostileSettings, GarbageSurvivesManyWrites) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    const std::string junk = garbage(64 * 1024, 9);
    write_file(file, junk);
    for (int i = 0; i < 50; ++i) WriteINI(file, "Hostile Check 7", "K" + std::to_string(i % 7), i);
    const std::string after = read_file(file);
    EXPECT_EQ(after.compare(0, junk.size(), junk), 0) << "the garbage before our section changed";
    for (int i = 43; i < 50; ++i)
        EXPECT_EQ(ReadINI(file, "Hostile Check 7", "K" + std::to_string(i % 7)), std::to_string(i));
}

// A settings path that is not a plain file.
struct OddPath {
    const char* name;
    bool needs_non_root;
    // Makes the odd thing at `file` (a target, if any, goes into `dir`).
    std::function<void(const fs::path& dir, const fs::path& file)> make;
};

const OddPath kOddPaths[] = {
    {"symlink_to_a_file", false,
     [](const fs::path& dir, const fs::path& file) {
         write_file(dir / "target.dat", "[Settings]\nRead=1\n");
         fs::create_symlink(dir / "target.dat", file);
     }},
    {"relative_symlink", false,
     [](const fs::path& dir, const fs::path& file) {
         write_file(dir / "target.dat", "[Settings]\nRead=1\n");
         fs::create_symlink("target.dat", file);
     }},
    {"dangling_symlink", false,
     [](const fs::path& dir, const fs::path& file) {
         fs::create_symlink(dir / "target.dat", file);
     }},
    {"symlink_to_a_folder", false,
     [](const fs::path& dir, const fs::path& file) {
         fs::create_directory(dir / "target.dat");
         fs::create_symlink(dir / "target.dat", file);
     }},
    // Root reads every file, but nobody reads a folder as a settings file.
    {"directory", false, [](const fs::path&, const fs::path& file) { fs::create_directory(file); }},
    {"directory_with_content", false,
     [](const fs::path&, const fs::path& file) {
         fs::create_directory(file);
         write_file(file / "Settings", "x");
     }},
    {"fifo", false,
     [](const fs::path&, const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }},
    {"unreadable_file", true,
     [](const fs::path&, const fs::path& file) {
         write_file(file, "[Settings]\nRead=1\n");
         fs::permissions(file, fs::perms::none);
     }},
};

// Everything about a path that a failed write must leave alone.
std::string fingerprint(const fs::path& dir) {
    std::string s;
    std::vector<fs::path> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir)) entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());
    for (const auto& p : entries) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        s += p.string() + " mode=" + std::to_string(st.st_mode) +
             " ino=" + std::to_string(st.st_ino);
        if (S_ISREG(st.st_mode) && (st.st_mode & S_IRUSR)) s += " [" + read_file(p) + "]";
        if (S_ISLNK(st.st_mode)) s += " -> " + fs::read_symlink(p).string();
        s += "\n";
    }
    return s;
}

class OddSettingsPath : public testing::TestWithParam<OddPath> {};

TEST_P(OddSettingsPath, ReadsEmptyAndWriteFailsLeavingEverythingAsItWas) {
    if (GetParam().needs_non_root && ::geteuid() == 0)
        GTEST_SKIP() << "root reads any file; the directory case covers an unreadable path";
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    GetParam().make(dir.path(), file);
    const std::string before = fingerprint(dir.path());

    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "");
    EXPECT_FALSE(profile::last_error().empty()) << "a read of an unusable path says why";
    EXPECT_TRUE(profile::get_keys(file, "Settings").empty());
    EXPECT_TRUE(profile::get_sections(file).empty());

    cINI ini;
    ini.set_Path(file.string());
    ini.set_Section("Settings");
    ini.set_Key("Read");
    ini.set_Value("0");
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_FALSE(profile::last_error().empty());
    ini.DeleteSection();
    EXPECT_EQ(ini.LastReturnCode(), 0);

    // Only the lock file may have appeared.
    std::error_code ec;
    fs::remove(dir / "DariDozodaz.dat.lock", ec);
    EXPECT_EQ(fingerprint(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Paths, OddSettingsPath, testing::ValuesIn(kOddPaths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileSettings, HugeFileIsRefusedNotLoaded) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    write_file(file, "[Settings]\nRead=1\n");
    fs::resize_file(file, std::uintmax_t{8} << 30);  // sparse: costs no disk
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "");
    EXPECT_NE(profile::last_error().find("not a settings file"), std::string::npos)
        << profile::last_error();
    WriteINI(file, "Settings", "Read", "0");
    EXPECT_NE(profile::last_error(), "");
    EXPECT_EQ(fs::file_size(file), std::uintmax_t{8} << 30);
}

TEST(HostileSettings, SymlinkedLockFileIsNeverFollowed) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    write_file(file, "[Settings]\nRead=1\n");
    write_file(dir / "victim", "keep me");
    fs::create_symlink(dir / "victim", dir / "DariDozodaz.dat.lock");
    // A read goes on without the lock: the file is replaced by rename, never seen half-written.
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");
    WriteINI(file, "Settings", "Read", "0");
    EXPECT_NE(profile::last_error(), "");
    EXPECT_EQ(read_file(file), "[Settings]\nRead=1\n");
    EXPECT_EQ(read_file(dir / "victim"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir / "DariDozodaz.dat.lock"));
}

TEST(HostileSettings, DanglingLockSymlinkCreatesNothing) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    fs::create_symlink(dir / "planted", dir / "DariDozodaz.dat.lock");
    WriteINI(file, "Settings", "Read", "1");
    EXPECT_NE(profile::last_error(), "");
    EXPECT_FALSE(fs::exists(dir / "planted"));
    EXPECT_FALSE(fs::exists(file));
}

TEST(HostileSettings, FifoAsLockFileNeverHangs) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    write_file(file, "[Settings]\nRead=1\n");
    ASSERT_EQ(::mkfifo((dir / "DariDozodaz.dat.lock").c_str(), 0600), 0);
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");
    WriteINI(file, "Settings", "Read", "0");
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "0");
}

// Runs `work` in a child process as the user `uid`; true when it returned true there.
bool as_user(uid_t uid, const std::function<bool()>& work) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(uid) != 0 || ::setuid(uid) != 0) ::_exit(2);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(HostileSettings, RunAsRootLeavesTheUserTheirOwnFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
    constexpr uid_t kUser = 65534;
    TempDir dir;
    ASSERT_EQ(::chown(dir.path().c_str(), kUser, kUser), 0);
    const fs::path file = dir / "DariDozodaz.dat";
    ASSERT_TRUE(
        as_user(kUser, [&] { return profile::write_string(file, "Settings", "Read", "1"); }));
    ASSERT_EQ(::unlink((dir / "DariDozodaz.dat.lock").c_str()), 0);

    // Root writes first: its lock file and its rewrite must not shut the user out.
    ASSERT_TRUE(profile::write_string(file, "Settings", "Write", "1")) << profile::last_error();
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kUser);
    EXPECT_EQ(st.st_gid, kUser);
    EXPECT_TRUE(
        as_user(kUser, [&] { return profile::write_string(file, "Settings", "Block", "5"); }));
    EXPECT_EQ(ReadINI(file, "Settings", "Block"), "5");
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");
}

TEST(HostileSettings, UnreadableFileOfAnotherUserReadsEmptyAndIsNotReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    constexpr uid_t kUser = 65534;
    TempDir dir;
    ASSERT_EQ(::chown(dir.path().c_str(), kUser, kUser), 0);
    const fs::path file = dir / "DariDozodaz.dat";
    write_file(file, "[Settings]\nRead=1\n");
    ASSERT_EQ(::chown(file.c_str(), kUser, kUser), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    // The user may write the folder, but cannot read the file: the write must not replace what
    // it could not read.
    EXPECT_TRUE(as_user(kUser, [&] {
        return ReadINI(file, "Settings", "Read").empty() && !profile::last_error().empty() &&
               !profile::write_string(file, "Settings", "Write", "1") &&
               profile::last_error().find(std::strerror(EACCES)) != std::string::npos;
    }));
    EXPECT_EQ(read_file(file), "[Settings]\nRead=1\n");
}

// A small tmpfs of our own, so "disk full" is real and costs nothing. Needs root to mount.
class SmallTmpfs {
  public:
    explicit SmallTmpfs(const fs::path& at, const char* size) : at_(at) {
        std::string opts = std::string("size=") + size + ",mode=0700";
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, opts.c_str()) == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~SmallTmpfs() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

  private:
    fs::path at_;
    bool mounted_ = false;
    std::string error_;
};

// Fills the filesystem of `dir` until a write fails for want of space.
void fill(const fs::path& dir) {
    FILE* f = std::fopen((dir / "filler").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    std::fclose(f);
}

TEST(HostileSettings, FullDiskFailsTheWriteAndKeepsTheOldFile) {
    TempDir outer;
    const fs::path mnt = outer / "small";
    fs::create_directory(mnt);
    SmallTmpfs tmpfs(mnt, "256k");
    if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << tmpfs.error();

    const fs::path file = mnt / "DariDozodaz.dat";
    WriteINI(file, "Settings", "Read", "1");
    WriteINI(file, "Settings", "Test Time", "30");
    const std::string before = read_file(file);
    fill(mnt);

    cINI ini;
    ini.set_Path(file.string());
    ini.set_Section("Settings");
    ini.set_Key("Block");
    ini.set_Value(std::string(1000, '5'));
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_NE(profile::last_error().find(std::strerror(ENOSPC)), std::string::npos)
        << profile::last_error();
    EXPECT_EQ(read_file(file), before);
    EXPECT_EQ(ReadINI(file, "Settings", "Test Time"), "30");
    EXPECT_TRUE(leftovers(mnt, {"DariDozodaz.dat", "DariDozodaz.dat.lock", "filler"}).empty())
        << "a failed write leaves no temporary file";

    // Space again: the same write lands.
    fs::remove(mnt / "filler");
    ini.set_Value(std::string(1000, '5'));
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(ReadINI(file, "Settings", "Block"), std::string(1000, '5'));
}

TEST(HostileSettings, ReadOnlyFolderFailsTheWriteAndKeepsTheOldFile) {
    TempDir outer;
    const fs::path mnt = outer / "ro";
    fs::create_directory(mnt);
    SmallTmpfs tmpfs(mnt, "64k");
    if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << tmpfs.error();
    const fs::path file = mnt / "DariDozodaz.dat";
    WriteINI(file, "Settings", "Read", "1");
    ASSERT_EQ(::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    WriteINI(file, "Settings", "Read", "0");
    EXPECT_NE(profile::last_error(), "");
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");
}

}  // namespace
}  // namespace bw
