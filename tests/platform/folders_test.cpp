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

#include "platform/HeldFolder.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Vars = std::map<std::string, std::string>;

// An environment of our own: only the names in `vars` exist.
EnvLookup env_of(Vars vars) {
    return [vars = std::move(vars)](const char* name) {
        return vars.contains(name) ? vars.at(name) : "";
    };
}

std::string own_name() {
    return "brantwell-" + std::to_string(::geteuid());
}

struct stat stat_of(const fs::path& p) {  // all zero when there is nothing
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st;
}

// `s` with "{t}", "{d}" (or "{o}") and "~" (our subfolder's name) replaced.
std::string expand(std::string s, const Vars& places) {
    for (const auto& [from, to] : places)
        if (const auto at = s.find(from); at != std::string::npos) s.replace(at, from.size(), to);
    return s;
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

// TEMP, else TMPDIR, else /tmp; an empty variable counts as unset and trailing slashes do not
// matter. A private folder ("{t}", "{d}") is used as it is; a shared one gets a private subfolder
// of ours ("~"), found again at the next start (one left readable by others is still ours alone).
TEST(WorkingFolder, TempThenTmpdirThenTmpWithAPrivateSubfolderWhenShared) {
    const struct {
        const char *temp, *tmpdir;
        mode_t temp_mode, own_mode;  // own_mode 0: no subfolder of ours yet
        const char* expected;
    } kCases[] = {
        {"{t}", "{d}", 0700, 0, "{t}"},       {nullptr, "{d}", 0700, 0, "{d}"},
        {"{t}", nullptr, 0700, 0, "{t}"},     {"", "{d}//", 0700, 0, "{d}"},
        {nullptr, nullptr, 0700, 0, "/tmp/~"}, {"{t}", nullptr, 01777, 0, "{t}/~"},
        {"{t}", nullptr, 01770, 0, "{t}/~"},  {"{t}", nullptr, 01757, 0, "{t}/~"},
        {"{t}", nullptr, 01777, 0755, "{t}/~"},
    };
    for (const auto& c : kCases) {
        TempDir t, d;
        const Vars places = {{"{t}", t.path()}, {"{d}", d.path()}, {"~", own_name()}};
        SCOPED_TRACE(expand(c.expected, places) + " " + std::to_string(c.temp_mode));
        ASSERT_EQ(::chmod(t.path().c_str(), c.temp_mode), 0);
        if (c.own_mode) fs::create_directory(t / own_name());
        ASSERT_EQ(c.own_mode ? ::chmod((t / own_name()).c_str(), c.own_mode) : 0, 0);
        Vars vars;
        if (c.temp) vars["TEMP"] = expand(c.temp, places);
        if (c.tmpdir) vars["TMPDIR"] = expand(c.tmpdir, places);
        const EnvLookup env = env_of(vars);
        const FolderResult r = preferred_working_folder(env, {});
        ASSERT_TRUE(r.error.empty()) << r.error;
        EXPECT_EQ(r.path, expand(c.expected, places));
        EXPECT_TRUE(r.fd.ok());
        if (r.path.filename() == own_name()) {
            EXPECT_FALSE(r.note.empty());
            EXPECT_EQ(stat_of(r.path).st_mode & 07777, c.own_mode ? c.own_mode : 0700u);
            EXPECT_EQ(stat_of(r.path).st_uid, ::geteuid());
            EXPECT_EQ(preferred_working_folder(env, {}).path, r.path);
        } else {
            EXPECT_TRUE(r.note.empty() && !fs::exists(r.path / own_name()));
        }
    }
}

// What another user could have planted, in a shared folder (its own subfolder, "~") or as TEMP
// itself, and the reason we give. A symlink points at "elsewhere" (an empty folder) or "nowhere".
enum class Plant { Nothing, Folder, File, Symlink, Dangling };
const struct Planted {
    const char *name, *at;  // at: under the shared folder, "~" for our subfolder
    Plant plant;
    mode_t mode;                // 0: as made
    bool other_user;            // needs root
    const char *temp, *reason;  // temp: under the shared folder
} kPlanted[] = {
    {"subfolder_is_symlink", "~", Plant::Symlink, 0, false, "", "is a symlink"},
    {"subfolder_is_dangling_symlink", "~", Plant::Dangling, 0, false, "", "is a symlink"},
    {"subfolder_is_a_file", "~", Plant::File, 0, false, "", "is not a folder"},
    {"subfolder_of_another_user", "~", Plant::Folder, 0777, true, "", "belongs to another user"},
    // Left open to others, it may hold what they planted: refused, not repaired.
    {"subfolder_open_to_others", "~", Plant::Folder, 0777, false, "", "can be written by others"},
    {"subfolder_open_to_the_group", "~", Plant::Folder, 0770, false, "",
     "can be written by others"},
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
        const bool planted_own = fs::symlink_status(own).type() != fs::file_type::not_found;
        const mode_t own_mode = stat_of(own).st_mode;
        const FolderResult r =
            preferred_working_folder(env_of({{"TEMP", (dir / c.temp).string()}}), {});
        EXPECT_TRUE(r.path.empty() && !r.fd.ok());
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
        EXPECT_TRUE(!planted_own || r.error.find(own.string()) != std::string::npos) << r.error;
        EXPECT_EQ(stat_of(own).st_mode, own_mode) << "nothing made or changed in a refused folder";
        EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
        EXPECT_FALSE(fs::exists(dir / "nowhere")) << "nothing is made behind a symlink";
    }
}

// What another user or a careless mode left among the files the program runs or reads in its own
// folder ("trusted"): the folder is refused, naming the file and the reason; other names and
// absent files do not matter.
const struct {
    const char* name;
    mode_t mode;       // 0: a symlink to an empty file
    bool other_user;   // chowned to another user (needs root)
    const char* says;  // "": accepted
} kTrustedFiles[] = {
    {"ours_private", 0600, false, ""},
    {"ours_readable", 0644, false, ""},
    {"writable_by_others", 0666, false, "can be written by others"},
    {"writable_by_the_group", 0660, false, "can be written by others"},
    {"a_symlink", 0, false, "is a symlink"},
    {"another_users", 0600, true, "belongs to another user"},
};

TEST(WorkingFolder, FileTheProgramTrustsMustBeOursAndWritableByNobodyElse) {
    const std::string_view trusted[] = {"absent.dat", "trusted.dat"};
    for (const auto& c : kTrustedFiles) {
        SCOPED_TRACE(c.name);
        if (c.other_user && ::geteuid() != 0) continue;
        TempDir t;
        ASSERT_EQ(::chmod(t.path().c_str(), 0700), 0);
        test::write_file(t / "other.dat", "x");
        ASSERT_EQ(::chmod((t / "other.dat").c_str(), 0666), 0) << "not a trusted name";
        if (c.mode) {
            test::write_file(t / "trusted.dat", "x");
            ASSERT_EQ(::chmod((t / "trusted.dat").c_str(), c.mode), 0);
        } else {
            test::write_file(t / "empty", "");
            fs::create_symlink(t / "empty", t / "trusted.dat");
        }
        ASSERT_EQ(c.other_user ? ::chown((t / "trusted.dat").c_str(), 65534, 65534) : 0, 0);
        const FolderResult r = preferred_working_folder(env_of({{"TEMP", t.path()}}), trusted);
        EXPECT_EQ(r.fd.ok(), *c.says == '\0') << r.error;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_TRUE(!r.fd.ok() || r.error.empty());
        EXPECT_TRUE(r.fd.ok() || r.error.find((t / "trusted.dat").string()) != std::string::npos);
    }
}

// When the usual folder is unsafe or taken, the private one: $XDG_RUNTIME_DIR/brantwell, else a
// fresh folder in /tmp; held, private, and told once with the reason and where the program works.
TEST(WorkingFolder, UnsafeOrTakenFallsBackToAPrivateFolderAndSaysWhy) {
    const struct {
        const char* name;
        bool runtime_dir;  // XDG_RUNTIME_DIR given (a private folder of ours)
    } kCases[] = {{"runtime_dir", true}, {"fresh_folder_in_tmp", false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir shared, run;
        ASSERT_EQ(::chmod(shared.path().c_str(), 01777), 0);
        ASSERT_EQ(::chmod(run.path().c_str(), 0700), 0);
        // Taken: another name holds our folder's place (another user's folder when we are root).
        fs::create_directory_symlink(run.path(), shared / own_name());
        Vars vars = {{"TEMP", shared.path()}};
        if (c.runtime_dir) vars["XDG_RUNTIME_DIR"] = run.path();
        const FolderResult r = choose_working_folder(env_of(vars), {});
        ASSERT_TRUE(r.fd.ok()) << r.error;
        if (c.runtime_dir) {
            EXPECT_EQ(r.path, run / "brantwell");
        } else {
            EXPECT_EQ(r.path.parent_path(), "/tmp");
            EXPECT_TRUE(r.path.filename().string().starts_with(own_name() + "-")) << r.path;
        }
        EXPECT_EQ(stat_of(r.path).st_mode & 07777, 0700u);
        EXPECT_NE(r.notice.find("is a symlink"), std::string::npos) << r.notice;
        EXPECT_NE(r.notice.find(r.path.string()), std::string::npos) << r.notice;
        struct stat held {};
        ASSERT_EQ(::fstat(r.fd.get(), &held), 0);
        EXPECT_EQ(held.st_ino, stat_of(r.path).st_ino);
        EXPECT_TRUE(fs::is_empty(run.path()) || c.runtime_dir) << "nothing made behind the symlink";
        if (!c.runtime_dir) fs::remove(r.path);
    }
    // A usable folder needs no notice.
    TempDir t;
    ASSERT_EQ(::chmod(t.path().c_str(), 0700), 0);
    const FolderResult r = choose_working_folder(env_of({{"TEMP", t.path()}}), {});
    EXPECT_EQ(r.path, t.path());
    EXPECT_TRUE(r.notice.empty()) << r.notice;
}

// The race of a swapped folder: once held, the descriptor stays on the folder that was checked,
// whatever is put under its name; the name is then reported as replaced.
TEST(WorkingFolder, HeldFolderStaysTheCheckedOneWhenItsNameIsSwapped) {
    TempDir outer;
    fs::create_directory(outer / "work");
    ASSERT_EQ(::chmod((outer / "work").c_str(), 0700), 0);
    FolderResult r = preferred_working_folder(env_of({{"TEMP", (outer / "work").string()}}), {});
    ASSERT_TRUE(r.fd.ok()) << r.error;
    const ino_t checked = stat_of(outer / "work").st_ino;
    fs::rename(outer / "work", outer / "moved");
    fs::create_directory(outer / "work");
    struct stat held {};
    ASSERT_EQ(::fstat(r.fd.get(), &held), 0);
    EXPECT_EQ(held.st_ino, checked);
    EXPECT_NE(check_same_folder(r.fd.get(), outer / "work").find("was replaced"),
              std::string::npos);
    EXPECT_TRUE(check_held_folder(r.fd.get(), outer / "work").empty());
}

// Where TEMP sits: a relative TEMP and symlinks above it give the real, absolute folder (the
// testers start from it and are found again by their executables' paths); a folder above it that
// another user owns, or that others can write without the sticky bit, refuses it. TEMP is given
// relative to "{o}", which is the current folder; "link" points at "real", "openlink" at "open"
// (mode 0777); "sticky" has mode 01777.
const struct {
    const char* name;
    const char* temp;
    bool other_user;   // "{o}/theirs" belongs to another user (needs root)
    const char* path;  // nullptr: refused
    const char* says;  // part of the error
} kPlaces[] = {
    {"relative", "real/work", false, "{o}/real/work", ""},
    {"relative_dot", "./real/../real/work", false, "{o}/real/work", ""},
    {"under_symlink", "{o}/link/work", false, "{o}/real/work", ""},
    {"relative_under_symlink", "link/work", false, "{o}/real/work", ""},
    {"shared_under_symlink", "{o}/link/shared", false, "{o}/real/shared/~", ""},
    {"under_sticky_open_folder", "{o}/sticky/work", false, "{o}/sticky/work", ""},
    {"under_open_folder", "{o}/open/work", false, nullptr, "has no sticky bit"},
    {"under_open_folder_via_symlink", "{o}/openlink/work", false, nullptr, "{o}/open "},
    {"under_another_users_folder", "{o}/theirs/work", true, nullptr, "belongs to another user"},
};

TEST(WorkingFolder, RelativeAndSymlinkedPathsResolveAndEveryFolderAboveIsChecked) {
    const fs::path was = fs::current_path();
    for (const auto& c : kPlaces) {
        SCOPED_TRACE(c.name);
        if (c.other_user && ::geteuid() != 0) continue;
        TempDir outer;
        const Vars places = {{"{o}", outer.path()}, {"~", own_name()}};
        for (const char* dir :
             {"real/work", "real/shared", "open/work", "sticky/work", "theirs/work"})
            fs::create_directories(outer / dir);
        ASSERT_EQ(::chmod((outer / "real/shared").c_str(), 01777), 0);
        ASSERT_EQ(::chmod((outer / "open").c_str(), 0777), 0);
        ASSERT_EQ(::chmod((outer / "sticky").c_str(), 01777), 0);
        ASSERT_EQ(c.other_user ? ::chown((outer / "theirs").c_str(), 65534, 65534) : 0, 0);
        fs::create_directory_symlink(outer / "real", outer / "link");
        fs::create_directory_symlink(outer / "open", outer / "openlink");
        ASSERT_EQ(::chdir(outer.path().c_str()), 0);
        const FolderResult r =
            preferred_working_folder(env_of({{"TEMP", expand(c.temp, places)}}), {});
        ASSERT_EQ(::chdir(was.c_str()), 0);
        EXPECT_EQ(r.path, c.path ? expand(c.path, places) : "");
        EXPECT_TRUE(r.path.empty() || r.path.is_absolute());
        EXPECT_NE(r.error.find(expand(c.says, places)), std::string::npos) << r.error;
        EXPECT_EQ(r.error.empty(), c.path != nullptr) << r.error;
    }
}

// The program folder by where the executable is and what is set; "{o}" is a scratch folder holding
// bin-w (writable), bin-ro and ro (unwritable), data, home and a-file. Either a path or an error.
const struct ProgramCase {
    const char *name, *exe_dir;
    Vars env;
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
    const Vars places = {{"{o}", outer.path()}};
    fs::create_directory(outer / "bin-w");
    fs::create_directory(outer / "data");
    test::write_file(outer / "a-file", "x");
    UnwritableFolder bin_ro(outer / "bin-ro"), ro(outer / "ro");
    if (!ro.error().empty())
        std::cerr << "cannot make an unwritable folder: " << ro.error() << "\n";
    for (const auto& c : kProgramCases) {
        SCOPED_TRACE(c.name);
        bool needs_unwritable = std::string_view(c.exe_dir).ends_with("ro");
        Vars vars;
        for (const auto& [name, value] : c.env) {
            needs_unwritable |= value.ends_with("ro");
            vars[name] = expand(value, places);
        }
        if (needs_unwritable && !ro.error().empty()) continue;
        const FolderResult r = choose_program_folder(expand(c.exe_dir, places), env_of(vars));
        EXPECT_EQ(r.path, c.path ? expand(c.path, places) : "");
        EXPECT_EQ(r.error.empty(), c.path != nullptr) << r.error;
        EXPECT_NE((c.path ? r.note : r.error).find(c.says), std::string::npos) << r.note << r.error;
        EXPECT_TRUE(!c.path || fs::is_directory(r.path));
    }
    EXPECT_FALSE(fs::exists("relative")) << "a relative XDG_DATA_HOME is ignored";
}

TEST(Folders, ExecutablePathIsThisTest) {
    EXPECT_EQ(executable_path().filename(), "platform_tests");
}

}  // namespace
}  // namespace bw
