#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tester/Job.h"
#include "tester/Tester.h"

namespace bw::tester {
namespace {

// The job as one line: drive, blocks, Functional/Performance, file size, multi-task level,
// Read/Write, seconds per block. A row states everything parsing made of the keys.
std::string describe(const Job& j) {
    std::string blocks;
    for (int b : j.blocks) blocks += (blocks.empty() ? "" : ",") + std::to_string(b);
    return std::string(1, j.drive) + " " + blocks +
           (j.type == TestType::Functional ? " F " : " P ") + std::to_string(j.file_size_mb) +
           "MB m" + std::to_string(j.multi) + " " + (j.read ? "R" : "-") + (j.write ? "W " : "- ") +
           std::to_string(j.seconds) + "s";
}

// One key of a good job changed (the first row changes none): what the tester makes of it, or
// why it refuses the job.
TEST(ParseJob, ReadsLenientlyAndRefusesWithAReason) {
    const struct {
        const char *key, *value;
        bool ok;
        const char* expect;  // the job described, or a fragment of the reason
    } cases[] = {
        {"", "", true, "D 1,5,11 P 300MB m2 R- 30s"},
        {"Drive", "e:", true, "E 1,5,11 P 300MB m2 R- 30s"},
        {"Blocks", "a9?bC0", true, "D 10,9,11 P 300MB m2 R- 30s"},
        {"Type", "X", true, "D 1,5,11 F 300MB m2 R- 30s"},
        {"Multi", "7", true, "D 1,5,11 P 300MB m3 R- 30s"},
        {"Multi", "-2", true, "D 1,5,11 P 300MB m0 R- 30s"},
        {"Time", "999999", true, "D 1,5,11 P 300MB m2 R- 86400s"},
        {"File Size", "-5", true, "D 1,5,11 P 0MB m2 R- 30s"},
        {"Write", "1", true, "D 1,5,11 P 300MB m2 RW 30s"},
        {"Drive", "", false, "no drive"},
        {"Drive", "7", false, "no drive"},
        {"Blocks", "", false, "No Block Size Selected!"},
        {"Blocks", "XYZ0", false, "No Block Size Selected!"},
        {"Time", "0", false, "no time"},
        {"Time", "X", false, "no time"},
        {"Read", "0", false, "neither"},
    };
    for (const auto& c : cases) {
        std::map<std::string, std::string> keys = {
            {"Drive", "D"}, {"Blocks", "15B"}, {"Type", "2"},  {"File Size", "300"},
            {"Multi", "2"}, {"Read", "1"},     {"Write", "0"}, {"Time", "30"}};
        if (*c.key) keys[c.key] = c.value;
        std::string error;
        auto job = parse_job([&](std::string_view k) { return keys[std::string(k)]; }, &error);
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        ASSERT_EQ(job.has_value(), c.ok) << error;
        if (c.ok)
            EXPECT_EQ(describe(*job), c.expect);
        else
            EXPECT_NE(error.find(c.expect), std::string::npos) << error;
    }
}

// A job of this shape over blocks 1 and 5.
Job shaped(TestType type, bool read, bool write, int multi) {
    Job job;
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
        for (const Step& s : plan_job(shaped(TestType::Functional, c.read, c.write, c.multi)))
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

// Block codes are read through "Blocks" above; an index outside the list moves nothing.
TEST(Blocks, NothingOutsideTheList) {
    EXPECT_EQ(block_bytes(0) + block_bytes(kBlockCount + 1), 0u);
}

TEST(Targets, WhichJobsNeedAFileOrTheDevice) {
    const struct {
        TestType type;
        bool read, write;
        int multi;
        bool file, device;
    } cases[] = {
        {TestType::Functional, true, false, 0, true, false},
        {TestType::Performance, true, false, 2, false, true},
        {TestType::Performance, true, false, 3, true, true},  // the third tester writes
        {TestType::Performance, false, true, 0, true, false},
        {TestType::Performance, false, true, 3, true, true},  // the third tester reads the drive
        {TestType::Functional, false, true, 3, true, false},
    };
    for (const auto& c : cases) {
        const Job job = shaped(c.type, c.read, c.write, c.multi);
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

TEST(TesterNumber, FromTheExecutableName) {
    std::string numbers;
    for (const char* name :
         {"LOADWorker.exe", "LoadWorker2.exe", "loadworker3.EXE", "LOADWorker4.exe", "LOADWorker"})
        numbers += std::to_string(tester_number(name));
    EXPECT_EQ(numbers, "12300");
    EXPECT_EQ(test_section(2), "Hard Drive Test 2");
}

}  // namespace
}  // namespace bw::tester
