#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/SystemQuery.h"
#include "support/fakes.h"
#include "tester/Target.h"
#include "tester/Transfer.h"

namespace bw::tester {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Never asks to stop: each run ends at its deadline or its region's end.
struct NoStop : StopCheck {
    Stop check() override { return Stop::None; }
    bool signalled() const override { return false; }
};

// Stopping mid-transfer on each request is seen end to end, with all three testers at work.
class Transfers : public ::testing::Test {
  protected:
    void SetUp() override {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_DIRECT, 0600);
        ASSERT_GE(fd_, 0) << std::strerror(errno);
        ASSERT_EQ(::ftruncate(fd_, 4 << 20), 0);
    }
    void TearDown() override { ::close(fd_); }

    TempDir dir_;
    fs::path path_ = dir_ / "target";
    int fd_ = -1;
    IoBuffer buffer_{4 << 20};
    NoStop stop_;
};

TEST_F(Transfers, OnePassWritesExactlyItsRegion) {
    TransferPlan plan{fd_, Side::Write, 64 * 1024, {1 << 20, 2 << 20}, 0, true};
    TransferResult r = run_transfer(plan, buffer_, stop_);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.operations, 32u);
    EXPECT_EQ(r.bytes, 2u << 20);
    std::string data = test::read_file(path_);
    ASSERT_EQ(data.size(), 4u << 20);
    // A page of random data is never all zeros; every page outside the region still is.
    for (std::size_t page = 0; page < data.size(); page += 4096)
        EXPECT_EQ(data.find_first_not_of('\0', page) < page + 4096,
                  page >= (1u << 20) && page < (3u << 20))
            << page;
}

TEST_F(Transfers, RunsUntilTheDeadlineGoingRoundTheRegion) {
    TransferPlan plan{fd_, Side::Read, 4096, {0, 1 << 20}, monotonic_ms() + 120, false};
    TransferResult r = run_transfer(plan, buffer_, stop_);
    EXPECT_EQ(r.stop, Stop::None);
    EXPECT_EQ(r.error, 0);
    // Far more operations than the region holds blocks: it went round.
    EXPECT_GT(r.operations, 256u);
    EXPECT_EQ(r.bytes, r.operations * 4096);
    EXPECT_GE(monotonic_ms(), plan.until_ms);
}

TEST_F(Transfers, RefusesABlockLargerThanItsRegionOrBuffer) {
    TransferPlan small_region{fd_, Side::Read, 1 << 20, {0, 4096}, monotonic_ms() + 1000, false};
    EXPECT_EQ(run_transfer(small_region, buffer_, stop_).error, EINVAL);
    TransferPlan big_block{fd_, Side::Read, 8 << 20, {0, 16 << 20}, monotonic_ms() + 1000, false};
    EXPECT_EQ(run_transfer(big_block, buffer_, stop_).error, EINVAL);
}

TEST(TestFile, SizeFromTheJobOrTheFreeSpace) {
    constexpr std::uint64_t MB = 1000000, MiB = 1 << 20;
    const struct {
        std::int64_t file_size_mb;
        std::uint64_t free;
        std::uint64_t expect;  // 0: refused
    } cases[] = {
        {500, 100000 * MB, 500 * MB / (4 * MiB) * (4 * MiB)},
        {500, 400 * MB, 0},  // the program asked for more than there is
        {0, 100000 * MB, 200 * MB / (4 * MiB) * (4 * MiB)},
        {0, 100 * MB, 44 * MiB},  // half the free space, whole 4 MiB
        {0, 20 * MiB, 0},         // too small for three regions of the largest block
        {1, 100000 * MB, 0},
    };
    for (const auto& c : cases) {
        TesterJob job;
        job.drive = 'D';
        job.file_size_mb = c.file_size_mb;
        std::string error;
        EXPECT_EQ(test_file_size(job, c.free, &error), c.expect) << c.file_size_mb << " " << c.free;
        EXPECT_TRUE(c.expect != 0 || error.find("free space") != std::string::npos) << error;
    }
}

// Without a folder and device in the job, drive C: is the volume on "/": its device comes from
// the mount table as the system query reads it (escapes, device-mapper names), never guessed.
TEST(Fallback, DriveCIsTheVolumeOnRoot) {
    const struct {
        const char* machine;
        const char* device;
    } kCases[] = {
        {"sata-desktop", "/dev/sda1"},
        {"nvme-laptop", "/dev/dm-1"},
        {"vm", "/dev/vda"},
    };
    for (const auto& c : kCases) {
        set_system_query(std::make_shared<SystemQuery>(
            Sysroot(test::fixture(std::string("sysroots/") + c.machine))));
        std::string error;
        EXPECT_EQ(fallback_device('C', &error), c.device) << c.machine << ": " << error;
        EXPECT_EQ(fallback_device('D', &error), "") << c.machine;
        EXPECT_NE(error.find("drive D:"), std::string::npos) << error;
    }
    set_system_query(nullptr);
}

}  // namespace
}  // namespace bw::tester
