// The contract with the testers: what the program writes is what a tester reads back, key by key
// in the order the testers rely on, and the tables both sides share.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/SettingsDefaults.h"
#include "core/TesterProtocol.h"

namespace bw {
namespace {

// The job as one line: drive, blocks, Functional/Performance, file size, cluster size,
// multi-task level, Read/Write, seconds per block, test folder and device.
std::string describe(const TesterJob& j) {
    std::string blocks;
    for (int b : j.blocks) blocks += (blocks.empty() ? "" : ",") + std::to_string(b);
    return std::string(1, j.drive) + " " + blocks +
           (j.type == JobType::Functional ? " F " : " P ") + std::to_string(j.file_size_mb) +
           "MB c" + j.cluster_size + " m" + std::to_string(j.multi) + " " + (j.read ? "R" : "-") +
           (j.write ? "W " : "- ") + std::to_string(j.seconds) + "s " + j.test_folder + "|" +
           j.device;
}

// Every block, both job types, every multi-task level and every read/write combination: what
// write_job writes, parse_job reads back unchanged, and "Run" comes last.
TEST(TesterJob, WrittenJobsReadBackTheSame) {
    const struct {
        JobType type;
        bool read, write;
    } kShapes[] = {
        {JobType::Functional, true, false},  {JobType::Functional, false, true},
        {JobType::Functional, true, true},   {JobType::Performance, true, false},
        {JobType::Performance, false, true}, {JobType::Performance, true, true},
    };
    for (int block = 1; block <= kBlockCount; ++block)
        for (const auto& shape : kShapes)
            for (int multi = 0; multi <= kMaxMultiLevel; ++multi) {
                TesterJob job;
                job.drive = 'E';
                // This block alone, then after another: the order of "Blocks" is kept.
                job.blocks = block == 1 ? std::vector<int>{1} : std::vector<int>{block, 1};
                job.type = shape.type;
                job.file_size_mb = 250;
                job.cluster_size = "4096";
                job.multi = multi;
                job.read = shape.read;
                job.write = shape.write;
                job.seconds = 30;
                job.test_folder = "/mnt/my disk";
                job.device = "/dev/sdb1";

                std::map<std::string, std::string, std::less<>> keys;
                std::vector<std::string> order;
                write_job(job, [&](std::string_view k, std::string_view v) {
                    keys[std::string(k)] = v;
                    order.emplace_back(k);
                });
                std::string error;
                auto back =
                    parse_job([&](std::string_view k) { return keys[std::string(k)]; }, &error);
                SCOPED_TRACE(describe(job));
                ASSERT_TRUE(back) << error;
                EXPECT_EQ(describe(*back), describe(job));
                EXPECT_EQ(order.back(), "Run");
                EXPECT_EQ(keys["Run"], "1");
            }
}

// The program's order of the job keys; a tester starts on "Run", so it must be last.
TEST(TesterJob, KeysInTheProgramsOrder) {
    TesterJob job;
    job.drive = 'D';
    job.blocks = {5};
    std::string order;
    write_job(job, [&](std::string_view k, std::string_view) { order += std::string(k) + ";"; });
    EXPECT_EQ(order,
              "Drive;Blocks;Type;File Size;Cluster Size;Multi;Read;Write;Time;Test Folder;Device;"
              "Run;");
}

// One key of a good job changed (the first row changes none): what the tester makes of it, or
// why it refuses the job.
TEST(TesterJob, ReadsLenientlyAndRefusesWithAReason) {
    const struct {
        const char *key, *value;
        bool ok;
        const char* expect;  // the job described, or a fragment of the reason
    } cases[] = {
        {"", "", true, "D 1,5,11 P 300MB c m2 R- 30s |"},
        {"Drive", "e:", true, "E 1,5,11 P 300MB c m2 R- 30s |"},
        {"Blocks", "a9?bC0", true, "D 10,9,11 P 300MB c m2 R- 30s |"},
        {"Type", "X", true, "D 1,5,11 F 300MB c m2 R- 30s |"},
        {"Multi", "7", true, "D 1,5,11 P 300MB c m3 R- 30s |"},
        {"Multi", "-2", true, "D 1,5,11 P 300MB c m0 R- 30s |"},
        {"Time", "999999", true, "D 1,5,11 P 300MB c m2 R- 86400s |"},
        {"File Size", "-5", true, "D 1,5,11 P 0MB c m2 R- 30s |"},
        {"Write", "1", true, "D 1,5,11 P 300MB c m2 RW 30s |"},
        {"Device", "/dev/zram0", true, "D 1,5,11 P 300MB c m2 R- 30s |/dev/zram0"},
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

// Block codes: upper case for the program's lists, any case for a tester; nothing outside the
// table moves bytes.
TEST(BlockTable, CodesAndSizes) {
    const struct {
        char code;
        bool any_case;
        int index;
    } kCodes[] = {{'1', false, 1}, {'9', false, 9}, {'A', false, 10}, {'B', false, 11},
                  {'a', false, 0}, {'a', true, 10}, {'b', true, 11},  {'0', true, 0},
                  {'C', true, 0},  {'\0', true, 0}};
    for (const auto& c : kCodes)
        EXPECT_EQ(block_index_from_code(c.code, c.any_case), c.index) << c.code << c.any_case;
    EXPECT_EQ(std::string({block_code_char(1), block_code_char(10), block_code_char(11),
                           block_code_char(0), block_code_char(12)}),
              "1AB00");
    EXPECT_EQ(block_transfer_bytes(6), 98304u);  // "96KB": 24 pages
    EXPECT_EQ(block_transfer_bytes(0) + block_transfer_bytes(kBlockCount + 1), 0u);
    EXPECT_EQ(block_size(11)->report_bytes, 4096000u);
}

// Which type a side at a level is: what the test window files each tick's samples under.
TEST(TestTypes, SideAndLevelGiveTheNumber) {
    std::string numbers;
    for (Side side : {Side::Read, Side::Write})
        for (int level = 0; level <= kMaxMultiLevel + 1; ++level) {
            const TestTypeRow* t = test_type(side, level);
            numbers += t ? std::to_string(t->number) : "-";
        }
    EXPECT_EQ(numbers, "1234-5678-");
    EXPECT_EQ(test_type(Side::Read, 3)->label, "Heavy Multi-Task Write");
    EXPECT_EQ(test_type(Side::Write, 3)->label, "Heavy Multi-Task Read");
}

TEST(TesterFiles, NumberFromTheExecutableName) {
    std::string numbers;
    for (const char* name : {"LOADWorker.exe", "LoadWorker2.exe", "loadworker3.EXE",
                             "LOADWorker4.exe", "LOADWorker", "LOADWorker.exe.bak", ""})
        numbers += std::to_string(tester_number(name));
    EXPECT_EQ(numbers, "1230000");
}

// The tester's report while idle and during a step.
TEST(TesterFunction, OneSideReportsTheOtherIsIdle) {
    using Keys = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(tester_function_keys(std::nullopt, 5, 2), (Keys{{"Reading Block", "0"},
                                                              {"Multi-Task Reading", "0"},
                                                              {"Writing Block", "0"},
                                                              {"Multi-Task Writing", "0"}}));
    EXPECT_EQ(tester_function_keys(Side::Write, 11, 3), (Keys{{"Reading Block", "0"},
                                                              {"Multi-Task Reading", "0"},
                                                              {"Writing Block", "11"},
                                                              {"Multi-Task Writing", "3"}}));
}

// A new preferences file and the start-up reset write these lists in this order.
TEST(SettingsTable, StartUpListsInTheirOrder) {
    std::string defaults, resets;
    for (const auto& d : kPreferenceDefaults)
        defaults += std::string(d.key) + "=" + std::string(d.value) + ";";
    for (auto key : kTesterJobKeys) resets += std::string(key) + ";";
    EXPECT_EQ(defaults,
              "Read=1;Write=0;Block=5;Skip Usage=0;Type=2;Basic Only=0;Good Shutdown=0;"
              "Bad Shutdown=0;Test Time=30;Adjust Test Time=1;Always Ignore=0;"
              "Download Results=1;Check Update=1;");
    EXPECT_EQ(resets, "Blocks;Type;File Size;Write Passes;Multi;Read;Write;Time;");
}

}  // namespace
}  // namespace bw
