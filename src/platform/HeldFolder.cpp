#include "platform/HeldFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bw {

namespace fs = std::filesystem;

namespace {

bool writable_by_others(const struct stat& st) {
    return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool same_node(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string owner_text(const struct stat& st) {
    return "belongs to another user (uid " + std::to_string(st.st_uid) + ")";
}

// Why a folder above the held one lets another user swap it ("" when it does not).
std::string unsafe_above(const struct stat& st, const fs::path& shown) {
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return "The folder " + shown.string() + " above the working folder " + owner_text(st) +
               ": refusing to run programs beneath it";
    if (writable_by_others(st) && !(st.st_mode & S_ISVTX))
        return "The folder " + shown.string() +
               " above the working folder can be written by others and has no sticky bit: "
               "refusing to run programs beneath it";
    return {};
}

}  // namespace

UniqueFd open_folder(const fs::path& dir, std::string* error) {
    UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.ok()) return fd;
    const int err = errno;
    // A symlink fails with ENOTDIR or ELOOP; which one the kernel picks is not ours to rely on.
    struct stat st {};
    if (err == ELOOP || (err == ENOTDIR && ::lstat(dir.c_str(), &st) == 0 && S_ISLNK(st.st_mode)))
        *error = dir.string() + " is a symlink: refusing to use it";
    else if (err == ENOTDIR)
        *error = dir.string() + " is not a folder";
    else
        *error = dir.string() + ": " + std::strerror(err);
    return fd;
}

std::string check_held_folder(int fd, const fs::path& dir) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return dir.string() + ": " + std::strerror(errno);
    if (st.st_uid != ::geteuid())
        return dir.string() + " " + owner_text(st) + ": refusing to use it";
    if (writable_by_others(st))
        return dir.string() +
               " can be written by others: what is in it may have been planted, refusing to use it";
    return check_folders_above(fd, dir);
}

std::string check_folders_above(int fd, const fs::path& dir) {
    UniqueFd below(::dup(fd));
    struct stat below_st {};
    if (!below.ok() || ::fstat(fd, &below_st) != 0)
        return dir.string() + ": " + std::strerror(errno);
    fs::path shown = dir;
    for (;;) {
        UniqueFd up(::openat(below.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        shown = shown.parent_path();
        struct stat up_st {};
        if (!up.ok() || ::fstat(up.get(), &up_st) != 0)
            return "The folder " + shown.string() +
                   " above the working folder cannot be checked: " + std::strerror(errno);
        if (same_node(up_st, below_st)) return {};  // the root is its own parent
        if (auto why = unsafe_above(up_st, shown); !why.empty()) return why;
        below = std::move(up);
        below_st = up_st;
    }
}

std::string check_same_folder(int fd, const fs::path& dir) {
    struct stat held {}, named {};
    if (::fstat(fd, &held) != 0 || ::stat(dir.c_str(), &named) != 0 || !same_node(held, named))
        return dir.string() + " was replaced while it was checked: refusing to use it";
    return {};
}

std::string untrusted_file(const struct stat& st, const fs::path& shown) {
    if (S_ISLNK(st.st_mode)) return shown.string() + " is a symlink";
    if (!S_ISREG(st.st_mode)) return shown.string() + " is not a regular file";
    if (st.st_uid != ::geteuid()) return shown.string() + " " + owner_text(st);
    if (writable_by_others(st)) return shown.string() + " can be written by others";
    return {};
}

std::string untrusted_entry(int fd, const fs::path& dir, std::span<const std::string_view> names) {
    for (std::string_view name : names) {
        const std::string text(name);
        struct stat st {};
        if (::fstatat(fd, text.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;
            return (dir / text).string() + ": " + std::strerror(errno);
        }
        if (auto why = untrusted_file(st, dir / text); !why.empty()) return why;
    }
    return {};
}

void remove_entry(int fd, std::string_view name) {
    ::unlinkat(fd, std::string(name).c_str(), 0);
}

}  // namespace bw
