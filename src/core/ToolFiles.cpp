#include "core/ToolFiles.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "core/AppState.h"
#include "platform/UniqueFd.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::span<const std::string_view>, std::less<>> files;
};

Registry& registry() {
    static Registry r;
    return r;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

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

bool name_taken(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 || errno != ENOENT;
}

// Moves the finished temporary file to its name unless that name exists by now. Filesystems that
// know no "no replace" rename get a hard link; those that know neither get a checked rename.
ToolFileResult publish(const fs::path& tmp, const fs::path& target) {
    ToolFileResult r;
    r.path = target;
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
        r.outcome = ToolFileResult::Outcome::Written;
        return r;
    }
    ::unlink(tmp.c_str());
    if (err == EEXIST) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
    } else {
        r.error = errno_text("cannot create", target, err);
    }
    return r;
}

// Writes `bytes` under `target` through a private temporary file beside it.
ToolFileResult write_new_file(const fs::path& target, std::string_view bytes, unsigned mode) {
    static std::atomic<unsigned> serial{0};
    ToolFileResult r;
    r.path = target;
    if (name_taken(target)) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
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

bool RegisterStoredFile(std::string_view name, std::span<const std::string_view> pieces) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.files[std::string(name)] = pieces;
    return true;
}

std::span<const std::string_view> StoredPieces(std::string_view name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.files.find(name);
    return it == r.files.end() ? std::span<const std::string_view>() : it->second;
}

bool DecodePiece(std::string_view piece, std::string& out) {
    if (piece.size() % 2 != 0) return false;
    for (size_t i = 0; i < piece.size(); i += 2) {
        int hi = hex_digit(piece[i]);
        if (hi < 0) return false;
        // A value below 0x10 is one digit followed by a blank.
        if (piece[i + 1] == ' ') {
            out.push_back(static_cast<char>(hi));
            continue;
        }
        int lo = hex_digit(piece[i + 1]);
        if (lo < 0) return false;
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

bool DecodePieces(std::span<const std::string_view> pieces, std::string& out) {
    out.clear();
    size_t total = 0;
    for (auto p : pieces) total += p.size() / 2;
    out.reserve(total);
    for (auto p : pieces)
        if (!DecodePiece(p, out)) return false;
    return true;
}

std::string EncodeCell(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (byte < 0x10) return {kDigits[byte], ' '};
    return {kDigits[byte >> 4], kDigits[byte & 15]};
}

ToolFileResult WriteStoredFile(std::string_view name, const fs::path& folder, unsigned mode) {
    ToolFileResult r;
    r.path = folder / name;
    if (folder.empty()) {
        r.error = "no folder to write " + std::string(name) + " into";
        return r;
    }
    if (name_taken(r.path)) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
        return r;
    }
    auto pieces = StoredPieces(name);
    if (pieces.empty()) {
        r.error = std::string(name) + " is not built into this program";
        return r;
    }
    std::string bytes;
    if (!DecodePieces(pieces, bytes)) {
        r.error = "the stored copy of " + std::string(name) + " is damaged";
        return r;
    }
    return write_new_file(r.path, bytes, mode);
}

ToolFileResult CopyToolFile(const fs::path& from, const fs::path& to, unsigned mode) {
    ToolFileResult r;
    r.path = to;
    if (name_taken(to)) {
        r.outcome = ToolFileResult::Outcome::AlreadyPresent;
        return r;
    }
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        r.error = in.ok() ? from.string() + " is not a regular file"
                          : errno_text("cannot open", from, errno);
        return r;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            r.error = errno_text("cannot read", from, errno);
            return r;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    return write_new_file(to, bytes, mode);
}

ToolFileResult WriteLOADWorker() {
    return WriteStoredFile(kLOADWorkerFile, app().working_folder, 0700);
}

ToolFileResult WriteLicense() {
    return WriteStoredFile(kLicenseFile, app().program_folder, 0644);
}

}  // namespace bw
