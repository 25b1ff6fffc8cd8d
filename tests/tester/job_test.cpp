#include <gtest/gtest.h>

#include <string>

#include "tester/Job.h"

namespace bw::tester {
namespace {

// A job of this shape over blocks 1 and 5.
TesterJob shaped(JobType type, bool read, bool write, int multi) {
    TesterJob job;
    job.type = type;
    job.read = read;
    job.write = write;
    job.multi = multi;
    job.blocks = {1, 5};
    return job;
}

TEST(PlanJob, StepsFollowSideThenLevelThenBlock) {
    const struct {
        bool read, write;
        int multi;
        const char* steps;  // side, block and level of each step
    } cases[] = {
        {true, false, 0, "R1.0 R5.0 "},
        {false, true, 1, "W1.0 W5.0 W1.1 W5.1 "},
        {true, true, 2, "R1.0 R5.0 R1.1 R5.1 R1.2 R5.2 W1.0 W5.0 W1.1 W5.1 W1.2 W5.2 "},
        // Level 3 runs the heavy test with the other side instead of the heavy test.
        {true, false, 3, "R1.0 R5.0 R1.1 R5.1 R1.3 R5.3 "},
    };
    for (const auto& c : cases) {
        std::string text;
        for (const Step& s : plan_job(shaped(JobType::Functional, c.read, c.write, c.multi)))
            text += (s.side == Side::Read ? "R" : "W") + std::to_string(s.block) + "." +
                    std::to_string(s.level) + " ";
        EXPECT_EQ(text, c.steps) << c.read << c.write << " multi " << c.multi;
    }
}

// Level by level, reading then writing: who works and on which side. Level 3 hands the third
// tester the other side. (The four [Tester Function] keys of each step are read end to end.)
TEST(PlanJob, RolesPerLevel) {
    std::string text;
    for (int level = 0; level <= 3; ++level)
        for (Side side : {Side::Read, Side::Write}) {
            text += " ";
            for (const Role& r : roles_for(level, side))
                text += std::to_string(r.tester) + (r.side == Side::Read ? "r" : "w");
        }
    EXPECT_EQ(text, " 1r 1w 1r2r 1w2w 1r2r3r 1w2w3w 1r2r3w 1w2w3r");
}

TEST(Targets, WhichJobsNeedAFileOrTheDevice) {
    const struct {
        JobType type;
        bool read, write;
        int multi;
        bool file, device;
    } cases[] = {
        {JobType::Functional, true, false, 0, true, false},
        {JobType::Performance, true, false, 2, false, true},
        {JobType::Performance, true, false, 3, true, true},  // the third tester writes
        {JobType::Performance, false, true, 0, true, false},
        {JobType::Performance, false, true, 3, true, true},  // the third tester reads the drive
        {JobType::Functional, false, true, 3, true, false},
    };
    for (const auto& c : cases) {
        const TesterJob job = shaped(c.type, c.read, c.write, c.multi);
        EXPECT_EQ(needs_test_file(job), c.file) << int(c.type) << c.read << c.write << c.multi;
        EXPECT_EQ(reads_device(job), c.device) << int(c.type) << c.read << c.write << c.multi;
    }
}

TEST(Regions, DistinctAlignedAndInside) {
    const std::uint64_t align = 1 << 20;
    for (std::uint64_t total : {12ull << 20, 200'000'000ull, (1ull << 40) + 12345})
        for (std::uint64_t count = 1; count <= 3; ++count)
            for (std::uint64_t i = 0, previous_end = 0; i < count; ++i) {
                SCOPED_TRACE(::testing::Message() << total << " " << i << "/" << count);
                Region r = region_of(total, int(i), int(count), align);
                EXPECT_EQ((r.offset | r.length) % align, 0u);
                EXPECT_GE(r.offset, previous_end);
                EXPECT_GT(r.length, 0u);
                EXPECT_LE(previous_end = r.offset + r.length, total);
            }
}

TEST(Part, TravelsAsOneValueWithBlanksInThePathAndDamageIsNoWork) {
    const std::string text = "123.456.7 W 1048576 67108864 98304 987654321 /mnt/my disk/TestB.tmp";
    Part part;
    ASSERT_TRUE(decode_part(text, part));
    EXPECT_EQ(part.step + "|" + part.target, "123.456.7|/mnt/my disk/TestB.tmp");
    EXPECT_EQ(part.side, Side::Write);
    EXPECT_EQ((std::vector<std::uint64_t>{part.region.offset, part.region.length, part.block,
                                          static_cast<std::uint64_t>(part.until_ms)}),
              (std::vector<std::uint64_t>{1 << 20, 64 << 20, 98304, 987654321}));
    EXPECT_EQ(encode_part(part), text);
    for (const char* damaged :
         {"", "1.2.3", "1.2.3 X 0 8192 4096 5 /dev/zram1", "1.2.3 R 0 8192 4096 5",
          "1.2.3 R 0 8192 0 5 /f", "1.2.3 R 0 4096 8192 5 /f", "1.2.3 R zero 8192 4096 5 /f"}) {
        Part fresh;  // the tester reads each value into a fresh one
        EXPECT_FALSE(decode_part(damaged, fresh)) << '"' << damaged << '"';
    }
}

}  // namespace
}  // namespace bw::tester
