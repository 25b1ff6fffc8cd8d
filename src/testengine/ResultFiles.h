#pragma once

// Writes what a finished main test leaves behind: the result lines for comparison, the figure
// store per drive and block, the drive's baseline, and the text reports. Every text file goes
// through the safe appends and replaces of platform/TextFiles (CR LF line ends); the two
// settings-form files through the settings store.

#include <filesystem>
#include <string>
#include <vector>

#include "testengine/Report.h"

namespace bw::testengine {

struct ResultFolders {
    std::filesystem::path program_folder;  // result lines, Baseline.dat, reports
    std::filesystem::path working_folder;  // HDPerfData.Dat
};

struct WrittenFiles {
    std::vector<std::filesystem::path> written;  // in the order written
    std::vector<std::string> errors;             // "<file>: <reason>", one per file not written
    bool ok() const { return errors.empty(); }
};

// The result files of one test, in the order the report builds them: HDPerfData.Dat,
// Baseline.dat, Overall.txt, the four result-line files, the dated report, Recommend.txt,
// Specs.txt. A file that cannot be written is named in `errors`; the others are still written.
WrittenFiles write_result_files(const ResultFolders& folders, const ReportResult& report);

}  // namespace bw::testengine
