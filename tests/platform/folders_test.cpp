// Where the two settings files live: the working folder (private, because the testers run from
// it) and the program folder (with its fallback when the executable's folder is not writable).
#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
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
        return [this](const char* name) { return vars.contains(name) ? vars.at(name) : ""; };
    }
};

std::string own_name() {
    return "brantwell-" + std::to_string(::geteuid());
}

mode_t mode_of(const fs::path& p) {  // 0 when there is nothing
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// A folder nobody may write: a read-only tmpfs for root (root writes anywhere else), mode 0555
// otherwise. error() is empty when it worked.
struct UnwritableFolder {
    explicit UnwritableFolder(const fs::path& at)
        : made(fs::create_directory(at)), tmpfs(at, "size=16k", true) {
        if (::geteuid() != 0) fs::permissions(at, fs::perms::owner_read | fs::perms::owner_exec);
    }
    std::string error() const { return ::geteuid() == 0 ? tmpfs.error() : std::string(); }
    bool made;
    test::TmpfsMount tmpfs;
};

// Which variable names the working folder; "{t}" and "{d}" are two private folders. An empty
// variable counts as unset, trailing slashes do not matter, and /tmp, shared, gets our own folder.
TEST(WorkingFolder, TempThenTmpdirThenTmp) {
    TempDir t, d;
    fs::permissions(t.path(), fs::perms::owner_all);
    fs::permissions(d.path(), fs::perms::owner_all);
    const struct {
        const char *temp, *tmpdir;
        fs::path expected;
    } kCases[] = {
        {"{t}", "{d}", t.path()},
        {nullptr, "{d}", d.path()},
        {"{t}", nullptr, t.path()},
        {"", "{d}//", d.path()},
        {nullptr, nullptr, fs::path("/tmp") / own_name()},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.expected);
        Env env;
        auto at = [&](std::string v) {
            return v.starts_with("{") ? (v[1] == 't' ? t : d).path().string() + v.substr(3) : v;
        };
        if (c.temp) env.vars["TEMP"] = at(c.temp);
        if (c.tmpdir) env.vars["TMPDIR"] = at(c.tmpdir);
        FolderResult r = choose_working_folder(env.lookup());
        ASSERT_TRUE(r.error.empty()) << r.error;
        EXPECT_EQ(r.path, c.expected);
        // A private folder is used as it is.
        EXPECT_TRUE(c.expected == fs::path("/tmp") / own_name() ||
                    (r.note.empty() && !fs::exists(r.path / own_name())));
    }
}

// A shared folder gets a private subfolder of ours, made private again if it was left open, and
// found again at the next start.
TEST(WorkingFolder, SharedFolderGetsAPrivateSubfolder) {
    for (mode_t shared : {01777, 01770, 01757, 0}) {
        SCOPED_TRACE(shared);
        TempDir temp;
        ASSERT_EQ(::chmod(temp.path().c_str(), shared ? shared : 01777), 0);
        if (!shared) {  // ours, left open
            fs::create_directory(temp / own_name());
            ASSERT_EQ(::chmod((temp / own_name()).c_str(), 0777), 0);
        }
        Env env;
        env.vars["TEMP"] = temp.path();
        FolderResult r = choose_working_folder(env.lookup());
        ASSERT_TRUE(r.error.empty()) << r.error;
        EXPECT_EQ(r.path, temp / own_name());
        EXPECT_FALSE(r.note.empty());
        struct stat st {};
        ::lstat(r.path.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(choose_working_folder(env.lookup()).path, r.path);
    }
}

// What another user could have planted, in a shared folder (its own subfolder, "~") or as TEMP
// itself, and the reason we give. A symlink points at "elsewhere" (an empty folder) or "nowhere".
enum class Plant { Nothing, Folder, File, Symlink, Dangling };
const struct Planted {
    const char* name;
    const char* at;  // under the shared folder, "~" for our subfolder
    Plant plant;
    mode_t mode;       // 0: as made
    bool other_user;   // needs root
    const char* temp;  // under the shared folder
    const char* reason;
} kPlanted[] = {
    {"subfolder_is_symlink", "~", Plant::Symlink, 0, false, "", "is a symlink"},
    {"subfolder_is_dangling_symlink", "~", Plant::Dangling, 0, false, "", "is a symlink"},
    {"subfolder_is_a_file", "~", Plant::File, 0, false, "", "is not a folder"},
    {"subfolder_of_another_user", "~", Plant::Folder, 0777, true, "", "belongs to another user"},
    {"temp_is_symlink", "link", Plant::Symlink, 0, false, "link", "is a symlink"},
    {"temp_is_symlink_with_slash", "link", Plant::Symlink, 0, false, "link/", "is a symlink"},
    {"temp_missing", "", Plant::Nothing, 0, false, "nowhere", "does not exist"},
    {"temp_is_a_file", "file", Plant::File, 0, false, "file", "is not a folder"},
    {"temp_without_sticky_bit", "", Plant::Folder, 0777, false, "", "no sticky bit"},
    {"temp_of_another_user", "", Plant::Folder, 0700, true, "", "belongs to another user"},
};

TEST(WorkingFolder, PlantedFolderIsRefusedWithAReason) {
    for (const auto& c : kPlanted) {
        SCOPED_TRACE(c.name);
        if (c.other_user && ::geteuid() != 0) continue;
        TempDir outer;
        const fs::path dir = outer / "shared";
        fs::create_directory(dir);
        ASSERT_EQ(::chmod(dir.c_str(), 01777), 0);
        const fs::path own = dir / own_name(), at = c.at == std::string("~") ? own : dir / c.at;
        fs::create_directory(dir / "elsewhere");
        if (c.plant == Plant::Folder) fs::create_directory(at);
        if (c.plant == Plant::File) test::write_file(at, "x");
        if (c.plant == Plant::Symlink) fs::create_directory_symlink(dir / "elsewhere", at);
        if (c.plant == Plant::Dangling) fs::create_directory_symlink(dir / "nowhere", at);
        ASSERT_EQ(c.mode ? ::chmod(at.c_str(), c.mode) : 0, 0);
        ASSERT_EQ(c.other_user ? ::chown(at.c_str(), 65534, 65534) : 0, 0);
        Env env;
        env.vars["TEMP"] = (dir / c.temp).string();
        const bool planted_own = fs::symlink_status(own).type() != fs::file_type::not_found;
        const mode_t own_mode = mode_of(own);
        FolderResult r = choose_working_folder(env.lookup());
        EXPECT_TRUE(r.path.empty());
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
        EXPECT_TRUE(!planted_own || r.error.find(own.string()) != std::string::npos) << r.error;
        EXPECT_EQ(mode_of(own), own_mode) << "nothing is made or changed in a refused folder";
        EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
        EXPECT_FALSE(fs::exists(dir / "nowhere")) << "nothing is made behind a symlink";
    }
}

// The program folder by where the executable is and what is set; "{o}" is a scratch folder holding
// bin-w (writable), bin-ro and ro (unwritable), data, home and a-file. Either a path or an error.
const struct ProgramCase {
    const char* name;
    const char* exe_dir;
    std::map<std::string, std::string> env;
    const char* path;
    const char* says;  // part of the note with a path, of the error without
} kProgramCases[] = {
    {"writable_executable_folder", "{o}/bin-w", {}, "{o}/bin-w", ""},
    {"unwritable_falls_back_to_xdg", "{o}/bin-ro",
     {{"XDG_DATA_HOME", "{o}/data"}, {"HOME", "{o}/home"}}, "{o}/data/brantwell", "not writable"},
    {"empty_xdg_falls_back_under_home", "{o}/bin-ro", {{"XDG_DATA_HOME", ""}, {"HOME", "{o}/home"}},
     "{o}/home/.local/share/brantwell", ""},
    {"relative_xdg_is_ignored", "{o}/bin-ro",
     {{"XDG_DATA_HOME", "relative/data"}, {"HOME", "{o}/home"}}, "{o}/home/.local/share/brantwell",
     ""},
    {"brantwell_home_wins_and_is_made", "{o}/bin-w",
     {{"BRANTWELL_HOME", "{o}/mine"}, {"XDG_DATA_HOME", "{o}/data"}}, "{o}/mine", "BRANTWELL_HOME"},
    // An unusable BRANTWELL_HOME is an error, not a reason to fall back.
    {"brantwell_home_a_file", "{o}/bin-w", {{"BRANTWELL_HOME", "{o}/a-file"}}, nullptr,
     "BRANTWELL_HOME"},
    {"brantwell_home_unwritable", "{o}/bin-w", {{"BRANTWELL_HOME", "{o}/ro"}}, nullptr,
     "not a writable folder"},
    {"no_usable_fallback", "{o}/ro", {{"XDG_DATA_HOME", "{o}/ro"}}, nullptr,
     "Cannot create the program folder"},
};

TEST(ProgramFolder, ChoiceAndFallbacks) {
    TempDir outer;
    auto at = [&](std::string s) {
        if (s.rfind("{o}", 0) == 0) s.replace(0, 3, outer.path().string());
        return s;
    };
    fs::create_directory(outer / "bin-w");
    fs::create_directory(outer / "data");
    test::write_file(outer / "a-file", "x");
    UnwritableFolder bin_ro(outer / "bin-ro"), ro(outer / "ro");
    if (!ro.error().empty())
        std::cerr << "cannot make an unwritable folder: " << ro.error() << "\n";
    for (const auto& c : kProgramCases) {
        SCOPED_TRACE(c.name);
        bool needs_unwritable = std::string_view(c.exe_dir).ends_with("ro");
        for (const auto& [name, value] : c.env) needs_unwritable |= value.ends_with("ro");
        if (needs_unwritable && !ro.error().empty()) continue;
        Env env;
        for (const auto& [name, value] : c.env) env.vars[name] = at(value);
        FolderResult r = choose_program_folder(at(c.exe_dir), env.lookup());
        if (c.path) {
            ASSERT_TRUE(r.error.empty()) << r.error;
            EXPECT_EQ(r.path, at(c.path));
            EXPECT_TRUE(fs::is_directory(r.path));
            EXPECT_NE(r.note.find(c.says), std::string::npos) << r.note;
        } else {
            EXPECT_TRUE(r.path.empty());
            EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        }
    }
    EXPECT_FALSE(fs::exists("relative")) << "a relative XDG_DATA_HOME is ignored";
}

TEST(Folders, ExecutablePathIsThisTest) {
    EXPECT_EQ(executable_path().filename(), "platform_tests");
}

}  // namespace
}  // namespace bw
