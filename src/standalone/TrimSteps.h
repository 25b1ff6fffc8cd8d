#pragma once

// Where the TRIM test of a letter works (the volume's mount point and its test file), and the
// start-up step that puts back what a TRIM test cut short left.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "drives/VolumeMap.h"
#include "platform/TrimVolume.h"

namespace bw {

class StartSteps;

struct TrimTarget {
    char letter = 0;
    std::string mount_point;
    std::filesystem::path test_file;  // TestMy.SSD at the mount point, else in a writable
                                      // folder of the same file system
    std::string reason;               // why there is none, when test_file is empty
};

TrimTarget ResolveTrimTarget(const SystemQuery& query, const VolumeMap& map, char letter,
                             const std::vector<std::string>& candidates);
// The letter of the program-wide volume map, with the program and working folders as the
// places for the test file when the mount point is not writable.
TrimTarget ResolveTrimTarget(char letter);

// The live volume of a target.
std::unique_ptr<TrimVolume> TrimVolumeFor(const TrimTarget& target);

// RestoreAfterTrimTest on this machine, with the program's preferences and working folder.
std::vector<std::string> RestoreTrimOnThisMachine();

// Provides StepId::TrimRestore: serves the delete-notification value from the discard switch of
// "/", then the restore, each message shown to the user.
void provide_trim_steps(StartSteps& steps);

}  // namespace bw
