#pragma once

// Start-up's "Compare Data" step: the downloaded global results (ResultsPeak.dat and
// ResultsAverage.dat in the program folder, names in any case) into the main window's hidden
// comparison lists, through the one result-line reader.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/StartSteps.h"

namespace bw::results {

// The result lines of a file longer than 10 characters, sorted, then grouped by block-size tag
// in block order ("(4KB)" first, "(4096KB)" last); a line is listed under every tag it holds.
// A torn last line and lines that are not result lines are left out.
std::vector<std::string> load_compare_file(const std::filesystem::path& file);

// The entry of `folder` named `name` without regard to case; nothing when there is none.
std::optional<std::filesystem::path> find_no_case(const std::filesystem::path& folder,
                                                  const std::string& name);

// The comparison window's two sources: the global results as the main window lists them (by
// block) and after them the user's own lines of MyPResults.Dat and MyAResults.Dat, so earlier runs
// of this machine's drives can be set beside the current one without a download.
struct CompareSources {
    std::vector<std::string> peak, average;
    std::vector<std::string> notes;  // files that could not be read, and why
};
CompareSources compare_sources(const std::filesystem::path& program_folder);

// Provides StepId::CompareResults.
void provide_result_steps(StartSteps& steps);

}  // namespace bw::results
