// What a helper tester accepts from its "Part", and how the first tester tells that a helper is
// gone.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <string>

#include "tester/Helpers.h"
#include "tester/PartCheck.h"

namespace bw::tester {
namespace {

TEST(PartTarget, OnlyTheJobsTestFileOrItsDeviceForReading) {
    const JobTargets job{"/mnt/d/TestB.tmp", "/dev/zram0"};
    const struct {
        const char* target;
        Side side;
        JobTargets targets;
        const char* reason;  // "" when accepted
    } cases[] = {
        {"/mnt/d/TestB.tmp", Side::Write, job, ""},
        {"/mnt/d/TestB.tmp", Side::Read, job, ""},
        {"/dev/zram0", Side::Read, job, ""},
        {"/dev/zram0", Side::Write, job, "never writes a block device"},
        {"/home/ann/thesis.odt", Side::Write, job, "neither the job's test file nor its drive"},
        {"/mnt/d/../d/TestB.tmp", Side::Read, job, "neither"},
        {"/mnt/e/TestB.tmp", Side::Read, job, "neither"},
        {"/dev/sda", Side::Read, job, "neither"},
        // A job that names nothing allows nothing.
        {"", Side::Read, JobTargets{}, "neither"},
        {"/mnt/d/TestB.tmp", Side::Read, JobTargets{}, "neither"},
    };
    for (const auto& c : cases) {
        Part part;
        part.target = c.target;
        part.side = c.side;
        const std::string why = refuse_part_target(part, c.targets);
        if (*c.reason == '\0')
            EXPECT_EQ(why, "") << c.target;
        else
            EXPECT_NE(why.find(c.reason), std::string::npos) << c.target << ": " << why;
    }
}

// A region past the end would grow the file (a sparse terabyte once): refused, sums that wrap
// included.
TEST(PartRegion, InsideTheTargetOnly) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    const struct {
        std::uint64_t offset, length, size;
        bool accepted;
    } cases[] = {
        {0, 4096, 4096, true},     {4096, 4096, 8192, true},
        {0, 0, 0, true},           {4096, 4096, 4096, false},
        {0, 8192, 4096, false},    {1ull << 40, 4096, 1 << 20, false},
        {kMax, 2, 1 << 20, false}, {4096, kMax - 100, 1 << 20, false},
    };
    for (const auto& c : cases) {
        const std::string why = refuse_region({c.offset, c.length}, c.size, "/mnt/d/TestB.tmp");
        EXPECT_EQ(why.empty(), c.accepted) << c.offset << "+" << c.length << " of " << c.size;
        if (!c.accepted) EXPECT_NE(why.find("/mnt/d/TestB.tmp"), std::string::npos) << why;
    }
}

// A killed helper the program has not reaped yet is a zombie: gone, though its id still answers.
TEST(Helpers, AZombieIsNotRunning) {
    EXPECT_TRUE(process_running(::getpid()));
    EXPECT_FALSE(process_running(0));
    EXPECT_FALSE(process_running(-1));
    pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    EXPECT_TRUE(process_running(child));
    ::kill(child, SIGKILL);
    for (int i = 0; i < 200 && process_running(child); ++i) ::usleep(5000);
    EXPECT_FALSE(process_running(child));
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(process_running(child));
}

TEST(Helpers, ReasonsNameTheTester) {
    for (int n : {2, 3}) {
        const std::string name = "LOADWorker" + std::to_string(n) + ".exe";
        EXPECT_EQ(not_running_reason(n).rfind(name + " is not running", 0), 0u);
        EXPECT_EQ(ended_reason(n).rfind(name + " stopped", 0), 0u);
    }
}

}  // namespace
}  // namespace bw::tester
