#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tester/Job.h"
#include "tester/Tester.h"

namespace bw::tester {
namespace {

using Keys = std::map<std::string, std::string>;

KeyReader reader(const Keys& keys) {
    return [keys](std::string_view k) {
        auto it = keys.find(std::string(k));
        return it == keys.end() ? std::string() : it->second;
    };
}

Keys good_job() {
    return {{"Drive", "D"}, {"Blocks", "15B"}, {"Type", "2"},  {"File Size", "300"},
            {"Multi", "2"}, {"Read", "1"},     {"Write", "0"}, {"Time", "30"}};
}

TEST(ParseJob, ReadsTheProgramsKeys) {
    std::string error;
    auto job = parse_job(reader(good_job()), &error);
    ASSERT_TRUE(job) << error;
    EXPECT_EQ(job->drive, 'D');
    EXPECT_EQ(job->blocks, (std::vector<int>{1, 5, 11}));
    EXPECT_EQ(job->type, TestType::Performance);
    EXPECT_EQ(job->file_size_mb, 300);
    EXPECT_EQ(job->multi, 2);
    EXPECT_TRUE(job->read);
    EXPECT_FALSE(job->write);
    EXPECT_EQ(job->seconds, 30);
}

TEST(ParseJob, LenientAndRefusedValues) {
    struct Case {
        const char* key;
        const char* value;
        bool ok;
        const char* expect;  // a fragment of the reason, or of the effect
    };
    const Case cases[] = {
        {"Drive", "", false, "no drive"},
        {"Drive", "7", false, "no drive"},
        {"Drive", "e:", true, "E"},
        {"Blocks", "", false, "No Block Size Selected!"},
        {"Blocks", "XYZ0", false, "No Block Size Selected!"},
        {"Blocks", "a9?b", true, "10,9,11"},
        {"Type", "X", true, "functional"},
        {"Multi", "7", true, "multi 3"},
        {"Multi", "-2", true, "multi 0"},
        {"Time", "0", false, "no time"},
        {"Time", "X", false, "no time"},
        {"Time", "999999", true, "seconds 86400"},
        {"File Size", "-5", true, "file 0"},
    };
    for (const auto& c : cases) {
        Keys keys = good_job();
        keys[c.key] = c.value;
        std::string error;
        auto job = parse_job(reader(keys), &error);
        ASSERT_EQ(job.has_value(), c.ok) << c.key << "=" << c.value << ": " << error;
        if (!c.ok) {
            EXPECT_NE(error.find(c.expect), std::string::npos) << error;
            continue;
        }
        std::string effect = std::string(1, job->drive) + " ";
        for (int b : job->blocks) effect += std::to_string(b) + ",";
        effect += job->type == TestType::Functional ? " functional" : " performance";
        effect += " multi " + std::to_string(job->multi) + " seconds " +
                  std::to_string(job->seconds) + " file " + std::to_string(job->file_size_mb);
        std::string want = c.expect;
        if (want == "10,9,11") want = "10,9,11,";
        EXPECT_NE(effect.find(want), std::string::npos)
            << c.key << "=" << c.value << " -> " << effect;
    }
}

TEST(ParseJob, NeitherReadNorWriteIsRefused) {
    Keys keys = good_job();
    keys["Read"] = "0";
    std::string error;
    EXPECT_FALSE(parse_job(reader(keys), &error));
    EXPECT_NE(error.find("neither"), std::string::npos);
}

// The plan as text: one "R1.0" (side, block, level) per step.
std::string plan_text(bool read, bool write, int multi, std::vector<int> blocks) {
    Job job;
    job.drive = 'D';
    job.read = read;
    job.write = write;
    job.multi = multi;
    job.blocks = std::move(blocks);
    job.seconds = 1;
    std::string text;
    for (const Step& s : plan_job(job)) {
        text += s.side == Side::Read ? "R" : "W";
        text += std::to_string(s.block) + "." + std::to_string(s.level) + " ";
    }
    return text;
}

TEST(PlanJob, StepsFollowSideThenLevelThenBlock) {
    struct Case {
        bool read, write;
        int multi;
        const char* steps;
    };
    const Case cases[] = {
        {true, false, 0, "R1.0 R5.0 "},
        {false, true, 0, "W1.0 W5.0 "},
        {true, true, 0, "R1.0 R5.0 W1.0 W5.0 "},
        {true, false, 1, "R1.0 R5.0 R1.1 R5.1 "},
        {true, false, 2, "R1.0 R5.0 R1.1 R5.1 R1.2 R5.2 "},
        // Level 3 runs the heavy test with the other side instead of the heavy test.
        {true, false, 3, "R1.0 R5.0 R1.1 R5.1 R1.3 R5.3 "},
        {true, true, 3, "R1.0 R5.0 R1.1 R5.1 R1.3 R5.3 W1.0 W5.0 W1.1 W5.1 W1.3 W5.3 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plan_text(c.read, c.write, c.multi, {1, 5}), c.steps)
            << c.read << c.write << " multi " << c.multi;
}

TEST(PlanJob, RolesPerLevel) {
    auto text = [](int level, Side side) {
        std::string t;
        for (const Role& r : roles_for(level, side))
            t += std::to_string(r.tester) + (r.side == Side::Read ? "r " : "w ");
        return t;
    };
    EXPECT_EQ(text(0, Side::Read), "1r ");
    EXPECT_EQ(text(1, Side::Write), "1w 2w ");
    EXPECT_EQ(text(2, Side::Read), "1r 2r 3r ");
    EXPECT_EQ(text(3, Side::Read), "1r 2r 3w ");
    EXPECT_EQ(text(3, Side::Write), "1w 2w 3r ");
}

TEST(TesterFunction, KeysForEachSideAndIdle) {
    using KV = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(tester_function_keys(nullptr), (KV{{"Reading Block", "0"},
                                                 {"Multi-Task Reading", "0"},
                                                 {"Writing Block", "0"},
                                                 {"Multi-Task Writing", "0"}}));
    Step read{Side::Read, 3, 11, {}};
    EXPECT_EQ(tester_function_keys(&read), (KV{{"Reading Block", "11"},
                                               {"Multi-Task Reading", "3"},
                                               {"Writing Block", "0"},
                                               {"Multi-Task Writing", "0"}}));
    Step write{Side::Write, 1, 4, {}};
    EXPECT_EQ(tester_function_keys(&write), (KV{{"Reading Block", "0"},
                                                {"Multi-Task Reading", "0"},
                                                {"Writing Block", "4"},
                                                {"Multi-Task Writing", "1"}}));
}

TEST(Blocks, CodesAndSizes) {
    const char codes[] = "123456789AB";
    const std::uint64_t kib[] = {4, 8, 16, 32, 64, 96, 128, 256, 512, 1024, 4096};
    for (int i = 1; i <= kBlockCount; ++i) {
        EXPECT_EQ(block_index_from_code(codes[i - 1]), i);
        EXPECT_EQ(block_code(i), codes[i - 1]);
        EXPECT_EQ(block_bytes(i), kib[i - 1] * 1024);
    }
    EXPECT_EQ(block_index_from_code('b'), 11);
    EXPECT_EQ(block_index_from_code('0'), 0);
    EXPECT_EQ(block_index_from_code('C'), 0);
    EXPECT_EQ(block_bytes(0), 0u);
    EXPECT_EQ(block_bytes(12), 0u);
}

TEST(Targets, WhichJobsNeedAFileOrTheDevice) {
    struct Case {
        TestType type;
        bool read, write;
        int multi;
        bool file, device;
    };
    const Case cases[] = {
        {TestType::Functional, true, false, 0, true, false},
        {TestType::Performance, true, false, 2, false, true},
        {TestType::Performance, true, false, 3, true, true},  // the third tester writes
        {TestType::Performance, false, true, 0, true, false},
        {TestType::Performance, false, true, 3, true, true},  // the third tester reads the drive
        {TestType::Functional, false, true, 3, true, false},
    };
    for (const auto& c : cases) {
        Job job;
        job.type = c.type;
        job.read = c.read;
        job.write = c.write;
        job.multi = c.multi;
        EXPECT_EQ(needs_test_file(job), c.file) << int(c.type) << c.read << c.write << c.multi;
        EXPECT_EQ(reads_device(job), c.device) << int(c.type) << c.read << c.write << c.multi;
    }
}

TEST(Regions, DistinctAlignedAndInside) {
    const std::uint64_t align = 1 << 20;
    for (std::uint64_t total : {12ull << 20, 200'000'000ull, (1ull << 40) + 12345}) {
        for (int count = 1; count <= 3; ++count) {
            std::uint64_t previous_end = 0;
            for (int i = 0; i < count; ++i) {
                Region r = region_of(total, i, count, align);
                EXPECT_EQ(r.offset % align, 0u);
                EXPECT_EQ(r.length % align, 0u);
                EXPECT_GE(r.offset, previous_end);
                EXPECT_LE(r.offset + r.length, total);
                EXPECT_GT(r.length, 0u);
                previous_end = r.offset + r.length;
            }
        }
    }
}

TEST(Part, TravelsAsOneValueWithBlanksInThePath) {
    Part part{"123.456.7", Side::Write, {1 << 20, 64 << 20},
              98304,       987654321,   "/mnt/my disk/TestB.tmp"};
    std::string text = encode_part(part);
    EXPECT_EQ(text, "123.456.7 W 1048576 67108864 98304 987654321 /mnt/my disk/TestB.tmp");
    Part back;
    ASSERT_TRUE(decode_part(text, back));
    EXPECT_EQ(back.step, part.step);
    EXPECT_EQ(back.side, Side::Write);
    EXPECT_EQ(back.region.offset, part.region.offset);
    EXPECT_EQ(back.region.length, part.region.length);
    EXPECT_EQ(back.block, part.block);
    EXPECT_EQ(back.until_ms, part.until_ms);
    EXPECT_EQ(back.target, part.target);
}

TEST(Part, DamagedValuesAreNoWork) {
    for (const char* text :
         {"", "1.2.3", "1.2.3 X 0 8192 4096 5 /dev/zram1", "1.2.3 R 0 8192 4096 5",
          "1.2.3 R 0 8192 0 5 /f", "1.2.3 R 0 4096 8192 5 /f", "1.2.3 R zero 8192 4096 5 /f"}) {
        Part part;
        EXPECT_FALSE(decode_part(text, part)) << '"' << text << '"';
    }
}

TEST(TesterNumber, FromTheExecutableName) {
    EXPECT_EQ(tester_number("LOADWorker.exe"), 1);
    EXPECT_EQ(tester_number("LoadWorker2.exe"), 2);
    EXPECT_EQ(tester_number("loadworker3.EXE"), 3);
    EXPECT_EQ(tester_number("LOADWorker4.exe"), 0);
    EXPECT_EQ(tester_number("LOADWorker"), 0);
    EXPECT_EQ(test_section(2), "Hard Drive Test 2");
}

}  // namespace
}  // namespace bw::tester
