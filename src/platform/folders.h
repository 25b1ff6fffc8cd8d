#pragma once

#include <filesystem>
#include <string>

namespace bw {

struct FolderResult {
    std::filesystem::path path;  // empty when no usable folder was found
    std::string error;           // why, when path is empty
    std::string note;            // how it was chosen (a fallback, a private subfolder)
};

// The working folder: TEMP, else TMPDIR, else /tmp. It holds executables that the program runs,
// so a folder that others can write to (as /tmp is) is replaced by <folder>/brantwell-<uid>, made
// with mode 0700. A folder that is a symlink or owned by another user is refused.
FolderResult choose_working_folder();

// The program folder: BRANTWELL_HOME when set; else the folder of the running executable when it
// is writable; else $XDG_DATA_HOME/brantwell (default ~/.local/share/brantwell), created.
FolderResult choose_program_folder();

// Full path of the running executable (/proc/self/exe).
std::filesystem::path executable_path();

// Checks that `dir` is a real folder owned by us and private when `must_be_private`; fixes the mode
// of a folder we own. "" when fine, else the reason.
std::string check_private_folder(const std::filesystem::path& dir, bool must_be_private);

}  // namespace bw
