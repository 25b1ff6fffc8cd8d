#pragma once

// Two findings about where a test's figures come from, each one line of the report:
// - the cache check: when the drive's counters saw much less than the testers read, the reads
//   were answered from a cache and the figures are not the drive's;
// - the port limit: when the best speed comes close to what the drive's link can carry, the link
//   and not the drive sets the figures.

#include <string>
#include <vector>

#include "platform/LinkFacts.h"
#include "testengine/Evaluation.h"

namespace bw::testengine {

// Below this share of the testers' bytes reaching the drive, the reads came from a cache.
inline constexpr double kCacheShare = 0.90;
// Above this share of the link's ceiling, the link is the limit.
inline constexpr double kPortShare = 0.85;

struct CacheBlock {
    int block = 0;
    double tester_bytes = 0, drive_bytes = 0;
};

struct CacheCheck {
    bool checked = false;            // the testers' byte counts were there to compare
    bool from_cache = false;         // some block's reads went to a cache
    std::vector<CacheBlock> blocks;  // every block with reads; the cached ones are below the share
    std::string line;                // the report line, "" when silent
};

// Over the read side of the read tests, block by block.
CacheCheck cache_check(const Evaluation& eval, const std::vector<int>& blocks);

struct PortLimit {
    bool known = false;          // the link and its ceiling are known
    std::string link;            // "SATA 3.0 Gb/s", "PCIe 3 x4", "USB at 480 Mb/s"
    double ceiling_bytes_per_s = 0;
    double best_bytes_per_s = 0;
    bool limited = false;
    std::string line;            // the report line, "" when silent
};

// What a link carries at most, in payload bytes per second, and how it is named; 0 when unknown.
struct LinkCeiling {
    double bytes_per_s = 0;
    std::string name;
};
LinkCeiling link_ceiling(const LinkFacts& link);

PortLimit port_limit(const LinkFacts& link, double best_bytes_per_s);

}  // namespace bw::testengine
