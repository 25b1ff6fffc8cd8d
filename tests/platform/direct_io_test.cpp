// The direct-I/O layer every drive test shares: random buffers, refusals that say what to do, and
// test files that never outlive a crash.
#include "platform/DirectIo.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Written data must not shrink under a compressing drive: random bytes, and fresh ones in every
// page a write is about to send.
TEST(IoBuffer, AlignedRandomAndEveryPageChangesBeforeAWrite) {
    IoBuffer buffer(1 << 20);
    ASSERT_TRUE(buffer.ok());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data()) % 4096, 0u);
    // Random bytes: every value occurs in a megabyte.
    EXPECT_EQ(std::set<unsigned char>(buffer.data(), buffer.data() + buffer.size()).size(), 256u);
    const std::string before(reinterpret_cast<char*>(buffer.data()), buffer.size());
    buffer.refresh(64 * 1024);
    for (std::size_t page = 0; page < buffer.size(); page += 4096)
        EXPECT_EQ(std::memcmp(before.data() + page, buffer.data() + page, 4096) != 0,
                  page < 64 * 1024)
            << page;
}

// Two buffers never carry the same data: two testers writing at once must not write blocks a
// deduplicating drive could store once.
TEST(IoBuffer, EachBufferItsOwnData) {
    IoBuffer a(4096), b(4096);
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_NE(std::memcmp(a.data(), b.data(), 4096), 0);
}

// Every name is recorded before its file is made, so a killed tester's files go at the next start;
// a link in a file's place is refused, and neither it nor what it points at is removed.
TEST(TestFile, RecordedBeforeCreationRemovedFromTheRecordNeverThroughALink) {
    TempDir work, volume;
    std::string error;
    test::write_file(volume / "victim", "keep");
    fs::create_symlink(volume / "victim", volume / "TestR.tmp");
    EXPECT_FALSE(create_test_file(work.path(), volume / "TestR.tmp", &error));
    EXPECT_NE(error.find("TestR.tmp"), std::string::npos) << error;

    const fs::path path = volume / "TestB.tmp";
    test::write_file(path, "leftover of ours");
    auto file = create_test_file(work.path(), path, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->size, 0u);  // the leftover went, a fresh file came
    EXPECT_GE(file->align, 4096u);
    EXPECT_EQ(test::read_file(work / std::string(kTestFileRecord)),
              (volume / "TestR.tmp").string() + "\n" + path.string() + "\n");
    file.reset();
    remove_recorded_test_files(work.path());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(work / std::string(kTestFileRecord)));
    EXPECT_EQ(test::read_file(volume / "victim"), "keep");
    EXPECT_TRUE(fs::is_symlink(volume / "TestR.tmp"));
}

// Test files of other names (the basic test's, the TRIM test's) share the one record.
TEST(TestFile, AnyNameOneRecord) {
    TempDir work, volume;
    std::string error;
    for (const char* name : {"TestB.tmp", "TestR.tmp", "TestMy.SSD"})
        ASSERT_TRUE(create_test_file(work.path(), volume / name, &error)) << error;
    EXPECT_EQ(test::names_in(volume.path()),
              (std::vector<std::string>{"TestB.tmp", "TestMy.SSD", "TestR.tmp"}));
    // One test's end removes its own file; the others stay recorded.
    remove_test_file(work.path(), volume / "TestR.tmp");
    EXPECT_EQ(test::names_in(volume.path()), (std::vector<std::string>{"TestB.tmp", "TestMy.SSD"}));
    EXPECT_EQ(test::read_file(work / std::string(kTestFileRecord)),
              (volume / "TestB.tmp").string() + "\n" + (volume / "TestMy.SSD").string() + "\n");
    remove_recorded_test_files(work.path());
    EXPECT_TRUE(test::names_in(volume.path()).empty());
}

// Processes that make test files at the same time lose no line of the record: every file is
// found by the clean-up.
TEST(TestFile, ProcessesAtOnceLoseNoRecordLine) {
    TempDir work, volume;
    constexpr int kProcesses = 6, kFilesEach = 15;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        if (pid == 0) {
            std::string error;
            for (int f = 0; f < kFilesEach; ++f) {
                const fs::path folder = volume / (std::to_string(p) + "_" + std::to_string(f));
                fs::create_directory(folder);
                if (!create_test_file(work.path(), folder / "TestB.tmp", &error)) ::_exit(1);
            }
            ::_exit(0);
        }
        ASSERT_GT(pid, 0);
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto test_files = [&] {
        std::size_t n = 0;
        for (const auto& e : fs::recursive_directory_iterator(volume.path()))
            n += e.is_regular_file();
        return n;
    };
    EXPECT_EQ(test_files(), std::size_t{kProcesses * kFilesEach});
    remove_recorded_test_files(work.path());
    EXPECT_EQ(test_files(), 0u);
}

// Without a record the next start could not find the file: it is not made.
TEST(TestFile, NoRecordNoFile) {
    TempDir volume;
    std::string error;
    EXPECT_FALSE(create_test_file(volume / "no such folder", volume / "TestB.tmp", &error));
    EXPECT_NE(error.find("LOADWorker.files"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(volume / "TestB.tmp"));
}

TEST(TestFile, ALineBreakInThePathIsRefused) {
    TempDir work, volume;
    fs::create_directory(volume / "a\nb");
    std::string error;
    EXPECT_FALSE(create_test_file(work.path(), volume / "a\nb" / "TestB.tmp", &error));
    EXPECT_NE(error.find("line break"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(work / std::string(kTestFileRecord)));
}

// Refused opens name what was refused, so a person knows which device or file to look at.
TEST(Open, RefusalsNameTheTarget) {
    TempDir dir;
    test::write_file(dir / "plain", "x");
    fs::create_symlink(dir / "plain", dir / "link");
    for (const std::string& path : {std::string("/nonexistent/device"), (dir / "plain").string()}) {
        std::string error;
        EXPECT_FALSE(open_device(path, &error));
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    for (const fs::path& path : {dir / "missing", dir / "link"}) {
        std::string error;
        EXPECT_FALSE(open_direct_file(path, DirectAccess::Read, &error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    }
}

TEST(Open, AnExistingFileWithItsSize) {
    TempDir dir;
    test::write_file(dir / "data", std::string(8192, 'x'));
    std::string error;
    auto file = open_direct_file(dir / "data", DirectAccess::ReadWrite, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->size, 8192u);
    EXPECT_GE(file->align, 4096u);
}

// The working folder trusts a file only when no one else could have written it: a planted one
// would steer what a tester deletes or writes. Each case is one way of planting.
TEST(Trust, OnlyAPlainFileOfOursThatNoOneElseMayWrite) {
    if (::geteuid() != 0) GTEST_SKIP() << "a file of another user needs root to make";
    TempDir dir;
    const struct {
        const char* name;
        void (*make)(const fs::path&);
        const char* reason;  // "" when trusted
    } cases[] = {
        {"missing", [](const fs::path&) {}, ""},
        {"ours", [](const fs::path& p) { test::write_file(p, "x"); }, ""},
        {"open to others",
         [](const fs::path& p) {
             test::write_file(p, "x");
             fs::permissions(p, fs::perms::all);
         },
         "written by other users"},
        {"of another user",
         [](const fs::path& p) {
             test::write_file(p, "x");
             ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
         },
         "another user"},
        {"a link",
         [](const fs::path& p) {
             test::write_file(p.string() + ".to", "x");
             fs::create_symlink(p.string() + ".to", p);
         },
         "not a regular file"},
        {"a hard link",
         [](const fs::path& p) {
             test::write_file(p.string() + ".to", "x");
             fs::create_hard_link(p.string() + ".to", p);
         },
         "hard link"},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }, "not a regular file"},
    };
    for (const auto& c : cases) {
        const fs::path path = dir / c.name;
        c.make(path);
        const std::string why = untrusted_file_reason(path);
        if (*c.reason == '\0') {
            EXPECT_EQ(why, "") << c.name;
            continue;
        }
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
        EXPECT_NE(why.find(path.string()), std::string::npos) << why;
        // A helper never opens such a file either.
        std::string error;
        EXPECT_FALSE(open_direct_file(path, DirectAccess::ReadWrite, &error)) << c.name;
    }
}

// The clean-up after a crash deletes only what a record of ours names, and only files with a
// test file's name: a planted record, or a line naming any other file, leaves the file alone.
TEST(Trust, TheCleanUpDeletesOnlyTestFilesOfATrustedRecord) {
    if (::geteuid() != 0) GTEST_SKIP() << "a file of another user needs root to make";
    const struct {
        const char* name;
        const char* victim;  // the file the record names
        void (*spoil)(const fs::path& record);
        bool removed;
    } cases[] = {
        {"ours", "TestB.tmp", [](const fs::path&) {}, true},
        {"open to others", "TestB.tmp",
         [](const fs::path& r) { fs::permissions(r, fs::perms::all); }, false},
        {"of another user", "TestMy.SSD",
         [](const fs::path& r) { ASSERT_EQ(::chown(r.c_str(), 65534, 65534), 0); }, false},
        {"another name", "thesis.odt", [](const fs::path&) {}, false},
    };
    for (const auto& c : cases) {
        TempDir work, volume;
        const fs::path victim = volume / c.victim, record = work / std::string(kTestFileRecord);
        test::write_file(victim, "keep");
        test::write_file(record, victim.string() + "\n");
        fs::permissions(record, fs::perms::owner_read | fs::perms::owner_write);
        c.spoil(record);
        const std::string why = remove_recorded_test_files(work.path());
        EXPECT_EQ(fs::exists(victim), !c.removed) << c.name;
        // What was not followed is said, naming the record.
        EXPECT_EQ(why.find(record.string()) != std::string::npos, !c.removed) << c.name << why;
        EXPECT_FALSE(fs::exists(record)) << c.name;
    }
}

TEST(TestFile, OnlyUnderATestFilesNameAndAbsolute) {
    TempDir work, volume;
    for (const fs::path& path : {volume / "thesis.odt", fs::path("TestB.tmp")}) {
        std::string error;
        EXPECT_FALSE(create_test_file(work.path(), path, &error)) << path;
        EXPECT_NE(error.find("TestB.tmp, TestR.tmp, TestMy.SSD"), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(work / std::string(kTestFileRecord)));
}

TEST(Align, BlocksRoundUpToTheDevicesBlock) {
    const std::uint64_t cases[][3] = {
        {4096, 4096, 4096}, {98304, 4096, 98304}, {4096, 65536, 65536}, {98304, 65536, 131072}};
    for (auto [bytes, align, expect] : cases) EXPECT_EQ(aligned_block(bytes, align), expect);
}

TEST(FreeBytes, NothingForAMissingFolder) {
    TempDir dir;
    EXPECT_GT(free_bytes(dir.path()), 0u);
    EXPECT_EQ(free_bytes(dir / "missing"), 0u);
}

}  // namespace
}  // namespace bw
