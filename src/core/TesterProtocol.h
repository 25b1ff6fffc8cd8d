#pragma once

// The contract between the program and its three tester processes: the block sizes, the eight
// test types, the testers' file names, and the job the program writes into [Hard Drive Test 1].
// Both sides read these tables, so a block code, a label or a key order is decided here only.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// --- Block sizes -----------------------------------------------------------------------------

struct BlockSize {
    int index;                     // 1..11
    char code;                     // the character in a block code string
    std::string_view name;         // as lists and reports show it
    std::uint64_t report_bytes;    // reports count 1 KB as 1000 bytes
    std::uint64_t transfer_bytes;  // what a tester moves per operation: whole 4 KiB pages
};

inline constexpr std::uint64_t kPageBytes = 4096;

// clang-format off
inline constexpr BlockSize kBlockSizes[] = {
    {1, '1', "4KB", 4000, 1 * kPageBytes},
    {2, '2', "8KB", 8000, 2 * kPageBytes},
    {3, '3', "16KB", 16000, 4 * kPageBytes},
    {4, '4', "32KB", 32000, 8 * kPageBytes},
    {5, '5', "64KB", 64000, 16 * kPageBytes},
    {6, '6', "96KB", 96000, 24 * kPageBytes},
    {7, '7', "128KB", 128000, 32 * kPageBytes},
    {8, '8', "256KB", 256000, 64 * kPageBytes},
    {9, '9', "512KB", 512000, 128 * kPageBytes},
    {10, 'A', "1024KB", 1024000, 256 * kPageBytes},
    {11, 'B', "4096KB", 4096000, 1024 * kPageBytes},
};
// clang-format on
inline constexpr int kBlockCount = static_cast<int>(std::size(kBlockSizes));

// The row of block index 1..11; nullptr for any other index.
const BlockSize* block_size(int index);
// 1..11 for a block code character "1".."9", "A", "B"; lower case is accepted when `any_case`.
// 0 for anything else.
int block_index_from_code(char code, bool any_case = false);
// The code character of block index 1..11, '0' for any other index.
char block_code_char(int index);
// Bytes a tester moves per operation for block index 1..11, 0 for any other index.
std::uint64_t block_transfer_bytes(int index);

// --- Test types ------------------------------------------------------------------------------

enum class Side { Read, Write };
inline Side other_side(Side s) {
    return s == Side::Read ? Side::Write : Side::Read;
}

// 0 single, 1 lite multi-task, 2 heavy multi-task, 3 heavy multi-task with the other side.
inline constexpr int kMaxMultiLevel = 3;

struct TestTypeRow {
    int number;              // 1..8
    Side side;               // the side under test
    int level;               // multi-task level 0..3
    std::string_view label;  // the group row's label
};

// Types 4 and 8 carry the label of the other side's heavy test: the test window shows them so.
inline constexpr TestTypeRow kTestTypes[] = {
    {1, Side::Read, 0, "Single Read"},
    {2, Side::Read, 1, "Multi-Task Read"},
    {3, Side::Read, 2, "Heavy Multi-Task Read"},
    {4, Side::Read, 3, "Heavy Multi-Task Write"},
    {5, Side::Write, 0, "Single Write"},
    {6, Side::Write, 1, "Multi-Task Write"},
    {7, Side::Write, 2, "Heavy Multi-Task Write"},
    {8, Side::Write, 3, "Heavy Multi-Task Read"},
};

// The row of a side at a multi-task level; nullptr for a level outside 0..3.
const TestTypeRow* test_type(Side side, int level);

// --- Tester files ----------------------------------------------------------------------------

// The three testers, as written in the working folder; the second and third are copies of the
// first, and the number a tester has comes from the name it runs under.
inline constexpr std::array<std::string_view, 3> kTesterFiles = {
    "LOADWorker.exe", "LOADWorker2.exe", "LOADWorker3.exe"};

// 1, 2 or 3 from an executable's name, without regard to case; 0 for any other name.
int tester_number(std::string_view executable_name);

// --- The job ---------------------------------------------------------------------------------

// "Type" of a job: "1" Functional (test file only), "2" Performance (reads the drive itself).
enum class JobType { Functional = 1, Performance = 2 };

struct TesterJob {
    char drive = 0;           // "C", "D", ...
    std::vector<int> blocks;  // block indices in the order of "Blocks"
    JobType type = JobType::Functional;
    std::int64_t file_size_mb = 0;  // "File Size": test file size in MB, 0 = the tester chooses
    std::string cluster_size;       // "Cluster Size": passed on as the program found it
    int multi = 0;                  // multi-task level 0..3
    bool read = false, write = false;
    int seconds = 0;  // "Time": seconds per block
    // Where the program's volume map puts the drive: the folder for test files and the block
    // device the Performance test reads. Empty when the program did not say.
    std::string test_folder, device;
};

// Writes one key of [Hard Drive Test 1].
using KeyWriter = std::function<void(std::string_view key, std::string_view value)>;
// Reads one key of [Hard Drive Test 1].
using KeyReader = std::function<std::string(std::string_view key)>;

// Writes the job in the order the testers expect, "Run" = "1" last: a tester that sees "Run"
// finds every other key already in place.
void write_job(const TesterJob& job, const KeyWriter& write);

// The job as a tester reads it (leniently: lower-case codes, levels clamped), or the reason it
// cannot be run.
std::optional<TesterJob> parse_job(const KeyReader& key, std::string* error);

// --- What the testers report -----------------------------------------------------------------

// [Tester Function] while a step runs: its block index and level on its side, "0" on the other
// side; all "0" when idle (no side given).
std::vector<std::pair<std::string, std::string>> tester_function_keys(std::optional<Side> side,
                                                                      int block, int level);

}  // namespace bw
