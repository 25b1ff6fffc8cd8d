#include "core/private_profile.h"

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

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trim(std::string_view s) {
    const char* blanks = " \t\r";
    auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
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
    Fd fd(::open(lock_path(file).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
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
    if (st_out) *st_out = st;
    text.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            set_error(errno_text(file, "cannot read"));
            return Load::Failed;
        }
        if (n == 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    return Load::Ok;
}

// One line of the file, kept verbatim so a rewrite changes only what it must.
struct Line {
    std::string_view text;
    enum Kind { Other, Section, Entry } kind = Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // entry value, trimmed
    bool cr = false;         // the line ended with CR LF
};

std::vector<Line> parse(std::string_view text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        // The text keeps a CR of a CRLF file, so a rewrite leaves such lines as they were.
        std::string_view raw = text.substr(pos, end - pos);
        Line line;
        line.text = raw;
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            line.cr = true;
        }
        std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            // An unterminated header names the section up to the end of the line.
            std::string_view inner = t.substr(1);
            inner = inner.substr(0, inner.find(']'));
            line.kind = Line::Section;
            line.name = trim(inner);
        } else if (auto eq = t.find('='); eq != std::string_view::npos) {
            line.kind = Line::Entry;
            line.name = trim(t.substr(0, eq));
            line.value = trim(t.substr(eq + 1));
        }
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// [begin, end) of the first section of that name: begin is the header line.
std::pair<size_t, size_t> find_section(const std::vector<Line>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Section && iequals(lines[i].name, section)) {
            size_t j = i + 1;
            while (j < lines.size() && lines[j].kind != Line::Section) ++j;
            return {i, j};
        }
    }
    return {lines.size(), lines.size()};
}

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
    return std::string(trim(out));
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

struct Change {
    std::string key;                   // "" with !value: remove the section
    std::optional<std::string> value;  // nullopt: remove the key
};

std::string apply(std::string_view text, std::string_view section,
                  const std::vector<Change>& changes) {
    std::vector<Line> lines = parse(text);
    std::vector<std::string> out_lines;
    out_lines.reserve(lines.size() + changes.size() + 1);
    for (const auto& l : lines) out_lines.emplace_back(l.text);
    // New lines follow the file's own line ends.
    const std::string eol_cr = (!lines.empty() && lines.front().cr) ? "\r" : "";

    for (const auto& change : changes) {
        auto [begin, end] = find_section(lines, section);
        const bool remove_section = change.key.empty() && !change.value;
        if (remove_section) {
            if (begin < lines.size()) {
                lines.erase(lines.begin() + begin, lines.begin() + end);
                out_lines.erase(out_lines.begin() + begin, out_lines.begin() + end);
            }
            continue;
        }
        size_t found = end;
        for (size_t i = begin + 1; i < end; ++i)
            if (lines[i].kind == Line::Entry && iequals(lines[i].name, change.key)) {
                found = i;
                break;
            }
        if (!change.value) {  // remove the key
            if (found < end) {
                lines.erase(lines.begin() + found);
                out_lines.erase(out_lines.begin() + found);
            }
            continue;
        }
        if (found < end) {
            out_lines[found] = std::string(lines[found].name) + "=" + *change.value +
                               (lines[found].cr ? "\r" : "");
            lines[found].text = {};  // the view is stale now; only kind and name matter below
            continue;
        }
        std::string entry = change.key + "=" + *change.value + eol_cr;
        Line new_line;
        new_line.kind = Line::Entry;
        new_line.cr = !eol_cr.empty();
        if (begin == lines.size()) {
            // New section at the end; keep the key names alive in the change list for views.
            out_lines.push_back("[" + std::string(section) + "]" + eol_cr);
            Line header;
            header.kind = Line::Section;
            header.name = section;
            lines.push_back(header);
            new_line.name = change.key;
            lines.push_back(new_line);
            out_lines.push_back(entry);
        } else {
            // After the section's last non-blank line, so blank separators stay at the end.
            size_t at = end;
            while (at > begin + 1 && trim(out_lines[at - 1]).empty()) --at;
            new_line.name = change.key;
            lines.insert(lines.begin() + at, new_line);
            out_lines.insert(out_lines.begin() + at, entry);
        }
    }
    std::string out;
    size_t total = 0;
    for (const auto& l : out_lines) total += l.size() + 1;
    out.reserve(total);
    for (const auto& l : out_lines) {
        out += l;
        out += '\n';
    }
    return out;
}

bool write_changes(const fs::path& file, std::string_view section,
                   const std::vector<Change>& changes) {
    t_last_error.clear();
    Fd lock = lock_for_write(file);
    if (!lock.ok()) return false;
    std::string text;
    struct stat st {};
    Load l = load(file, text, &st);
    if (l == Load::Failed) return false;
    // Changes refer to names by view: keep them alive in `changes` (owned strings).
    std::string updated = apply(text, section, changes);
    // Nothing changed (or a removal from a missing file): leave the file as it is.
    if (updated == text) return true;
    return store(file, updated, l == Load::Ok ? &st : nullptr);
}

}  // namespace

const std::string& last_error() {
    return t_last_error;
}

std::string get_string(const fs::path& file, std::string_view section, std::string_view key,
                       std::string_view def) {
    t_last_error.clear();
    std::string text;
    {
        Fd lock = lock_for_read(file);
        if (load(file, text) != Load::Ok) return std::string(def.substr(0, kMaxValueChars));
    }
    std::string want_section = clean_name(section);
    std::string want_key = clean_name(key);
    auto lines = parse(text);
    auto [begin, end] = find_section(lines, want_section);
    for (size_t i = begin + 1; i < end; ++i)
        if (lines[i].kind == Line::Entry && iequals(lines[i].name, want_key))
            return clean_value(unquote(lines[i].value)).substr(0, kMaxValueChars);
    return std::string(def.substr(0, kMaxValueChars));
}

std::vector<std::string> get_keys(const fs::path& file, std::string_view section) {
    t_last_error.clear();
    std::string text;
    {
        Fd lock = lock_for_read(file);
        if (load(file, text) != Load::Ok) return {};
    }
    std::string want = clean_name(section);
    auto lines = parse(text);
    auto [begin, end] = find_section(lines, want);
    std::vector<std::string> keys;
    for (size_t i = begin + 1; i < end; ++i)
        if (lines[i].kind == Line::Entry) keys.emplace_back(lines[i].name);
    return keys;
}

std::vector<std::string> get_sections(const fs::path& file) {
    t_last_error.clear();
    std::string text;
    {
        Fd lock = lock_for_read(file);
        if (load(file, text) != Load::Ok) return {};
    }
    std::vector<std::string> names;
    for (const auto& l : parse(text))
        if (l.kind == Line::Section) names.emplace_back(l.name);
    return names;
}

bool write_string(const fs::path& file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value) {
    std::string s = clean_name(section);
    Change change;
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
    std::vector<Change> changes;
    changes.reserve(entries.size());
    for (const auto& [k, v] : entries) {
        Change c{clean_name(k), clean_value(v)};
        if (!names_fit(s, &c.key)) return false;
        changes.push_back(std::move(c));
    }
    return write_changes(file, s, changes);
}

}  // namespace bw::profile
