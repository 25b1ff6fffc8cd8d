#pragma once

// What a helper tester accepts from its "Part": the working file hands it a path and a region,
// and anything another user or a fault put there must not turn a helper into a tool that writes
// or grows someone else's file. So a part names the job's own test file (as the first tester
// made it), or the job's block device for reading, and a region inside the target; anything else
// is refused with the reason, and the helper does no I/O for it.

#include <cstdint>
#include <string>
#include <string_view>

#include "tester/Job.h"

namespace bw::tester {

// The only targets the current job allows: its test file and its block device (each "" when the
// job has none).
struct JobTargets {
    std::string test_file, device;
};

// "" when the part's target and side are the job's, else the reason.
std::string refuse_part_target(const Part& part, const JobTargets& targets);

// "" when the region lies inside a target of `size` bytes, else the reason naming `target`.
// Writes never go past the end, so a file is never extended.
std::string refuse_region(const Region& region, std::uint64_t size, std::string_view target);

}  // namespace bw::tester
