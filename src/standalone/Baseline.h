#pragma once

// Baseline.dat in the program folder: section [Drives], key = a drive entry from its fifth
// character on, value = the drive's read speed in whole MB/s. Start-up takes the quick read
// baseline of every drive without one; the main window colours its multi-task boxes from it.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/StartSteps.h"
#include "standalone/modQuickREAD.h"

namespace bw::basic {

std::filesystem::path baseline_file(const std::filesystem::path& program_folder);
// The stored value, "" when the drive has none.
std::string ReadBaseline(const std::filesystem::path& program_folder, std::string_view key);
void WriteBaseline(const std::filesystem::path& program_folder, std::string_view key,
                   long long mb_per_second);

// What start-up did for one entry.
struct BaselineTaken {
    std::string entry;
    long long mb_per_second = 0;
    std::string reason;  // why none was stored
};

using QuickReader = std::function<QuickReadResult(char letter)>;

// For each entry whose key has no stored value: the quick read, stored when it measured
// something. A volume that could not be read is not stored (a later start, perhaps as root,
// tries again); its reason comes back.
std::vector<BaselineTaken> TakeMissingBaselines(const std::vector<std::string>& entries,
                                                const std::filesystem::path& program_folder,
                                                const QuickReader& reader);

// The start-up step (StepId::QuickBaseline) over the program's drive list: the status and every
// refusal's reason on the splash.
void provide_standalone_steps(StartSteps& steps);

}  // namespace bw::basic
