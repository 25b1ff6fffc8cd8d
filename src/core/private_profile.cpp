#include "core/private_profile.h"

#include "core/profile_text.h"
#include "platform/SettingsFile.h"

namespace bw::profile {

namespace fs = std::filesystem;

namespace {

thread_local std::string t_last_error;

void set_error(std::string text) {
    t_last_error = std::move(text);
}

namespace file = settings_file;

// Settings files hold a few KB. Anything far larger (a huge or sparse file put in its place) is
// refused rather than read into memory.
constexpr size_t kMaxFileBytes = size_t{64} << 20;
constexpr size_t kKeepBufferBytes = size_t{4} << 20;

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

// A line break or NUL in a name would cut it short and land a write on another key or section, or
// read another key's value: such a name is refused, for reads as for writes.
bool name_is_whole(std::string_view name, const char* what) {
    if (name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos) return true;
    set_error(std::string(what) + " name holds a line break or NUL character");
    return false;
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

bool write_changes(const fs::path& path, std::string_view section,
                   const std::vector<text::Edit>& edits) {
    std::string error;
    UniqueFd lock = file::lock_exclusive(path, &error);
    if (!lock.ok()) {
        set_error(std::move(error));
        return false;
    }
    ThreadBuffer buffer;
    std::string& content = buffer.text();
    file::FileFacts facts;
    file::Load l = file::load(path, content, kMaxFileBytes, &facts, &error);
    if (l == file::Load::Failed) {
        set_error(std::move(error));
        return false;
    }
    if (l == file::Load::Ok && !facts.writable) {
        set_error(path.string() + " is read-only");
        return false;
    }
    // Holding the lock, no other writer is mid-write: a temporary file beside ours is a leftover
    // of a writer that was killed.
    file::remove_stale_temporaries(path);
    bool changed = false;
    for (const auto& edit : edits) changed |= text::apply_edit(content, section, edit);
    // Nothing changed (or a removal from a missing file): leave the file as it is.
    if (!changed) return true;
    if (file::replace(path, content, l == file::Load::Ok ? &facts : nullptr, &error)) return true;
    set_error(std::move(error));
    return false;
}

// The text of the file under a shared lock; false when it is missing or unusable.
bool read_text(const fs::path& path, std::string& out) {
    t_last_error.clear();
    UniqueFd lock = file::lock_shared(path);
    std::string error;
    file::Load l = file::load(path, out, kMaxFileBytes, nullptr, &error);
    if (l == file::Load::Failed) set_error(std::move(error));
    return l == file::Load::Ok;
}

}  // namespace

const std::string& last_error() {
    return t_last_error;
}

std::string get_string(const fs::path& file, std::string_view section, std::string_view key,
                       std::string_view def) {
    if (!name_is_whole(section, "section") || !name_is_whole(key, "key"))
        return std::string(def.substr(0, kMaxValueChars));
    ThreadBuffer buffer;
    std::string& content = buffer.text();
    if (read_text(file, content)) {
        if (auto v = text::find_value(content, clean_name(section), clean_name(key)))
            return clean_value(unquote(*v)).substr(0, kMaxValueChars);
    }
    return std::string(def.substr(0, kMaxValueChars));
}

std::vector<std::string> get_keys(const fs::path& file, std::string_view section) {
    if (!name_is_whole(section, "section")) return {};
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
    if (!name_is_whole(section, "section") || (key && !name_is_whole(*key, "key"))) return false;
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
    if (!name_is_whole(section, "section")) return false;
    for (const auto& entry : entries)
        if (!name_is_whole(entry.first, "key")) return false;
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
