#pragma once

// The INI-file engine under the settings store: section and key names match without regard to
// case, a missing file or key reads as the default, reading never creates a file, and every write
// rewrites the whole file atomically (temporary file + rename in the same folder) under an
// exclusive flock on the file's folder, while reads hold a shared lock. The program and its three
// tester processes share one working file through this, so no reader sees a torn file and no
// writer loses another's key.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bw::profile {

// A read returns at most this many characters of a value (the classic 1024-character buffer
// less its terminator).
inline constexpr std::size_t kMaxValueChars = 1023;

// Value of `key` in `section`, or `def` when the file, section or key is missing or unreadable.
// A symlink, a folder or a file over 64 MiB in place of the settings file reads as unreadable
// (last_error() says why). The value never holds a NUL or a line break.
std::string get_string(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view def = "");

// Names of the keys of `section` in file order (empty when missing).
std::vector<std::string> get_keys(const std::filesystem::path& file, std::string_view section);

// Names of all sections in file order.
std::vector<std::string> get_sections(const std::filesystem::path& file);

// Writes key=value into section. A missing `value` removes the key; a missing `key` removes the
// whole section. NULs are dropped and a value is cut at its first line break, so a value can never
// smuggle in a line of its own. A name the file could not hold as itself is refused (an empty
// key, a key with "=" or beginning with "[", a section with "]", any name with a line break or
// NUL; reads refuse those too). Returns false when the write is refused or the file cannot be
// written (its folder is not writable, it is a directory or a symlink, its lock file is a symlink,
// it is read-only, the disk is full); the old file is then untouched. A rewrite keeps the file's
// mode, its owner when run as root, and its CR LF line ends, and removes what writers killed
// mid-write left beside it.
bool write_string(const std::filesystem::path& file, std::string_view section,
                  std::optional<std::string_view> key, std::optional<std::string_view> value);

// Several keys of one section in one rewrite.
bool write_strings(const std::filesystem::path& file, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& entries);

// Why the last call on this thread failed ("" after a success).
const std::string& last_error();

}  // namespace bw::profile
