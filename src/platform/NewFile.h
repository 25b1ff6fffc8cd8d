#pragma once

// Files the program writes out of its own data (the testers, the licence): created only where no
// file of that name exists, never through a symlink, and never seen half-written.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace bw::new_file {

enum class Outcome { Written, AlreadyPresent, Failed };

struct Result {
    Outcome outcome = Outcome::Failed;
    std::string error;  // why, when Failed
};

// Writes `bytes` under `target` with `mode` unless anything of that name is there (then
// AlreadyPresent, untouched). The bytes go to a private temporary file beside it first (O_EXCL |
// O_NOFOLLOW), which is then moved to the name only if the name is still free.
Result write(const std::filesystem::path& target, std::string_view bytes, unsigned mode);

// The same in the folder held by `dirfd` (shown as `folder` in messages): every step is made
// relative to the descriptor, so a folder renamed or swapped meanwhile changes nothing.
Result write_at(int dirfd, const std::filesystem::path& folder, std::string_view name,
                std::string_view bytes, unsigned mode);

// Whether anything (a file, a folder, a dangling symlink) has that name.
bool name_taken(const std::filesystem::path& path);
bool name_taken_at(int dirfd, std::string_view name);

// The whole content of a regular file, not following a symlink; nothing with `error` set otherwise.
std::optional<std::string> read_regular(const std::filesystem::path& path, std::string* error);

// The whole content of `name` in the held folder, only when it may be trusted (ours, a regular
// file nobody else can write); nothing with `error` set (the reason) otherwise.
std::optional<std::string> read_trusted_at(int dirfd, const std::filesystem::path& folder,
                                           std::string_view name, std::string* error);

}  // namespace bw::new_file
