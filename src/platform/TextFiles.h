#pragma once

// Text files the program keeps for the user (reports, result lines): appended so that a crash in
// the middle leaves at most one torn last line, replaced so that a reader never sees half a file,
// and never written through a link or into a file someone else may write.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace bw::text_files {

// Appends `text` to `file` (created 0644 when missing) in one write. When the file's last line
// has no line end (a writer died in the middle of it), CR LF goes first, so the torn line stays
// a line of its own and readers can drop it. False with `error` set when the file cannot be
// trusted or written; the file is then as it was, or holds a torn line a reader ignores.
bool append(const std::filesystem::path& file, std::string_view text, std::string* error);

// Replaces `file` with `text` (temporary file beside it, then rename). False with `error` set.
bool replace(const std::filesystem::path& file, std::string_view text, std::string* error);

// The whole file, up to `max_bytes`; nothing with `error` set when it is missing ("" error),
// not a regular file, or larger. A result file is read whole: they stay small.
std::optional<std::string> read(const std::filesystem::path& file, std::size_t max_bytes,
                                std::string* error);

// Removes `file` when it is a regular file or a link (not what a link points to). False with
// `error` set when something is there and stays.
bool remove(const std::filesystem::path& file, std::string* error);

}  // namespace bw::text_files
