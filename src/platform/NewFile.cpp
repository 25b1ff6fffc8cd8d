#include "platform/NewFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/HeldFolder.h"
#include "platform/UniqueFd.h"

namespace bw::new_file {

namespace fs = std::filesystem;

namespace {

std::string errno_text(const char* what, const fs::path& p, int err) {
    return std::string(what) + " " + p.string() + ": " + std::strerror(err);
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Moves the finished temporary file to its name unless that name exists by now. Filesystems that
// know no "no replace" rename get a hard link; those that know neither get a checked rename.
Result publish(int dirfd, const std::string& tmp, const std::string& name, const fs::path& target) {
    Result r;
    int rc = ::renameat2(dirfd, tmp.c_str(), dirfd, name.c_str(), RENAME_NOREPLACE);
    int err = rc == 0 ? 0 : errno;
    if (rc != 0 && (err == EINVAL || err == ENOSYS || err == ENOTSUP)) {
        rc = ::linkat(dirfd, tmp.c_str(), dirfd, name.c_str(), 0);
        err = rc == 0 ? 0 : errno;
        if (rc == 0) {
            ::unlinkat(dirfd, tmp.c_str(), 0);
        } else if (err == EPERM || err == ENOTSUP || err == EOPNOTSUPP) {
            if (name_taken_at(dirfd, name)) {
                err = EEXIST;
            } else {
                rc = ::renameat(dirfd, tmp.c_str(), dirfd, name.c_str());
                err = rc == 0 ? 0 : errno;
            }
        }
    }
    if (rc == 0) {
        r.outcome = Outcome::Written;
        return r;
    }
    ::unlinkat(dirfd, tmp.c_str(), 0);
    if (err == EEXIST) {
        r.outcome = Outcome::AlreadyPresent;
    } else {
        r.error = errno_text("cannot create", target, err);
    }
    return r;
}

// Bytes of an open regular file; nothing with `error` set when a read fails.
std::optional<std::string> read_all(int fd, const struct stat& st, const fs::path& shown,
                                    std::string* error) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = errno_text("cannot read", shown, errno);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    return bytes;
}

}  // namespace

Result write_at(int dirfd, const fs::path& folder, std::string_view name, std::string_view bytes,
                unsigned mode) {
    static std::atomic<unsigned> serial{0};
    Result r;
    const std::string target(name);
    const fs::path shown = folder / target;
    if (name_taken_at(dirfd, target)) {
        r.outcome = Outcome::AlreadyPresent;
        return r;
    }
    const std::string tmp = "." + target + "." + std::to_string(::getpid()) + "." +
                            std::to_string(serial++) + ".part";
    UniqueFd fd(::openat(dirfd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         mode));
    if (!fd.ok()) {
        r.error = errno_text("cannot create", shown, errno);
        return r;
    }
    // The umask must not take the execute bit from a tester.
    if (::fchmod(fd.get(), mode) != 0 || !write_all(fd.get(), bytes)) {
        int err = errno;
        fd.reset();
        ::unlinkat(dirfd, tmp.c_str(), 0);
        r.error = errno_text("cannot write", shown, err);
        return r;
    }
    if (::close(fd.release()) != 0) {
        int err = errno;
        ::unlinkat(dirfd, tmp.c_str(), 0);
        r.error = errno_text("cannot write", shown, err);
        return r;
    }
    return publish(dirfd, tmp, target, shown);
}

bool name_taken_at(int dirfd, std::string_view name) {
    struct stat st {};
    return ::fstatat(dirfd, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ||
           errno != ENOENT;
}


bool name_taken(const fs::path& p) {
    return name_taken_at(AT_FDCWD, p.string());
}

Result write(const fs::path& target, std::string_view bytes, unsigned mode) {
    // The folder is held while the file is made, so the file lands where the name led at first.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) {
        Result r;
        r.error = errno_text("cannot create", target, errno);
        return r;
    }
    return write_at(dir.get(), target.parent_path(), target.filename().string(), bytes, mode);
}

std::optional<std::string> read_regular(const fs::path& path, std::string* error) {
    UniqueFd in(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = in.ok() ? path.string() + " is not a regular file"
                         : errno_text("cannot open", path, errno);
        return std::nullopt;
    }
    return read_all(in.get(), st, path, error);
}

std::optional<std::string> read_trusted_at(int dirfd, const fs::path& folder, std::string_view name,
                                           std::string* error) {
    const std::string text(name);
    const fs::path shown = folder / text;
    UniqueFd in(::openat(dirfd, text.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!in.ok() || ::fstat(in.get(), &st) != 0) {
        *error = errno == ELOOP ? shown.string() + " is a symlink"
                                : errno_text("cannot open", shown, errno);
        return std::nullopt;
    }
    if (auto why = untrusted_file(st, shown); !why.empty()) {
        *error = why + ": refusing to use it";
        return std::nullopt;
    }
    return read_all(in.get(), st, shown, error);
}

}  // namespace bw::new_file
