#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace bw {

struct FolderResult {
    std::filesystem::path path;  // empty when no usable folder was found
    std::string error;           // why, when path is empty
    std::string note;            // how it was chosen (a fallback, a private subfolder)
    std::string notice;  // for the user, once: why the usual working folder was not used
    UniqueFd fd;         // the working folder, held since it was checked; use it, not the path
};

// Value of an environment variable, "" when unset. The process environment in the program; tests
// pass a table of their own.
using EnvLookup = std::function<std::string(const char* name)>;
std::string process_env(const char* name);

// The working folder: TEMP, else TMPDIR, else /tmp. It holds executables that the program runs,
// so a folder that others can write to (as /tmp is) is replaced by <folder>/brantwell-<uid>, made
// with mode 0700. A folder that is a symlink or owned by another user is refused, and so is a
// shared folder without the sticky bit (another user could swap our folder in it), and so is one
// beneath a folder that another user owns or that others can write without the sticky bit, and so
// is a folder of ours that others could write or that holds one of `trusted_names` (the files the
// program runs or reads there) that is not ours or that others can write. The folder is held by
// `fd` from the check on; the path returned is absolute with every symlink above the folder
// resolved: the testers find their settings by it and are found again by their executables' paths.
FolderResult preferred_working_folder(const EnvLookup& env,
                                      std::span<const std::string_view> trusted_names);

// A private working folder for when the preferred one is unsafe or taken (another user can make
// /tmp/brantwell-<uid> first): $XDG_RUNTIME_DIR/brantwell, else a fresh folder made by mkdtemp in
// /tmp. Checked and held like the preferred one.
FolderResult private_working_folder(const EnvLookup& env,
                                    std::span<const std::string_view> trusted_names);

// The preferred working folder, else the private one with a `notice` that says why.
FolderResult choose_working_folder(const EnvLookup& env,
                                   std::span<const std::string_view> trusted_names);

// The program folder: BRANTWELL_HOME when set; else the folder of the running executable when it
// is writable; else $XDG_DATA_HOME/brantwell (default ~/.local/share/brantwell), created.
FolderResult choose_program_folder(const std::filesystem::path& exe_dir, const EnvLookup& env);
FolderResult choose_program_folder();

// Full path of the running executable (/proc/self/exe).
std::filesystem::path executable_path();


}  // namespace bw
