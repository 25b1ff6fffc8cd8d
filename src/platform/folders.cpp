#include "platform/folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/UniqueFd.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

bool writable_by_others(const struct stat& st) {
    return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

std::string home_folder(const EnvLookup& env) {
    std::string home = env("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_dir;
    return "/";
}

// Why a private folder may not be made inside `base` ("" when it may): others must not be able
// to rename or replace what we create there.
std::string unsafe_parent(const std::string& base, const struct stat& st) {
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return "The temporary folder " + base + " belongs to another user (uid " +
               std::to_string(st.st_uid) + ")";
    if (writable_by_others(st) && !(st.st_mode & S_ISVTX))
        return "The temporary folder " + base +
               " can be written by others and has no sticky bit: another user could replace the "
               "working folder in it";
    return {};
}

// Why a folder above the working folder makes it unsafe ("" when none does): a folder that another
// user owns, or that others can write without the sticky bit, lets them rename our folder away and
// put one of theirs, with their executables, in its place. `real` is absolute and resolved, so
// these are the folders the kernel walks.
std::string unsafe_ancestor(const fs::path& real) {
    for (fs::path up = real.parent_path(); !up.empty(); up = up.parent_path()) {
        struct stat st {};
        if (::lstat(up.c_str(), &st) != 0)
            return "The folder " + up.string() +
                   " above the working folder cannot be checked: " + std::strerror(errno);
        if (st.st_uid != ::geteuid() && st.st_uid != 0)
            return "The folder " + up.string() +
                   " above the working folder belongs to another user (uid " +
                   std::to_string(st.st_uid) + "): refusing to run programs beneath it";
        if (writable_by_others(st) && !(st.st_mode & S_ISVTX))
            return "The folder " + up.string() +
                   " above the working folder can be written by others and has no sticky bit: "
                   "refusing to run programs beneath it";
        if (up == up.root_path()) break;
    }
    return {};
}

// `base` as an absolute path with every symlink above it resolved. Relative, it would name another
// folder once a tester starts in the working folder; through a symlink, it would not match the
// testers' /proc/PID/exe, so they could not be found and stopped again. "" with `error` set when
// the path cannot be resolved.
std::string resolved_folder(const std::string& base, std::string* error) {
    char* real = ::realpath(base.c_str(), nullptr);
    if (!real) {
        *error = "The temporary folder " + base + " cannot be resolved: " + std::strerror(errno);
        return {};
    }
    std::string out = real;
    std::free(real);
    return out;
}

}  // namespace

std::string process_env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

fs::path executable_path() {
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : p;
}

std::string check_private_folder(const fs::path& dir, bool must_be_private) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return dir.string() + ": " + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return dir.string() + " is a symlink: refusing to use it";
    if (!S_ISDIR(st.st_mode)) return dir.string() + " is not a folder";
    // Checked again and fixed through a descriptor, so the folder cannot be swapped for a symlink
    // between the check and the fix.
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat fst {};
    if (!fd.ok() || ::fstat(fd.get(), &fst) != 0 || fst.st_ino != st.st_ino ||
        fst.st_dev != st.st_dev)
        return dir.string() + " changed while it was checked: refusing to use it";
    if (fst.st_uid != ::geteuid())
        return dir.string() + " belongs to another user (uid " + std::to_string(fst.st_uid) +
               "): refusing to use it";
    if (must_be_private && (fst.st_mode & 077) != 0 && ::fchmod(fd.get(), 0700) != 0)
        return dir.string() + ": cannot make it private: " + std::strerror(errno);
    return {};
}

FolderResult choose_working_folder(const EnvLookup& env) {
    FolderResult r;
    std::string base;
    for (const char* name : {"TEMP", "TMPDIR"}) {
        base = env(name);
        if (!base.empty()) break;
    }
    if (base.empty()) base = "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();

    struct stat st {};
    if (::lstat(base.c_str(), &st) != 0) {
        r.error = "The temporary folder " + base + " does not exist";
        return r;
    }
    if (S_ISLNK(st.st_mode)) {
        r.error = "The temporary folder " + base + " is a symlink: refusing to use it";
        return r;
    }
    if (!S_ISDIR(st.st_mode)) {
        r.error = "The temporary folder " + base + " is not a folder";
        return r;
    }
    base = resolved_folder(base, &r.error);
    if (base.empty()) return r;
    if (auto why = unsafe_ancestor(base); !why.empty()) {
        r.error = why;
        return r;
    }
    if (!writable_by_others(st) && st.st_uid == ::geteuid()) {
        if (auto why = check_private_folder(base, false); !why.empty()) {
            r.error = why;
            return r;
        }
        r.path = base;
        return r;
    }
    // Shared (or foreign) temporary folder: use a private folder of our own inside it.
    if (auto why = unsafe_parent(base, st); !why.empty()) {
        r.error = why;
        return r;
    }
    fs::path own = fs::path(base) / ("brantwell-" + std::to_string(::geteuid()));
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        r.error = "Cannot create " + own.string() + ": " + std::strerror(errno);
        return r;
    }
    if (auto why = check_private_folder(own, true); !why.empty()) {
        r.error = why;
        return r;
    }
    r.path = own;
    r.note = "private folder in " + base;
    return r;
}

FolderResult choose_working_folder() {
    return choose_working_folder(process_env);
}

FolderResult choose_program_folder(const fs::path& exe_dir, const EnvLookup& env) {
    FolderResult r;
    if (std::string home = env("BRANTWELL_HOME"); !home.empty()) {
        std::error_code ec;
        // Absolute, so the settings stay where they were found whatever folder is current later.
        if (home.front() != '/') home = (fs::current_path(ec) / home).lexically_normal().string();
        fs::create_directories(home, ec);
        if (!fs::is_directory(home, ec) || ::access(home.c_str(), W_OK) != 0) {
            r.error = "BRANTWELL_HOME " + home + " is not a writable folder";
            return r;
        }
        r.path = home;
        r.note = "BRANTWELL_HOME";
        return r;
    }
    if (!exe_dir.empty() && ::access(exe_dir.c_str(), W_OK) == 0) {
        r.path = exe_dir;
        return r;
    }
    // XDG_DATA_HOME counts only when it is an absolute path.
    std::string data = env("XDG_DATA_HOME");
    fs::path dir = data.empty() || data.front() != '/'
                       ? fs::path(home_folder(env)) / ".local/share/brantwell"
                       : fs::path(data) / "brantwell";
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec) || ::access(dir.c_str(), W_OK) != 0) {
        r.error = "Cannot create the program folder " + dir.string() +
                  (ec ? ": " + ec.message() : std::string());
        return r;
    }
    r.path = dir;
    r.note = exe_dir.string() + " is not writable";
    return r;
}

FolderResult choose_program_folder() {
    return choose_program_folder(executable_path().parent_path(), process_env);
}

}  // namespace bw
