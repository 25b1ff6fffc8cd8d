#pragma once

// The file operations under the settings store: a lock file beside each settings file, the whole
// file read without following a symlink, and the whole file replaced atomically (temporary file in
// the same folder + rename). The store's own rules (sections, keys, values) live above this.

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/UniqueFd.h"

namespace bw::settings_file {

// "<file>.lock".
std::filesystem::path lock_path(const std::filesystem::path& file);

// A shared lock for a read. Readers never create anything: without a lock file no writer ever
// held it, and a file replaced by rename is never seen half-written anyway. An empty descriptor
// when there is no lock file.
UniqueFd lock_shared(const std::filesystem::path& file);

// The exclusive lock of a writer, creating the lock file when missing; an empty descriptor with
// `error` set when it cannot be had.
UniqueFd lock_exclusive(const std::filesystem::path& file, std::string* error);

// Mode and owner of a file read, so that its replacement keeps them.
struct FileFacts {
    unsigned mode = 0644;
    unsigned uid = 0, gid = 0;
};

enum class Load { Ok, Missing, Failed };

// Reads the whole file into `text` (keeping its capacity, with room for a few new lines). A
// symlink, a folder, a FIFO or a file over `max_bytes` in place of the settings file is Failed
// with `error` set.
Load load(const std::filesystem::path& file, std::string& text, std::size_t max_bytes,
          FileFacts* facts, std::string* error);

// Replaces the file with `text`. The new file keeps `old`'s mode and, when run as root, its owner
// (a run under sudo must not take a user's settings file away from them); 0644 for a new file.
// False with `error` set when it cannot be written; the old file is then untouched.
bool replace(const std::filesystem::path& file, const std::string& text, const FileFacts* old,
             std::string* error);

}  // namespace bw::settings_file
