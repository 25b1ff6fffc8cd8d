#include "tester/Transfer.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace bw::tester {

std::int64_t monotonic_ms() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TransferResult run_transfer(const TransferPlan& plan, IoBuffer& buffer, StopCheck& stop) {
    TransferResult r;
    const std::uint64_t block = plan.block;
    const std::uint64_t begin = plan.region.offset;
    const std::uint64_t end = plan.region.offset + plan.region.length;
    if (block == 0 || block > buffer.size() || plan.region.length < block) {
        r.error = EINVAL;
        return r;
    }
    const bool writing = plan.side == Side::Write;
    unsigned char* data = buffer.data();
    std::uint64_t offset = begin;
    std::int64_t next_check = monotonic_ms() + kCheckMs;
    for (;;) {
        if (writing) buffer.refresh(block);
        ssize_t n = writing ? ::pwrite(plan.fd, data, block, static_cast<off_t>(offset))
                            : ::pread(plan.fd, data, block, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno != EINTR) {
                r.error = errno;
                return r;
            }
        } else if (n == 0) {
            // The target ended early (it shrank): go round from the start of the region.
            offset = begin;
        } else {
            ++r.operations;
            r.bytes += static_cast<std::uint64_t>(n);
            offset += block;
            if (offset + block > end) {
                if (plan.one_pass) return r;
                offset = begin;
            }
        }
        if (stop.signalled()) {
            r.stop = Stop::Exit;
            return r;
        }
        std::int64_t now = monotonic_ms();
        if (!plan.one_pass && now >= plan.until_ms) return r;
        if (now >= next_check) {
            next_check = now + kCheckMs;
            r.stop = stop.check();
            if (r.stop != Stop::None) return r;
        }
    }
}

}  // namespace bw::tester
