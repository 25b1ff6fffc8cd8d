#include "core/private_profile.h"

#include "core/profile_text.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bw::profile {

namespace fs = std::filesystem;

namespace {

thread_local std::string t_last_error;

void set_error(std::string text) {
    t_last_error = std::move(text);
}

std::string errno_text(const fs::path& p, const char* what) {
    return std::string(what) + " " + p.string() + ": " + std::strerror(errno);
}

using Fd = UniqueFd;

fs::path lock_path(const fs::path& file) {
    fs::path p = file;
    p += ".lock";
    return p;
}

// Shared lock for a read. Readers never create anything: without a lock file there is no writer
// that ever held it, and a file replaced by rename is never seen half-written anyway.
Fd lock_for_read(const fs::path& file) {
    // O_NONBLOCK: something other than a lock file (a FIFO) in its place must not hang a read.
    Fd fd(::open(lock_path(file).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.ok()) {
        while (::flock(fd.get(), LOCK_SH) != 0 && errno == EINTR) {
        }
    }
    return fd;
}

Fd lock_for_write(const fs::path& file) {
    // Read-only is enough for flock, so a lock file made by another user (a run under sudo)
    // still serves; O_NONBLOCK keeps a FIFO planted in its place from hanging the open.
    Fd fd(::open(lock_path(file).c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
                 0644));
    if (!fd.ok()) {
        set_error(errno_text(lock_path(file), "cannot lock"));
        return fd;
    }
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            set_error(errno_text(lock_path(file), "cannot lock"));
            return Fd();
        }
    }
    return fd;
}

enum class Load { Ok, Missing, Failed };

constexpr size_t kEditRoom = 4096;
// Settings files hold a few KB. Anything far larger (a huge or sparse file put in its place) is
// refused rather than read into memory.
constexpr size_t kMaxFileBytes = size_t{64} << 20;
constexpr size_t kKeepBufferBytes = size_t{4} << 20;

// Reads the whole file without following a symlink. A symlink or a directory in place of the
// settings file is treated as unusable rather than followed.
Load load(const fs::path& file, std::string& text, struct stat* st_out = nullptr) {
    text.clear();
    Fd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (!fd.ok()) {
        if (errno == ENOENT) return Load::Missing;
        set_error(errno_text(file, errno == ELOOP ? "refusing symlink" : "cannot open"));
        return Load::Failed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        set_error(file.string() + " is not a regular file");
        return Load::Failed;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
        set_error(file.string() + " is larger than " + std::to_string(kMaxFileBytes >> 20) +
                  " MiB: not a settings file");
        return Load::Failed;
    }
    if (st_out) *st_out = st;
    // Straight into the buffer; room for a few new lines so an edit rarely has to grow it.
    const size_t expected = static_cast<size_t>(st.st_size);
    text.reserve(expected + kEditRoom);
    size_t done = 0;
    for (;;) {
        if (text.size() < done + 1) text.resize(std::max(done + 1, expected + 1));
        ssize_t n = ::read(fd.get(), text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            text.clear();
            set_error(errno_text(file, "cannot read"));
            return Load::Failed;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
        if (done == text.size()) {  // the file grew since fstat
            if (done > kMaxFileBytes) {
                text.clear();
                set_error(file.string() + " keeps growing: not a settings file");
                return Load::Failed;
            }
            text.resize(done * 2);
        }
    }
    text.resize(done);
    return Load::Ok;
}

// The text of a file is read into one buffer per thread that keeps its capacity between calls: a
// fresh allocation of the file's size for every call cost more (in page faults) than finding and
// editing the key. A buffer grown by an unusually large file is given back.
class ThreadBuffer {
  public:
    ThreadBuffer() : text_(buffer()) { text_.clear(); }
    ~ThreadBuffer() {
        if (text_.capacity() > kKeepBufferBytes) std::string().swap(text_);
    }
    ThreadBuffer(const ThreadBuffer&) = delete;
    ThreadBuffer& operator=(const ThreadBuffer&) = delete;
    std::string& text() { return text_; }

  private:
    static std::string& buffer() {
        thread_local std::string b;
        return b;
    }
    std::string& text_;
};

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string clean_value(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (char c : v) {
        if (c == '\r' || c == '\n') break;
        if (c != '\0') out.push_back(c);
    }
    return out;
}

std::string clean_name(std::string_view v) {
    std::string out = clean_value(v);
    return std::string(text::trim(out));
}

// A name the file could not hold as itself is refused: written out, a key holding "=" or opening
// with "[", or a section holding "]", would read back as a different key or a section of its own.
bool names_fit(std::string_view section, const std::string* key) {
    t_last_error.clear();
    if (section.find(']') != std::string_view::npos) {
        set_error("section name \"" + std::string(section) + "\" holds \"]\"");
        return false;
    }
    if (!key) return true;
    if (key->empty()) {
        set_error("empty key name");
        return false;
    }
    if (key->find('=') != std::string::npos || key->front() == '[') {
        set_error("key name \"" + *key + "\" holds \"=\" or begins with \"[\"");
        return false;
    }
    return true;
}

bool store(const fs::path& file, const std::string& text, const struct stat* old) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl = (dir / (file.filename().string() + ".XXXXXX")).string();
    int raw = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (raw < 0) {
        set_error(errno_text(dir, "cannot write in"));
        return false;
    }
    Fd fd(raw);
    ::fchmod(fd.get(), old ? (old->st_mode & 07777) : 0644);
    // A run as root (sudo) must not take the user's own settings file away from them.
    if (old && ::geteuid() == 0 && (old->st_uid != 0 || old->st_gid != 0))
        (void)::fchown(fd.get(), old->st_uid, old->st_gid);
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            set_error(errno_text(file, "cannot write"));
            ::unlink(tmpl.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    // Some filesystems report a full disk only when the file is closed.
    if (::close(fd.release()) != 0) {
        set_error(errno_text(file, "cannot write"));
        ::unlink(tmpl.c_str());
        return false;
    }
    if (::rename(tmpl.c_str(), file.c_str()) != 0) {
        set_error(errno_text(file, "cannot replace"));
        ::unlink(tmpl.c_str());
        return false;
    }
    return true;
}

bool write_changes(const fs::path& file, std::string_view section,
                   const std::vector<text::Edit>& edits) {
    Fd lock = lock_for_write(file);
    if (!lock.ok()) return false;
    ThreadBuffer buffer;
    std::string& content = buffer.text();
    struct stat st {};
    Load l = load(file, content, &st);
    if (l == Load::Failed) return false;
    bool changed = false;
    for (const auto& edit : edits) changed |= text::apply_edit(content, section, edit);
    // Nothing changed (or a removal from a missing file): leave the file as it is.
    if (!changed) return true;
    return store(file, content, l == Load::Ok ? &st : nullptr);
}

// The text of the file under a shared lock; false when it is missing or unusable.
bool read_text(const fs::path& file, std::string& out) {
    t_last_error.clear();
    Fd lock = lock_for_read(file);
    return load(file, out) == Load::Ok;
}

}  // namespace

const std::string& last_error() {
    return t_last_error;
}

std::string get_string(const fs::path& file, std::string_view section, std::string_view key,
                       std::string_view def) {
    ThreadBuffer buffer;
    std::string& content = buffer.text();
    if (read_text(file, content)) {
        if (auto v = text::find_value(content, clean_name(section), clean_name(key)))
            return clean_value(unquote(*v)).substr(0, kMaxValueChars);
    }
    return std::string(def.substr(0, kMaxValueChars));
}

std::vector<std::string> get_keys(const fs::path& file, std::string_view section) {
    ThreadBuffer buffer;
    std::string& content = buffer.text();
    if (!read_text(file, content)) return {};
    return text::key_names(content, clean_name(section));
}

std::vector<std::string> get_sections(const fs::path& file) {
    ThreadBuffer buffer;
    std::string& content = buffer.text();
    if (!read_text(file, content)) return {};
    return text::section_names(content);
}

bool write_string(const fs::path& file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value) {
    std::string s = clean_name(section);
    text::Edit change;
    if (key) {
        change.key = clean_name(*key);
        if (value) change.value = clean_value(*value);
    }
    if (!names_fit(s, key ? &change.key : nullptr)) return false;
    return write_changes(file, s, {change});
}

bool write_strings(const fs::path& file, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string s = clean_name(section);
    std::vector<text::Edit> changes;
    changes.reserve(entries.size());
    for (const auto& [k, v] : entries) {
        text::Edit c{clean_name(k), clean_value(v)};
        if (!names_fit(s, &c.key)) return false;
        changes.push_back(std::move(c));
    }
    return write_changes(file, s, changes);
}

}  // namespace bw::profile
