#pragma once

// The TRIM test's record in the preferences file, so that a test cut short (killed, crashed, the
// machine gone down) does not leave the volume's TRIM switched off and its test file on it: the
// record is written before the first switch and removed once the switch is back; the next start
// and the next TRIM test find it, put the switch back to the state found before the test, delete
// the test file and say so.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/DiscardSwitch.h"

namespace bw {

struct TrimRecord {
    std::string mount_point;          // "" when the test did not switch
    bool discard_found = false;       // the option before the test
    std::filesystem::path test_file;  // "" when there is none to delete
};

// False with `error` set when the record cannot be written: the test then does not switch, as
// nothing could put the switch back after a crash.
bool WriteTrimRecord(const std::filesystem::path& prefs, const TrimRecord& record,
                     std::string* error);
std::optional<TrimRecord> ReadTrimRecord(const std::filesystem::path& prefs);
void ClearTrimRecord(const std::filesystem::path& prefs);

// Puts back what a recorded test left: the switch through `sw`, the test file (only a test file
// of ours, by name, and struck from the working folder's record). One message per thing done or
// failed; none without a record. The record goes once nothing is left to put back; a switch that
// could not be set back keeps it, so the next start tries again.
std::vector<std::string> RestoreAfterTrimTest(const std::filesystem::path& prefs,
                                              DiscardSwitch& sw,
                                              const std::filesystem::path& working_folder);

}  // namespace bw
