#pragma once

// The I/O loop of a tester: one operation at a time with pread/pwrite on a descriptor opened with
// O_DIRECT (so the process I/O counters see every operation and no page cache flatters a
// figure), sequential through a region and round again, until a deadline or a stop.

#include <cstdint>

#include "platform/DirectIo.h"
#include "tester/Job.h"

namespace bw::tester {

// Milliseconds on the system-wide monotonic clock (coarse: a few ns per call, a few ms resolution),
// shared by all testers so one deadline ends a step for all of them.
std::int64_t monotonic_ms();

// Why a transfer loop came back.
enum class Stop { None, Cancel, Exit };

// What the loop asks between operations (at most every `kCheckMs`).
class StopCheck {
  public:
    virtual ~StopCheck() = default;
    virtual Stop check() = 0;
    // A signal asked the process to end: read on every operation, so it must be cheap.
    virtual bool signalled() const = 0;
};

inline constexpr std::int64_t kCheckMs = 50;

struct TransferPlan {
    int fd = -1;
    Side side = Side::Read;
    std::uint64_t block = 0;    // bytes per operation
    Region region;              // where, sequentially, wrapping at the end
    std::int64_t until_ms = 0;  // deadline on monotonic_ms(); ignored when one_pass
    bool one_pass = false;      // stop at the end of the region (laying out a test file)
};

struct TransferResult {
    Stop stop = Stop::None;
    std::uint64_t operations = 0, bytes = 0;
    int error = 0;  // errno of a failed operation (0: none)
};

TransferResult run_transfer(const TransferPlan& plan, IoBuffer& buffer, StopCheck& stop);

}  // namespace bw::tester
