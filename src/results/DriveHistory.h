#pragma once

// A drive's history: every finished main test, block by block, recorded under the identity of the
// disk it ran on (DriveIdentity.h), so the same disk under another letter keeps its past. A new
// test whose peak read or write at a block falls more than 15 % below the median of the drive's
// earlier tests of the same kind and block is called out in the report.
//
// The file, DriveHistory.Dat beside the result files: one line per tested block, CR LF, eight
// fields separated by tabs:
//   identity  time ("2026-12-07 14:05:09")  letter ("D:")  test type ("Performance")
//   block ("64KB")  peak read bytes/s  peak write bytes/s  model
// Anyone may have written the file: a line that does not have exactly these fields, or whose
// figures are not plain numbers, is skipped and counted.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw::results {

inline constexpr std::string_view kDriveHistoryFile = "DriveHistory.Dat";
// A drop larger than this share of the median is a finding; smaller ones are the noise of
// repeated runs (about 10 % on these machines).
inline constexpr double kSlowerShare = 0.15;
// A median of fewer earlier tests says more about one run than about the drive.
inline constexpr std::size_t kMinEarlierTests = 2;
// Lines longer than this are not history lines.
inline constexpr std::size_t kMaxHistoryLine = 4096;
// The file is read whole; beyond this it is not ours and is left alone.
inline constexpr std::size_t kHistoryFileCap = std::size_t{16} << 20;

struct HistoryEntry {
    std::string identity, when, drive, type, block, model;
    double peak_read = 0, peak_write = 0;  // bytes/s, 0 when the side did not run
    bool operator==(const HistoryEntry&) const = default;
};

struct HistoryFile {
    std::vector<HistoryEntry> entries;  // in file order (oldest first)
    std::size_t skipped = 0;            // lines that were not history lines
};

HistoryFile parse_history(std::string_view text);
// One line without its line end; tabs and control characters in the texts become blanks.
std::string history_line(const HistoryEntry& e);

// The entries of one drive, oldest first.
std::vector<HistoryEntry> entries_of(const std::vector<HistoryEntry>& all, std::string_view identity);

struct SlowerBlock {
    std::string block;
    bool write = false;
    double now = 0, median = 0;
    std::size_t earlier = 0;  // earlier tests the median is taken over
    double percent_below() const { return median > 0 ? 100 * (1 - now / median) : 0; }
};

double median(std::vector<double> values);

// Each block and side of `now` more than kSlowerShare below the median of the drive's earlier
// entries of the same identity, test type and block (sides that ran, at least kMinEarlierTests).
std::vector<SlowerBlock> slower_blocks(const std::vector<HistoryEntry>& earlier,
                                       const std::vector<HistoryEntry>& now);

// "slower than this drive's earlier tests: 64KB read 80,000,000 Bps is 20 % below the median
// 100,000,000 Bps of 3 tests; ..."; "" when nothing is slower.
std::string slower_line(const std::vector<SlowerBlock>& slower);

// What recording a test did: the report lines it adds and whether the test was written down.
struct Recorded {
    std::vector<std::string> report_lines;
    bool kept = false;
};

// Compares `now` (one finished test, all entries with the same identity) with the history in
// `file`, then appends it there through the safe text-file layer.
Recorded compare_and_record(const std::filesystem::path& file,
                            const std::vector<HistoryEntry>& now);

// The history file's entries, or nothing with `error` set ("" when the file is missing).
std::optional<HistoryFile> read_history(const std::filesystem::path& file, std::string* error);

}  // namespace bw::results
