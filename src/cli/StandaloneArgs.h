#pragma once

// What the basic test's and the baseline's verbs share: the drive letter argument and the
// folders and volume map a test on this machine needs.

#include <string>

#include "drives/DriveStartup.h"

namespace bw::cli {

// 'D' for "D", "d:" and the like; 0 with `error` set for anything else.
char parse_drive_letter(const std::string& text, std::string* error);

// The program and working folders (test files are recorded in the working folder) and the drive
// inventory with its volume map, which also becomes the program-wide map. False with `error`.
bool prepare_for_tests(InventoryRun& run, std::string* error);

}  // namespace bw::cli
