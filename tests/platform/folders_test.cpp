// Where the two settings files live: the working folder (private, because the testers run from
// it) and the program folder (with its fallback when the executable's folder is not writable).
#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// An environment of our own: only the names set here exist.
struct Env {
    std::map<std::string, std::string> vars;
    EnvLookup lookup() const {
        return [this](const char* name) {
            auto it = vars.find(name);
            return it == vars.end() ? std::string() : it->second;
        };
    }
};

std::string own_name() {
    return "brantwell-" + std::to_string(::geteuid());
}

mode_t mode_of(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// A folder nobody may write: a read-only tmpfs for root (root writes anywhere else), mode 0555
// otherwise.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(const fs::path& at) : at_(at) {
        fs::create_directory(at);
        if (::geteuid() != 0) {
            fs::permissions(at, fs::perms::owner_read | fs::perms::owner_exec);
            return;
        }
        if (::mount("tmpfs", at.c_str(), "tmpfs", MS_RDONLY, "size=16k") == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~UnwritableFolder() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    const std::string& error() const { return error_; }

  private:
    fs::path at_;
    bool mounted_ = false;
    std::string error_;
};

// Which variable names the working folder, by what is set.
struct Precedence {
    const char* name;
    bool temp, tmpdir;
    const char* expected;  // "TEMP", "TMPDIR" or "/tmp"
};

constexpr Precedence kPrecedence[] = {
    {"temp_wins", true, true, "TEMP"},
    {"tmpdir_when_no_temp", false, true, "TMPDIR"},
    {"temp_alone", true, false, "TEMP"},
    {"tmp_when_neither", false, false, "/tmp"},
};

TEST(WorkingFolder, TempThenTmpdirThenTmp) {
    TempDir temp, tmpdir;
    fs::permissions(temp.path(), fs::perms::owner_all);
    fs::permissions(tmpdir.path(), fs::perms::owner_all);
    for (const auto& c : kPrecedence) {
        SCOPED_TRACE(c.name);
        Env env;
        if (c.temp) env.vars["TEMP"] = temp.path();
        if (c.tmpdir) env.vars["TMPDIR"] = tmpdir.path();
        FolderResult r = choose_working_folder(env.lookup());
        ASSERT_TRUE(r.error.empty()) << r.error;
        if (std::string(c.expected) == "TEMP")
            EXPECT_EQ(r.path, temp.path());
        else if (std::string(c.expected) == "TMPDIR")
            EXPECT_EQ(r.path, tmpdir.path());
        else  // /tmp is shared: our own folder inside it
            EXPECT_EQ(r.path, fs::path("/tmp") / own_name());
    }
}

TEST(WorkingFolder, EmptyVariableCountsAsUnset) {
    TempDir tmpdir;
    fs::permissions(tmpdir.path(), fs::perms::owner_all);
    Env env;
    env.vars["TEMP"] = "";
    env.vars["TMPDIR"] = tmpdir.path().string() + "//";
    EXPECT_EQ(choose_working_folder(env.lookup()).path, tmpdir.path());
}

TEST(WorkingFolder, PrivateFolderIsUsedAsItIs) {
    TempDir temp;
    fs::permissions(temp.path(), fs::perms::owner_all);
    Env env;
    env.vars["TEMP"] = temp.path();
    FolderResult r = choose_working_folder(env.lookup());
    EXPECT_EQ(r.path, temp.path());
    EXPECT_TRUE(r.note.empty());
    EXPECT_FALSE(fs::exists(temp / own_name()));
}

TEST(WorkingFolder, SharedFolderGetsAPrivateSubfolder) {
    for (mode_t shared : {01777, 01770, 01757}) {
        SCOPED_TRACE(shared);
        TempDir temp;
        ASSERT_EQ(::chmod(temp.path().c_str(), shared), 0);
        Env env;
        env.vars["TEMP"] = temp.path();
        FolderResult r = choose_working_folder(env.lookup());
        ASSERT_TRUE(r.error.empty()) << r.error;
        EXPECT_EQ(r.path, temp / own_name());
        EXPECT_FALSE(r.note.empty());
        EXPECT_EQ(mode_of(r.path), 0700u);
        struct stat st {};
        ::lstat(r.path.c_str(), &st);
        EXPECT_EQ(st.st_uid, ::geteuid());
        // A second start finds and keeps it.
        EXPECT_EQ(choose_working_folder(env.lookup()).path, r.path);
    }
}

TEST(WorkingFolder, OwnSubfolderLeftOpenIsMadePrivateAgain) {
    TempDir temp;
    ASSERT_EQ(::chmod(temp.path().c_str(), 01777), 0);
    fs::create_directory(temp / own_name());
    ASSERT_EQ(::chmod((temp / own_name()).c_str(), 0777), 0);
    Env env;
    env.vars["TEMP"] = temp.path();
    EXPECT_EQ(choose_working_folder(env.lookup()).path, temp / own_name());
    EXPECT_EQ(mode_of(temp / own_name()), 0700u);
}

// What another user could have planted in a shared temporary folder, and the reason we give.
struct Planted {
    const char* name;
    bool needs_root;  // chown to another user
    void (*plant)(const fs::path& temp, const fs::path& own);
    const char* reason;
};

const Planted kPlanted[] = {
    {"subfolder_is_symlink", false,
     [](const fs::path& temp, const fs::path& own) {
         fs::create_directory(temp / "elsewhere");
         fs::create_directory_symlink(temp / "elsewhere", own);
     },
     "is a symlink"},
    {"subfolder_is_dangling_symlink", false,
     [](const fs::path& temp, const fs::path& own) {
         fs::create_directory_symlink(temp / "nowhere", own);
     },
     "is a symlink"},
    {"subfolder_is_a_file", false,
     [](const fs::path&, const fs::path& own) { test::write_file(own, "x"); }, "is not a folder"},
    {"subfolder_of_another_user", true,
     [](const fs::path&, const fs::path& own) {
         fs::create_directory(own);
         ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
         ASSERT_EQ(::chmod(own.c_str(), 0777), 0);
     },
     "belongs to another user"},
};

TEST(WorkingFolder, PlantedSubfolderIsRefusedWithAReason) {
    for (const auto& c : kPlanted) {
        SCOPED_TRACE(c.name);
        if (c.needs_root && ::geteuid() != 0) continue;
        TempDir temp;
        ASSERT_EQ(::chmod(temp.path().c_str(), 01777), 0);
        const fs::path own = temp / own_name();
        c.plant(temp.path(), own);
        const mode_t elsewhere_mode = mode_of(temp / "elsewhere");
        Env env;
        env.vars["TEMP"] = temp.path();
        FolderResult r = choose_working_folder(env.lookup());
        EXPECT_TRUE(r.path.empty());
        EXPECT_NE(r.error.find(own.string()), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
        if (c.needs_root) EXPECT_EQ(mode_of(own), 0777u) << "another user's folder is not touched";
        if (fs::exists(temp / "elsewhere")) {
            EXPECT_TRUE(fs::is_empty(temp / "elsewhere"));
            EXPECT_EQ(mode_of(temp / "elsewhere"), elsewhere_mode) << "not made private";
        }
        EXPECT_FALSE(fs::exists(temp / "nowhere")) << "nothing is made behind a symlink";
    }
}

TEST(WorkingFolder, UnusableTempIsRefusedWithAReason) {
    TempDir outer;
    const fs::path real = outer / "real";
    fs::create_directory(real);
    fs::permissions(real, fs::perms::owner_all);
    fs::create_directory_symlink(real, outer / "link");
    test::write_file(outer / "file", "x");
    fs::create_directory(outer / "open");
    ASSERT_EQ(::chmod((outer / "open").c_str(), 0777), 0);  // shared, no sticky bit

    struct Case {
        fs::path temp;
        const char* reason;
    } cases[] = {
        {outer / "link", "is a symlink"},      {outer / "link/", "is a symlink"},
        {outer / "missing", "does not exist"}, {outer / "file", "is not a folder"},
        {outer / "open", "no sticky bit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.temp);
        Env env;
        env.vars["TEMP"] = c.temp;
        FolderResult r = choose_working_folder(env.lookup());
        EXPECT_TRUE(r.path.empty());
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    }
    EXPECT_TRUE(fs::is_empty(real)) << "nothing was made behind the symlink";
    EXPECT_TRUE(fs::is_empty(outer / "open"));
}

TEST(WorkingFolder, TempOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    TempDir outer;
    const fs::path theirs = outer / "theirs";
    fs::create_directory(theirs);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 0700), 0);
    Env env;
    env.vars["TEMP"] = theirs;
    FolderResult r = choose_working_folder(env.lookup());
    EXPECT_TRUE(r.path.empty());
    EXPECT_NE(r.error.find("belongs to another user"), std::string::npos) << r.error;
    EXPECT_TRUE(fs::is_empty(theirs));
}

TEST(ProgramFolder, WritableExecutableFolderIsUsed) {
    TempDir exe;
    Env env;
    FolderResult r = choose_program_folder(exe.path(), env.lookup());
    EXPECT_EQ(r.path, exe.path());
    EXPECT_TRUE(r.error.empty());
}

TEST(ProgramFolder, UnwritableExecutableFolderFallsBackToXdgDataHome) {
    TempDir outer, data;
    UnwritableFolder exe(outer / "bin");
    if (!exe.error().empty()) GTEST_SKIP() << "cannot make an unwritable folder: " << exe.error();
    ASSERT_NE(::access((outer / "bin").c_str(), W_OK), 0);
    Env env;
    env.vars["XDG_DATA_HOME"] = data.path();
    env.vars["HOME"] = (outer / "home").string();
    FolderResult r = choose_program_folder(outer / "bin", env.lookup());
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.path, data / "brantwell");
    EXPECT_TRUE(fs::is_directory(r.path));
    EXPECT_NE(r.note.find("not writable"), std::string::npos);
}

TEST(ProgramFolder, WithoutXdgDataHomeFallsBackUnderHome) {
    TempDir outer;
    UnwritableFolder exe(outer / "bin");
    if (!exe.error().empty()) GTEST_SKIP() << "cannot make an unwritable folder: " << exe.error();
    for (const char* xdg : {"", "relative/data"}) {
        SCOPED_TRACE(xdg);
        Env env;
        env.vars["HOME"] = (outer / "home").string();
        env.vars["XDG_DATA_HOME"] = xdg;
        FolderResult r = choose_program_folder(outer / "bin", env.lookup());
        EXPECT_EQ(r.path, outer / "home/.local/share/brantwell");
        EXPECT_TRUE(fs::is_directory(r.path));
    }
    EXPECT_FALSE(fs::exists("relative")) << "a relative XDG_DATA_HOME is ignored";
}

TEST(ProgramFolder, BrantwellHomeOverridesEverything) {
    TempDir exe, home;
    Env env;
    env.vars["BRANTWELL_HOME"] = (home / "mine").string();
    env.vars["XDG_DATA_HOME"] = home.path();
    FolderResult r = choose_program_folder(exe.path(), env.lookup());
    EXPECT_EQ(r.path, home / "mine");
    EXPECT_TRUE(fs::is_directory(r.path)) << "created when missing";
    EXPECT_EQ(r.note, "BRANTWELL_HOME");
}

TEST(ProgramFolder, UnusableBrantwellHomeIsAnErrorNotAFallback) {
    TempDir outer;
    test::write_file(outer / "a-file", "x");
    UnwritableFolder ro(outer / "ro");
    Env env;
    env.vars["BRANTWELL_HOME"] = (outer / "a-file").string();
    FolderResult r = choose_program_folder(outer.path(), env.lookup());
    EXPECT_TRUE(r.path.empty());
    EXPECT_NE(r.error.find("BRANTWELL_HOME"), std::string::npos);
    if (ro.error().empty()) {
        env.vars["BRANTWELL_HOME"] = (outer / "ro").string();
        r = choose_program_folder(outer.path(), env.lookup());
        EXPECT_TRUE(r.path.empty());
        EXPECT_NE(r.error.find("not a writable folder"), std::string::npos) << r.error;
    }
}

TEST(ProgramFolder, NoUsableFallbackIsAnError) {
    TempDir outer;
    UnwritableFolder ro(outer / "ro");
    if (!ro.error().empty()) GTEST_SKIP() << "cannot make an unwritable folder: " << ro.error();
    Env env;
    env.vars["XDG_DATA_HOME"] = (outer / "ro").string();
    FolderResult r = choose_program_folder(outer / "ro", env.lookup());
    EXPECT_TRUE(r.path.empty());
    EXPECT_NE(r.error.find("Cannot create the program folder"), std::string::npos) << r.error;
}

TEST(Folders, ExecutablePathIsThisTest) {
    EXPECT_EQ(executable_path().filename(), "platform_tests");
}

}  // namespace
}  // namespace bw
