#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace bw {

struct FolderResult {
    std::filesystem::path path;  // empty when no usable folder was found
    std::string error;           // why, when path is empty
    std::string note;            // how it was chosen (a fallback, a private subfolder)
};

// Value of an environment variable, "" when unset. The process environment in the program; tests
// pass a table of their own.
using EnvLookup = std::function<std::string(const char* name)>;
std::string process_env(const char* name);

// The working folder: TEMP, else TMPDIR, else /tmp. It holds executables that the program runs,
// so a folder that others can write to (as /tmp is) is replaced by <folder>/brantwell-<uid>, made
// with mode 0700. A folder that is a symlink or owned by another user is refused, and so is a
// shared folder without the sticky bit (another user could swap our folder in it), and so is one
// beneath a folder that another user owns or that others can write without the sticky bit. The
// path returned is absolute with every symlink above the folder resolved: the testers are started
// from it and found again by the path of their executables.
FolderResult choose_working_folder(const EnvLookup& env);
FolderResult choose_working_folder();

// The program folder: BRANTWELL_HOME when set; else the folder of the running executable when it
// is writable; else $XDG_DATA_HOME/brantwell (default ~/.local/share/brantwell), created.
FolderResult choose_program_folder(const std::filesystem::path& exe_dir, const EnvLookup& env);
FolderResult choose_program_folder();

// Full path of the running executable (/proc/self/exe).
std::filesystem::path executable_path();

// Checks that `dir` is a real folder owned by us and private when `must_be_private`; fixes the mode
// of a folder we own. "" when fine, else the reason.
std::string check_private_folder(const std::filesystem::path& dir, bool must_be_private);

}  // namespace bw
