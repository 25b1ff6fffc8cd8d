// The cache check on real reads of a scratch loop device: the tester's bytes from the process's
// own I/O counters, the drive's from the device's counters, second by second as the sampling
// files them. Reads through the page cache are caught; direct reads are not.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/scratch_device.h"
#include "testengine/ReportFindings.h"

namespace bw::testengine {
namespace {

double process_read_bytes() {
    std::ifstream in("/proc/self/io");
    std::string key;
    double value = 0;
    while (in >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

double device_read_bytes(const std::string& name) {
    std::ifstream in("/sys/block/" + name + "/stat");
    double reads = 0, merged = 0, sectors = 0;
    in >> reads >> merged >> sectors;
    return sectors * 512;
}

// Six "seconds", each reading the same 8 MiB; true when every read was whole.
bool read_ticks(const std::string& device, const std::string& name, bool direct,
                TestSamples& samples) {
    const int fd = ::open(device.c_str(), O_RDONLY | (direct ? O_DIRECT : 0));
    if (fd < 0) return false;
    // Start cold: the first buffered second goes to the drive, the others find the cache.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    constexpr std::size_t kChunk = 64 * 1024, kRegion = 8 * 1024 * 1024;
    void* buffer = nullptr;
    if (::posix_memalign(&buffer, 4096, kChunk) != 0) return false;
    bool whole = true;
    for (int tick = 0; tick < 6; ++tick) {
        const double tester0 = process_read_bytes(), drive0 = device_read_bytes(name);
        for (std::size_t at = 0; at < kRegion; at += kChunk)
            if (::pread(fd, buffer, kChunk, static_cast<off_t>(at)) != static_cast<ssize_t>(kChunk))
                whole = false;
        TickFigures f;
        f.read_bytes = device_read_bytes(name) - drive0;
        f.tester_read_bytes[0] = process_read_bytes() - tester0;
        f.tester_read_ops[0] = static_cast<double>(kRegion / kChunk);
        file_tick(samples, 1, 5, f);
    }
    std::free(buffer);
    ::close(fd);
    return whole;
}

TEST(CacheCheckE2E, ReadsThroughThePageCacheAreCaughtDirectReadsAreNot) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop loop({});
    ASSERT_TRUE(loop.ok()) << loop.error();
    struct Case {
        bool direct, from_cache;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(c.direct ? "O_DIRECT" : "buffered");
        TestSamples samples;
        ASSERT_TRUE(read_ticks(loop.device(), loop.name(), c.direct, samples));
        const CacheCheck check = cache_check(evaluate(samples), {5});
        ASSERT_TRUE(check.checked);
        ASSERT_EQ(check.blocks.size(), 1u);
        EXPECT_EQ(check.from_cache, c.from_cache)
            << "tester " << check.blocks[0].tester_bytes << " drive " << check.blocks[0].drive_bytes;
        EXPECT_EQ(check.line.empty(), !c.from_cache);
    }
}

}  // namespace
}  // namespace bw::testengine
