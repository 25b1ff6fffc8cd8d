#include "platform/folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/HeldFolder.h"

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

// Opens and checks `dir` and holds it: the result has a path and a descriptor, or an error.
FolderResult hold(const fs::path& dir, std::span<const std::string_view> trusted_names) {
    FolderResult r;
    r.fd = open_folder(dir, &r.error);
    if (!r.fd.ok()) return r;
    for (auto why : {check_held_folder(r.fd.get(), dir), check_same_folder(r.fd.get(), dir),
                     untrusted_entry(r.fd.get(), dir, trusted_names)}) {
        if (why.empty()) continue;
        r.fd.reset();
        r.error = why;
        return r;
    }
    r.path = dir;
    return r;
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

FolderResult preferred_working_folder(const EnvLookup& env,
                                      std::span<const std::string_view> trusted_names) {
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
    if (!writable_by_others(st) && st.st_uid == ::geteuid()) return hold(base, trusted_names);
    // Shared (or foreign) temporary folder: use a private folder of our own inside it.
    if (auto why = unsafe_parent(base, st); !why.empty()) {
        r.error = why;
        return r;
    }
    // Nothing is made beneath a folder that others could swap.
    if (UniqueFd held = open_folder(base, &r.error); !held.ok()) {
        return r;
    } else if (auto why = check_folders_above(held.get(), base); !why.empty()) {
        r.error = why;
        return r;
    }
    fs::path own = fs::path(base) / ("brantwell-" + std::to_string(::geteuid()));
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        r.error = "Cannot create " + own.string() + ": " + std::strerror(errno);
        return r;
    }
    r = hold(own, trusted_names);
    if (r.fd.ok()) r.note = "private folder in " + base;
    return r;
}

FolderResult private_working_folder(const EnvLookup& env,
                                    std::span<const std::string_view> trusted_names) {
    FolderResult runtime;
    const std::string xdg = env("XDG_RUNTIME_DIR");
    if (!xdg.empty() && xdg.front() == '/') {
        const fs::path own = fs::path(xdg) / "brantwell";
        if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
            runtime.error = "Cannot create " + own.string() + ": " + std::strerror(errno);
        } else if (std::string real = resolved_folder(own.string(), &runtime.error);
                   !real.empty()) {
            runtime = hold(real, trusted_names);
            if (runtime.fd.ok()) return runtime;
        }
    }
    // A fresh folder: nobody else can have put anything in it.
    std::string made = "/tmp/brantwell-" + std::to_string(::geteuid()) + "-XXXXXX";
    if (!::mkdtemp(made.data())) {
        FolderResult r;
        r.error = (runtime.error.empty() ? std::string() : runtime.error + "; ") +
                  "cannot create a private folder in /tmp: " + std::strerror(errno);
        return r;
    }
    return hold(made, trusted_names);
}

FolderResult choose_working_folder(const EnvLookup& env,
                                   std::span<const std::string_view> trusted_names) {
    FolderResult preferred = preferred_working_folder(env, trusted_names);
    if (preferred.fd.ok()) return preferred;
    FolderResult fallback = private_working_folder(env, trusted_names);
    if (!fallback.fd.ok()) {
        fallback.error = preferred.error + "; " + fallback.error;
        return fallback;
    }
    fallback.note = "private folder: " + preferred.error;
    fallback.notice = "The working folder cannot be used: " + preferred.error +
                      ". Brantwell uses the private folder " + fallback.path.string() +
                      " instead.";
    return fallback;
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
