// Programs started from a held folder: only a regular file of ours that nobody else can write is
// started, from the folder it was found in; anything else is refused with the reason.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/HeldFolder.h"
#include "platform/Processes.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

enum class Kind { Program, Symlink, Folder };
const struct {
    const char* name;
    Kind kind;
    mode_t mode;
    bool other_user;   // needs root
    const char* says;  // "": started
} kPrograms[] = {
    {"ours", Kind::Program, 0700, false, ""},
    {"ours_readable_by_all", Kind::Program, 0755, false, ""},
    {"writable_by_others", Kind::Program, 0777, false, "can be written by others"},
    {"writable_by_the_group", Kind::Program, 0770, false, "can be written by others"},
    {"another_users", Kind::Program, 0755, true, "belongs to another user"},
    {"a_symlink_to_ours", Kind::Symlink, 0700, false, "symlink"},
    {"a_folder", Kind::Folder, 0700, false, "not a regular file"},
};

TEST(SpawnAt, StartsOnlyATrustedProgramOfTheHeldFolder) {
    for (const auto& c : kPrograms) {
        SCOPED_TRACE(c.name);
        if (c.other_user && ::geteuid() != 0) continue;
        test::TempDir dir;
        fs::copy_file("/bin/true", dir / "real");
        ASSERT_EQ(::chmod((dir / "real").c_str(), c.mode), 0);
        if (c.kind == Kind::Program) fs::rename(dir / "real", dir / "prog");
        if (c.kind == Kind::Symlink) fs::create_symlink(dir / "real", dir / "prog");
        if (c.kind == Kind::Folder) fs::create_directory(dir / "prog");
        ASSERT_EQ(c.other_user ? ::chown((dir / "prog").c_str(), 65534, 65534) : 0, 0);
        std::string error;
        UniqueFd held = open_folder(dir.path(), &error);
        ASSERT_TRUE(held.ok()) << error;
        const pid_t pid = proc::spawn_at(held.get(), dir.path(), "prog", {}, &error);
        if (*c.says == '\0') {
            ASSERT_GT(pid, 0) << error;
            int status = -1;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_EQ(pid, -1);
            EXPECT_NE(error.find(c.says), std::string::npos) << error;
            EXPECT_NE(error.find((dir / "prog").string()), std::string::npos) << error;
        }
    }
}

// Nothing to start from: said, not a crash or a silent success.
TEST(SpawnAt, MissingProgramOrFolderIsAnError) {
    test::TempDir dir;
    std::string error;
    UniqueFd held = open_folder(dir.path(), &error);
    EXPECT_EQ(proc::spawn_at(held.get(), dir.path(), "absent", {}, &error), -1);
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_EQ(proc::spawn_at(-1, dir.path(), "absent", {}, &error), -1);
    EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
}

}  // namespace
}  // namespace bw
