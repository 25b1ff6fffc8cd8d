#include "platform/TextFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SettingsFile.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;

namespace bw::text_files {

namespace {

std::string reason(const fs::path& file, std::string_view what, int err) {
    return "Brantwell could not " + std::string(what) + " " + file.string() + ": " +
           std::strerror(err);
}

// A file we append to must be ours (or the folder owner's, for a run under sudo in a user's
// folder), have no other name and be writable by no one else: otherwise another user could
// point our writes at a file of their choosing.
std::string untrusted(const struct stat& st, const fs::path& file) {
    struct stat folder {};
    const bool folder_known = ::stat(file.parent_path().empty() ? "." : file.parent_path().c_str(),
                                     &folder) == 0;
    struct Rule {
        bool bad;
        const char* why;
    };
    const Rule rules[] = {
        {!S_ISREG(st.st_mode), "is not a regular file"},
        {st.st_uid != ::geteuid() && !(folder_known && st.st_uid == folder.st_uid),
         "belongs to another user"},
        {(st.st_mode & (S_IWGRP | S_IWOTH)) != 0, "may be written by other users"},
        {st.st_nlink != 1, "has another name (a hard link)"},
    };
    for (const Rule& rule : rules)
        if (rule.bad) return file.string() + " " + rule.why + ", so Brantwell does not write it.";
    return "";
}

bool write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ends_torn(int fd, const struct stat& st) {
    if (st.st_size == 0) return false;
    char last = '\n';
    return ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

}  // namespace

bool append(const fs::path& file, std::string_view text, std::string* error) {
    // Read as well: the last byte tells whether a writer died in the middle of a line.
    UniqueFd fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd.ok()) {
        *error = errno == ELOOP ? file.string() + " is a link, so Brantwell does not write it."
                                : reason(file, "write", errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        *error = reason(file, "check", errno);
        return false;
    }
    if (std::string why = untrusted(st, file); !why.empty()) {
        *error = why;
        return false;
    }
    std::string whole;
    if (ends_torn(fd.get(), st)) whole = "\r\n";
    whole.append(text);
    if (!write_all(fd.get(), whole) || ::fsync(fd.get()) != 0) {
        *error = reason(file, "write", errno ? errno : EIO);
        return false;
    }
    return true;
}

bool replace(const fs::path& file, std::string_view text, std::string* error) {
    // The new file keeps the old one's mode and owner; a link in its place is replaced itself by
    // the rename, never what it points to.
    struct stat st {};
    settings_file::FileFacts facts;
    const bool keep = ::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (keep) facts = {st.st_mode & 0755u, st.st_uid, st.st_gid, true};
    return settings_file::replace(file, std::string(text), keep ? &facts : nullptr, error);
}

std::optional<std::string> read(const fs::path& file, std::size_t max_bytes, std::string* error) {
    std::string text;
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<unsigned long long>(st.st_size) > max_bytes) {
        *error = file.string() + " is larger than " + std::to_string(max_bytes) +
                 " bytes, so Brantwell does not read it.";
        return std::nullopt;
    }
    const auto loaded = settings_file::load(file, text, max_bytes, nullptr, error);
    if (loaded == settings_file::Load::Ok) return text;
    if (loaded == settings_file::Load::Missing) error->clear();
    return std::nullopt;
}

bool remove(const fs::path& file, std::string* error) {
    if (::unlink(file.c_str()) == 0 || errno == ENOENT) return true;
    *error = reason(file, "delete", errno);
    return false;
}

}  // namespace bw::text_files
