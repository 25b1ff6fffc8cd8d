#pragma once

// The file operations under the settings store: a lock on the settings file's folder, the whole
// file read without following a symlink, and the whole file replaced atomically (temporary file in
// the same folder + rename). The store's own rules (sections, keys, values) live above this.

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/UniqueFd.h"

namespace bw::settings_file {

// The lock is the folder's (flock on the folder itself): nothing beside the settings file can be
// removed, replaced or planted to break it, and it makes no file. Writers of any settings file of a
// folder take turns; a file is replaced by rename, so a reader never sees one half-written.

// A shared lock for a read; an empty descriptor when the folder cannot be opened (the read then
// goes on without it).
UniqueFd lock_shared(const std::filesystem::path& file);

// The exclusive lock of a writer; an empty descriptor with `error` set when it cannot be had.
UniqueFd lock_exclusive(const std::filesystem::path& file, std::string* error);

// Removes what writers killed between making their temporary file and renaming it left beside
// `file`. Call it holding the exclusive lock: then no writer is in the middle of a write.
void remove_stale_temporaries(const std::filesystem::path& file);

// Mode and owner of a file read, so that its replacement keeps them, and whether this user may
// write it (root may not write a file that no one may write: the file says it is read-only).
struct FileFacts {
    unsigned mode = 0644;
    unsigned uid = 0, gid = 0;
    bool writable = true;
};

enum class Load { Ok, Missing, Failed };

// Reads the whole file into `text` (keeping its capacity, with room for a few new lines). A
// symlink, a folder, a FIFO or a file over `max_bytes` in place of the settings file is Failed
// with `error` set.
Load load(const std::filesystem::path& file, std::string& text, std::size_t max_bytes,
          FileFacts* facts, std::string* error);

// Replaces the file with `text`, through a temporary file "<file>.tmp-XXXXXX" beside it. The new file keeps `old`'s mode and, when run as root, its owner
// (a run under sudo must not take a user's settings file away from them); 0644 for a new file.
// False with `error` set when it cannot be written; the old file is then untouched.
bool replace(const std::filesystem::path& file, const std::string& text, const FileFacts* old,
             std::string* error);

}  // namespace bw::settings_file
