#pragma once

// What the basic test's and the baseline's verbs share: the drive letter argument and the
// folders and volume map a test on this machine needs.

#include <string>

#include "drives/DriveStartup.h"

namespace bw::cli {

// 'D' for "D", "d:" and the like; 0 with `error` set for anything else.
char parse_drive_letter(const std::string& text, std::string* error);

// The drive letter of `drive_text` and the machine prepared for a test of it, or 0 with the reason
// printed and `status` set to the verb's exit status (kExitUsage for a bad argument, kExitNoDrive
// for a letter the drive list does not have, kExitFailed otherwise).
char drive_for_test(const std::string& drive_text, InventoryRun& run, int* status);

// The program folder (result files, history, preferences), chosen once. False with `error`.
bool ensure_program_folder(std::string* error);
// The drive list entry of `letter`, or "" when the machine has no such drive.
std::string drive_entry(const InventoryRun& run, char letter);

// kExitRefused with the system's reason on standard error when `device` cannot be opened for
// direct reads (no root, or a disk the system keeps to itself); kExitDone otherwise, including
// other failures, which the test itself reports.
int refused_raw_read(const std::string& device);

// The program and working folders (test files are recorded in the working folder) and the drive
// inventory with its volume map, which also becomes the program-wide map. False with `error`.
bool prepare_for_tests(InventoryRun& run, std::string* error);

}  // namespace bw::cli
