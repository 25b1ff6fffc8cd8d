#pragma once

// The save window's default file name and the program-wide save path the window leaves for its
// caller.

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace bw {

// The drive entry's first character, a blank, the entry from its third character, a blank, the
// time "hhmmss", a blank, the date "dd mmm yy" and ".txt": "D   500GB HDD [PD 1] 140509 03 Mar
// 13.txt". A "/" of the entry (no file name may hold one) becomes "-".
std::string DefaultSaveName(std::string_view drive_entry, const std::tm& local_time);

// Why a name typed into the save window is no file name ("" when it is one): empty, ".", "..",
// or holding a "/" or a NUL.
std::string BadSaveNameReason(std::string_view name);

// The chosen full path, or "" after Cancel.
std::string& SavePath();

// The path the basic test saves to: the chosen path without its last four characters (the
// extension) and with " Basic.txt".
std::filesystem::path BasicSavePath(const std::string& chosen);

}  // namespace bw
