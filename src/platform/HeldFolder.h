#pragma once

// A folder the program runs programs from, held by a descriptor from the moment it is checked.
// A name can be swapped for another folder at any time by whoever may write the folder above it;
// a descriptor cannot, so every check and every later use goes through the descriptor.

#include <sys/stat.h>

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace bw {

// Opens `dir` as a folder, never through a symlink (O_DIRECTORY | O_NOFOLLOW). An empty descriptor
// with `error` set (naming `dir`) otherwise.
UniqueFd open_folder(const std::filesystem::path& dir, std::string* error);

// Why the held folder `fd` (shown as `dir`) may not hold programs we run ("" when it may): it must
// be ours and writable by nobody else, and so must every folder above it up to the root, except
// one owned by root or with the sticky bit (nobody else can rename what is in those). The folders
// above are walked with ".." from the descriptor, so they are the ones the folder really sits in;
// `dir` only names them in the messages. A folder of ours that others could write is refused, not
// repaired: what is in it may have been planted, and we cannot tell which files those are.
std::string check_held_folder(int fd, const std::filesystem::path& dir);

// The part of check_held_folder about the folders above `fd` only.
std::string check_folders_above(int fd, const std::filesystem::path& dir);

// Why the name `dir` no longer leads to the held folder `fd` ("" when it does). The testers find
// the folder by its name, so the name must still be right once the folder is held.
std::string check_same_folder(int fd, const std::filesystem::path& dir);

// Why a file with status `st` may not be trusted (run, read as settings) ("" when it may): a
// symlink, something other than a regular file, a file of another user or one that others can
// write. `shown` names it.
std::string untrusted_file(const struct stat& st, const std::filesystem::path& shown);

// The first of `names` in the held folder that may not be trusted, with the reason; "" when every
// one is trusted or absent.
std::string untrusted_entry(int fd, const std::filesystem::path& dir,
                            std::span<const std::string_view> names);

// Removes the file `name` from the held folder, if there (never what a swapped name leads to).
void remove_entry(int fd, std::string_view name);

}  // namespace bw
