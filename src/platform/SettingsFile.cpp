#include "platform/SettingsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bw::settings_file {

namespace fs = std::filesystem;

namespace {

std::string errno_text(const fs::path& p, const char* what) {
    return std::string(what) + " " + p.string() + ": " + std::strerror(errno);
}

// Room left after the text for a few new lines, so an edit rarely has to grow the buffer.
constexpr std::size_t kEditRoom = 4096;

// Temporary files are "<file>" + this + six characters of mkostemp.
constexpr std::string_view kTemporaryMark = ".tmp-";

bool writable_by_us(const fs::path& file, const struct stat& st) {
    if (::geteuid() == 0) return (st.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

namespace {

// The folder of a settings file, opened for its lock. A lock on a file beside the settings file
// could be removed while held, and the next writer would lock a new file while the first still
// writes: the folder itself cannot be removed while it holds the file, so its lock always holds.
UniqueFd open_folder(const fs::path& file) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    return UniqueFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

UniqueFd lock_shared(const fs::path& file) {
    UniqueFd fd = open_folder(file);
    if (fd.ok()) {
        while (::flock(fd.get(), LOCK_SH) != 0 && errno == EINTR) {
        }
    }
    return fd;
}

UniqueFd lock_exclusive(const fs::path& file, std::string* error) {
    UniqueFd fd = open_folder(file);
    if (!fd.ok()) {
        *error = errno_text(file.parent_path(), "cannot lock the folder");
        return fd;
    }
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            *error = errno_text(file.parent_path(), "cannot lock the folder");
            return UniqueFd();
        }
    }
    return fd;
}

void remove_stale_temporaries(const fs::path& file) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    const std::string prefix = file.filename().string() + std::string(kTemporaryMark);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        // Only a plain file of ours: nothing another user put there is touched.
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid())
            ::unlink(entry.path().c_str());
    }
}

Load load(const fs::path& file, std::string& text, std::size_t max_bytes, FileFacts* facts,
          std::string* error) {
    text.clear();
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (!fd.ok()) {
        if (errno == ENOENT) return Load::Missing;
        *error = errno_text(file, errno == ELOOP ? "refusing symlink" : "cannot open");
        return Load::Failed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = file.string() + " is not a regular file";
        return Load::Failed;
    }
    if (static_cast<unsigned long long>(st.st_size) > max_bytes) {
        *error = file.string() + " is larger than " + std::to_string(max_bytes >> 20) +
                 " MiB: not a settings file";
        return Load::Failed;
    }
    if (facts) *facts = {st.st_mode & 07777u, st.st_uid, st.st_gid, writable_by_us(file, st)};
    // Straight into the buffer.
    const std::size_t expected = static_cast<std::size_t>(st.st_size);
    text.reserve(expected + kEditRoom);
    std::size_t done = 0;
    for (;;) {
        if (text.size() < done + 1) text.resize(std::max(done + 1, expected + 1));
        ssize_t n = ::read(fd.get(), text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            text.clear();
            *error = errno_text(file, "cannot read");
            return Load::Failed;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        if (done == text.size()) {  // the file grew since fstat
            if (done > max_bytes) {
                text.clear();
                *error = file.string() + " keeps growing: not a settings file";
                return Load::Failed;
            }
            text.resize(done * 2);
        }
    }
    text.resize(done);
    return Load::Ok;
}

bool replace(const fs::path& file, const std::string& text, const FileFacts* old,
             std::string* error) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl =
        (dir / (file.filename().string() + std::string(kTemporaryMark) + "XXXXXX")).string();
    int raw = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (raw < 0) {
        *error = errno_text(dir, "cannot write in");
        return false;
    }
    UniqueFd fd(raw);
    ::fchmod(fd.get(), old ? old->mode : 0644);
    if (old && ::geteuid() == 0 && (old->uid != 0 || old->gid != 0))
        (void)::fchown(fd.get(), old->uid, old->gid);
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            *error = errno_text(file, "cannot write");
            ::unlink(tmpl.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // Some filesystems report a full disk only when the file is closed.
    if (::close(fd.release()) != 0) {
        *error = errno_text(file, "cannot write");
        ::unlink(tmpl.c_str());
        return false;
    }
    if (::rename(tmpl.c_str(), file.c_str()) != 0) {
        *error = errno_text(file, "cannot replace");
        ::unlink(tmpl.c_str());
        return false;
    }
    return true;
}

}  // namespace bw::settings_file
