#include "tester/Transfer.h"

#include <sys/mman.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace bw::tester {

namespace {

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

std::uint64_t splitmix(std::uint64_t& s) {
    std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

IoBuffer::IoBuffer(std::size_t bytes, std::size_t align) {
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != sizeof seed)
        seed = static_cast<std::uint64_t>(::getpid()) ^ static_cast<std::uint64_t>(monotonic_ms());
    for (auto& s : state_) s = splitmix(seed);
    // A buffer of 2 MiB or more sits on huge pages where the system allows it: the kernel pins
    // the pages of every direct transfer, and one huge page is cheaper to pin than 512 small ones.
    constexpr std::size_t kHugePage = 2 << 20;
    if (bytes >= kHugePage) {
        align = std::max(align, kHugePage);
        bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    }
    void* p = nullptr;
    if (bytes == 0 || ::posix_memalign(&p, align, bytes) != 0) return;
    if (align >= kHugePage) ::madvise(p, bytes, MADV_HUGEPAGE);
    data_ = static_cast<unsigned char*>(p);
    size_ = bytes;
    for (std::size_t i = 0; i + 8 <= size_; i += 8) {
        std::uint64_t v = next();
        std::memcpy(data_ + i, &v, 8);
    }
}

IoBuffer::~IoBuffer() {
    std::free(data_);
}

// xoshiro256**: fast and good enough that no compressor finds structure in the data.
std::uint64_t IoBuffer::next() {
    std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

void IoBuffer::refresh(std::size_t bytes) {
    if (bytes > size_) bytes = size_;
    for (std::size_t page = 0; page + 8 <= bytes; page += kPageBytes) {
        std::uint64_t v = next();
        std::memcpy(data_ + page, &v, 8);
    }
}

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
