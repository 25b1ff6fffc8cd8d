#pragma once

// The order in which the testers do a job (the job itself is the program's, in
// core/TesterProtocol.h): the plan of steps, one block size of one test type each, that the first
// tester hands out to all three, and how a helper learns its share of a step.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TesterProtocol.h"

namespace bw::tester {

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
std::vector<Step> plan_job(const TesterJob& job);

// [Tester Function] while a step runs, or idle (no step).
std::vector<std::pair<std::string, std::string>> tester_function_keys(const Step* step);

// Whether the job needs a test file, and whether it reads the block device.
bool needs_test_file(const TesterJob& job);
bool reads_device(const TesterJob& job);

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
