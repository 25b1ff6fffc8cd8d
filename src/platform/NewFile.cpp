#include "platform/NewFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

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
Result publish(const fs::path& tmp, const fs::path& target) {
    Result r;
    int rc = ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    int err = rc == 0 ? 0 : errno;
    if (rc != 0 && (err == EINVAL || err == ENOSYS || err == ENOTSUP)) {
        rc = ::link(tmp.c_str(), target.c_str());
        err = rc == 0 ? 0 : errno;
        if (rc == 0) {
            ::unlink(tmp.c_str());
        } else if (err == EPERM || err == ENOTSUP || err == EOPNOTSUPP) {
            if (name_taken(target)) {
                err = EEXIST;
            } else {
                rc = ::rename(tmp.c_str(), target.c_str());
                err = rc == 0 ? 0 : errno;
            }
        }
    }
    if (rc == 0) {
        r.outcome = Outcome::Written;
        return r;
    }
    ::unlink(tmp.c_str());
    if (err == EEXIST) {
        r.outcome = Outcome::AlreadyPresent;
    } else {
        r.error = errno_text("cannot create", target, err);
    }
    return r;
}

// Writes `bytes` under `target` through a private temporary file beside it.
Result write_new_file(const fs::path& target, std::string_view bytes, unsigned mode) {
    static std::atomic<unsigned> serial{0};
    Result r;
    if (name_taken(target)) {
        r.outcome = Outcome::AlreadyPresent;
        return r;
    }
    fs::path tmp = target.parent_path() /
                   ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                    std::to_string(serial++) + ".part");
    UniqueFd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.ok()) {
        r.error = errno_text("cannot create", target, errno);
        return r;
    }
    // The umask must not take the execute bit from a tester.
    if (::fchmod(fd.get(), mode) != 0 || !write_all(fd.get(), bytes)) {
        int err = errno;
        fd.reset();
        ::unlink(tmp.c_str());
        r.error = errno_text("cannot write", target, err);
        return r;
    }
    if (::close(fd.release()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        r.error = errno_text("cannot write", target, err);
        return r;
    }
    return publish(tmp, target);
}

}  // namespace

bool name_taken(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 || errno != ENOENT;
}

Result write(const fs::path& target, std::string_view bytes, unsigned mode) {
    return write_new_file(target, bytes, mode);
}

std::optional<std::string> read_regular(const fs::path& path, std::string* error) {
    UniqueFd in(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = in.ok() ? path.string() + " is not a regular file"
                         : errno_text("cannot open", path, errno);
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = errno_text("cannot read", path, errno);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    return bytes;
}

}  // namespace bw::new_file
