#pragma once

// What a tester is asked to do, and the order in which the testers do it: the job the program
// writes into [Hard Drive Test 1], and the plan of steps (one block size of one test type each)
// that the first tester hands out to all three.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw::tester {

// Transfer sizes of the block list, in 4 KiB pages ("4KB" ... "4096KB").
inline constexpr std::array<std::uint32_t, 11> kBlockPages = {1,  2,  4,   8,   16,  24,
                                                              32, 64, 128, 256, 1024};
inline constexpr std::uint64_t kPageBytes = 4096;
inline constexpr int kBlockCount = static_cast<int>(kBlockPages.size());

// 1..11 for the block codes "1".."9", "A", "B" (any case); 0 for anything else.
int block_index_from_code(char code);
char block_code(int index);
// Bytes moved per operation for block index 1..11.
std::uint64_t block_bytes(int index);

enum class Side { Read, Write };
inline Side other_side(Side s) {
    return s == Side::Read ? Side::Write : Side::Read;
}

enum class TestType { Functional = 1, Performance = 2 };

struct Job {
    char drive = 0;           // "C", "D", ...
    std::vector<int> blocks;  // block indices in the order of "Blocks"
    TestType type = TestType::Functional;
    std::int64_t file_size_mb = 0;  // "File Size": test file size in MB, 0 = the tester chooses
    int multi = 0;                  // multi-task level 0..3
    bool read = false, write = false;
    int seconds = 0;  // "Time": seconds per block
    // Where the program's volume map puts the drive: the folder for test files and the block
    // device the Performance test reads. Empty when the program did not say.
    std::string test_folder, device;
};

// Reads one key of [Hard Drive Test 1].
using KeyReader = std::function<std::string(std::string_view key)>;

// The job, or the reason it cannot be run.
std::optional<Job> parse_job(const KeyReader& key, std::string* error);

// One tester's part in a step.
struct Role {
    int tester = 1;  // 1..3
    Side side = Side::Read;
};

struct Step {
    Side side = Side::Read;  // the side under test
    int level = 0;           // 0 single, 1 lite, 2 heavy, 3 heavy with the other side
    int block = 1;           // block index
    std::vector<Role> roles;
};

// Multi-task levels run for a job's multi-task level, in order.
std::vector<int> levels_for(int multi);

// Who does what at one level.
std::vector<Role> roles_for(int level, Side side);

// Every step of the job in order: read side first, then write; per side the levels in order; per
// level the blocks in the order of "Blocks".
std::vector<Step> plan_job(const Job& job);

// [Tester Function] while a step runs: "Reading Block", "Multi-Task Reading", "Writing Block",
// "Multi-Task Writing".
std::vector<std::pair<std::string, std::string>> tester_function_keys(const Step* step);

// Whether the job needs a test file, and whether it reads the block device.
bool needs_test_file(const Job& job);
bool reads_device(const Job& job);

// A stretch of a target that one tester works on.
struct Region {
    std::uint64_t offset = 0, length = 0;
};

// The `index`-th of `count` equal regions of `total` bytes, starting on `align` boundaries.
Region region_of(std::uint64_t total, int index, int count, std::uint64_t align);

// What the first tester hands the second or third for one step. It travels as the one value
// [Hard Drive Test N] "Part" (so a helper learns its work with a single read of the working
// file): step id, "R" or "W", offset, length, bytes per operation, deadline on the shared
// monotonic clock in ms, and the target's path last (it may hold blanks).
struct Part {
    std::string step;
    Side side = Side::Read;
    Region region;
    std::uint64_t block = 0;
    std::int64_t until_ms = 0;
    std::string target;
};

std::string encode_part(const Part& part);
// False for a damaged or empty value.
bool decode_part(std::string_view text, Part& part);

}  // namespace bw::tester
