#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace bw {

namespace fs = std::filesystem;

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool writable_by_others(const struct stat& st) { return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0; }

std::string home_folder() {
    std::string home = env("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_dir;
    return "/";
}

}  // namespace

fs::path executable_path() {
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : p;
}

std::string check_private_folder(const fs::path& dir, bool must_be_private) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return dir.string() + ": " + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return dir.string() + " is a symlink";
    if (!S_ISDIR(st.st_mode)) return dir.string() + " is not a folder";
    if (st.st_uid != ::geteuid()) return dir.string() + " belongs to another user";
    if (must_be_private && (st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return dir.string() + ": cannot make it private: " + std::strerror(errno);
    return {};
}

FolderResult choose_working_folder() {
    FolderResult r;
    std::string base;
    for (const char* name : {"TEMP", "TMPDIR"}) {
        base = env(name);
        if (!base.empty()) break;
    }
    if (base.empty()) base = "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();

    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        r.error = "The temporary folder " + base + " does not exist";
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

FolderResult choose_program_folder() {
    FolderResult r;
    if (std::string home = env("BRANTWELL_HOME"); !home.empty()) {
        std::error_code ec;
        fs::create_directories(home, ec);
        if (::access(home.c_str(), W_OK) != 0) {
            r.error = "BRANTWELL_HOME " + home + " is not writable";
            return r;
        }
        r.path = home;
        r.note = "BRANTWELL_HOME";
        return r;
    }
    fs::path exe_dir = executable_path().parent_path();
    if (!exe_dir.empty() && ::access(exe_dir.c_str(), W_OK) == 0) {
        r.path = exe_dir;
        return r;
    }
    std::string data = env("XDG_DATA_HOME");
    fs::path dir = data.empty() ? fs::path(home_folder()) / ".local/share/brantwell"
                                : fs::path(data) / "brantwell";
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || ::access(dir.c_str(), W_OK) != 0) {
        r.error = "Cannot create the program folder " + dir.string() +
                  (ec ? ": " + ec.message() : std::string());
        return r;
    }
    r.path = dir;
    r.note = exe_dir.string() + " is not writable";
    return r;
}

}  // namespace bw
