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

}  // namespace

fs::path lock_path(const fs::path& file) {
    fs::path p = file;
    p += ".lock";
    return p;
}

UniqueFd lock_shared(const fs::path& file) {
    // O_NONBLOCK: something other than a lock file (a FIFO) in its place must not hang a read.
    UniqueFd fd(::open(lock_path(file).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.ok()) {
        while (::flock(fd.get(), LOCK_SH) != 0 && errno == EINTR) {
        }
    }
    return fd;
}

UniqueFd lock_exclusive(const fs::path& file, std::string* error) {
    // Read-only is enough for flock, so a lock file made by another user (a run under sudo)
    // still serves; O_NONBLOCK keeps a FIFO planted in its place from hanging the open.
    UniqueFd fd(::open(lock_path(file).c_str(),
                       O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644));
    if (!fd.ok()) {
        *error = errno_text(lock_path(file), "cannot lock");
        return fd;
    }
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            *error = errno_text(lock_path(file), "cannot lock");
            return UniqueFd();
        }
    }
    return fd;
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
    if (facts) *facts = {st.st_mode & 07777u, st.st_uid, st.st_gid};
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
    std::string tmpl = (dir / (file.filename().string() + ".XXXXXX")).string();
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
