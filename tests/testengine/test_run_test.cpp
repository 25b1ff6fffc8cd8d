// The run controller over a settings file kept in memory and scripted counter readings: what it
// writes for the testers, when it ends and why, and where each tick's samples go.
#include <gtest/gtest.h>

#include <map>

#include "core/SettingsKeys.h"
#include "testengine/TestPlanning.h"
#include "testengine/TestRun.h"

namespace bw::testengine {
namespace {

class TestRunTest : public ::testing::Test {
public:
    TestRunTest() {
        params_.drive = "D:";
        params_.drive_entry = "D:  315MB SCSI [PD 0 (Volume)]  Loop Device";
        params_.read = true;
        params_.block_codes = "12";
        params_.seconds_per_block = 2;
        params_.estimate_seconds = 4;
        params_.type = JobType::Performance;
        params_.test_folder = "/mnt/d";
        params_.device = "/dev/loop7";
        params_.counter_index = 3;
    }

    RunEnv env() {
        RunEnv e;
        e.read = [this](std::string_view s, std::string_view k) {
            return ini_[std::string(s) + "/" + std::string(k)];
        };
        e.write = [this](std::string_view s, std::string_view k, std::string_view v) {
            const std::string key = std::string(s) + "/" + std::string(k);
            ini_[key] = v;
            order_.push_back(key);
        };
        e.sample = [this] { return reading_; };
        e.tester_running = [this] { return tester_running_; };
        e.tips = {"tip 0", "tip 1", "tip 2"};
        return e;
    }
    std::string& key(std::string_view s, std::string_view k) {
        return ini_[std::string(s) + "/" + std::string(k)];
    }
    // The testers report a step.
    void testers(const char* reading, const char* multi_reading, const char* writing,
                 const char* multi_writing) {
        key(keys::kTesterFunction, keys::kReadingBlock) = reading;
        key(keys::kTesterFunction, keys::kMultiTaskReading) = multi_reading;
        key(keys::kTesterFunction, keys::kWritingBlock) = writing;
        key(keys::kTesterFunction, keys::kMultiTaskWriting) = multi_writing;
    }
    void disk(double read_bytes, double write_bytes = 0) {
        reading_.figures.read_bytes = read_bytes;
        reading_.figures.write_bytes = write_bytes;
        reading_.drive[logical_disk::kBytesPerSec] = read_bytes + write_bytes;
    }

    TestParameters params_;
    std::map<std::string, std::string> ini_;
    std::vector<std::string> order_;
    TickReading reading_;
    bool tester_running_ = true;
};

TEST_F(TestRunTest, OpeningWritesTheJobWithRunLastAndTheLinuxKeys) {
    key(keys::kHardDriveTest1, keys::kError) = "left from an earlier job";
    TestRun run(params_, env());
    run.open();
    EXPECT_EQ(order_.back(), "Hard Drive Test 1/Run");
    EXPECT_EQ(key(keys::kHardDriveTest1, keys::kRun), "1");
    const std::map<std::string_view, std::string> expected = {
        {keys::kDrive, "D"},      {keys::kBlocks, "12"},         {keys::kType, "2"},
        {keys::kFileSize, "0"},   {keys::kClusterSize, "512"},   {keys::kMulti, "0"},
        {keys::kRead, "1"},       {keys::kWrite, "0"},           {keys::kTime, "2"},
        {keys::kTestFolder, "/mnt/d"}, {keys::kDevice, "/dev/loop7"}, {keys::kError, ""},
    };
    for (const auto& [k, v] : expected) EXPECT_EQ(key(keys::kHardDriveTest1, k), v) << k;
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(key(keys::hard_drive_test(n), keys::kFinished), "0");
    EXPECT_EQ(key(keys::kSettings, keys::kOpenTest), "1");
    EXPECT_EQ(key(keys::kSettings, keys::kRunStatus), "0");
    EXPECT_TRUE(run.tick_at_open());
    run.close();
    EXPECT_EQ(key(keys::kSettings, keys::kRunStatus), "1");
}

TEST_F(TestRunTest, FiveTicksWithoutDiskActivityEndTheRun) {
    TestRun run(params_, env());
    run.open();
    for (int t = 1; t <= 4; ++t) EXPECT_EQ(run.tick(), RunEnd::Running) << t;
    EXPECT_EQ(run.tick(), RunEnd::NoActivity);
    EXPECT_EQ(run.failed_start_ticks(), 5);
    EXPECT_GT(run.failed_start_ticks(), kMaxFailedStarts);
}

TEST_F(TestRunTest, ActivityResetsTheStartCheckAndSixActiveTicksEndIt) {
    TestRun run(params_, env());
    run.open();
    for (int t = 0; t < 3; ++t) run.tick();
    disk(1e6);
    run.tick();
    EXPECT_TRUE(run.going());
    EXPECT_EQ(run.failed_start_ticks(), 0);
    for (int t = 0; t < 5; ++t) run.tick();  // six active ticks in all
    disk(0);
    for (int t = 0; t < 10; ++t) EXPECT_EQ(run.tick(), RunEnd::Running) << "quiet pause " << t;
}

TEST_F(TestRunTest, ATesterThatRefusesIsShownAtOnceWithItsReason) {
    TestRun run(params_, env());
    run.open();
    key(keys::kHardDriveTest1, keys::kError) = "The test folder /mnt/d does not exist.";
    EXPECT_EQ(run.tick(), RunEnd::TesterError);
    EXPECT_EQ(run.message(), "The test could not run: The test folder /mnt/d does not exist.");
    EXPECT_EQ(run.failed_start_ticks(), 0);  // not the generic failure
}

TEST_F(TestRunTest, AFirstTesterThatIsGoneEndsTheRun) {
    TestRun run(params_, env());
    run.open();
    disk(1e6);
    testers("1", "0", "0", "0");
    EXPECT_EQ(run.tick(), RunEnd::Running);
    tester_running_ = false;
    EXPECT_EQ(run.tick(), RunEnd::TesterGone);
    EXPECT_NE(run.message().find("LOADWorker.exe is no longer running"), std::string::npos);
}

TEST_F(TestRunTest, FinishedAtTheFirstTickFilesNothingAndMarksTheReportTaken) {
    TestRun run(params_, env());
    run.open();
    disk(5e6);
    testers("1", "0", "0", "0");
    key(keys::kHardDriveTest1, keys::kFinished) = "1";
    EXPECT_EQ(run.tick(), RunEnd::Finished);
    EXPECT_FALSE(run.samples().side(1, 1, Side::Read).ran());
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(key(keys::hard_drive_test(n), keys::kFinished), "2");
    EXPECT_EQ(run.tick(), RunEnd::Finished);  // ended runs stay ended
}

TEST_F(TestRunTest, EachTickIsFiledUnderTheTypeAndBlockTheTestersReport) {
    params_.write = true;
    params_.multi = 3;
    TestRun run(params_, env());
    run.open();
    EXPECT_FALSE(run.tick_at_open());
    const struct {
        const char *r, *mr, *w, *mw;
        int type, block;
        const char* status;
    } steps[] = {
        {"1", "0", "0", "0", 1, 1, "Performing Read Test on D: Drive at 4KB"},
        {"2", "1", "0", "0", 2, 2, "Performing Lite MultiTask Read Test on D: Drive at 8KB"},
        {"2", "3", "0", "0", 4, 2, "Performing Heavy MultiTask Read Test with Write on D: Drive at 8KB"},
        {"0", "0", "1", "0", 5, 1, "Performing Write Test on D: Drive at 4KB"},
        {"0", "0", "11", "2", 7, 11, "Performing Heavy MultiTask Write Test on D: Drive at 4096KB"},
        {"0", "0", "2", "3", 8, 2, "Performing Heavy MultiTask Write Test with Read on D: Drive at 8KB"},
    };
    disk(2e6, 1e6);
    for (const auto& s : steps) {
        testers(s.r, s.mr, s.w, s.mw);
        ASSERT_EQ(run.tick(), RunEnd::Running);
        EXPECT_EQ(run.type(), s.type) << s.status;
        EXPECT_EQ(run.block(), s.block) << s.status;
        EXPECT_EQ(run.status(), s.status);
        const Side side = TestSamples::main_side(s.type);
        EXPECT_EQ(run.samples().side(s.type, s.block, side).sample_count, 1) << s.status;
    }
    // Heavy with the other side files both sides; the others only their own.
    EXPECT_TRUE(run.samples().side(4, 2, Side::Write).ran());
    EXPECT_TRUE(run.samples().side(8, 2, Side::Read).ran());
    EXPECT_FALSE(run.samples().side(1, 1, Side::Write).ran());
    EXPECT_EQ(run.line(), "0-0-2-3-3");
    EXPECT_EQ(run.elapsed(), 6);
}

TEST_F(TestRunTest, IdleTestersFileNothingAndReadOffIgnoresTheReadBlock) {
    params_.read = false;
    params_.write = true;
    TestRun run(params_, env());
    run.open();
    disk(1e6);
    testers("0", "0", "0", "0");
    run.tick();
    EXPECT_EQ(run.type(), 0);
    testers("3", "0", "0", "0");  // a stale read report while only writing runs
    run.tick();
    EXPECT_EQ(run.type(), 0);
    for (int type = 1; type <= kTestTypeCount; ++type)
        for (int block = 1; block <= kBlockCount; ++block)
            EXPECT_FALSE(run.samples().side(type, block, TestSamples::main_side(type)).ran());
}

TEST_F(TestRunTest, TipsAdvanceEveryThirtiethTickAndWrapAround) {
    key(keys::kSettings, keys::kShowIt) = "2";
    TestRun run(params_, env());
    run.open();
    EXPECT_EQ(run.tip(), "tip 2");
    disk(1e6);
    for (int t = 1; t < 30; ++t) run.tick();
    EXPECT_EQ(run.tip(), "tip 2");
    run.tick();
    EXPECT_EQ(run.tip(), "tip 0");
    EXPECT_EQ(key(keys::kSettings, keys::kShowIt), "0");
}

TEST_F(TestRunTest, ProgressTexts) {
    EXPECT_EQ(progress_percent_text(1, 8), "12.5%");
    EXPECT_EQ(progress_percent_text(3, 0), "0.0%");
    EXPECT_EQ(time_left_text(5, 3730), "Est: 1:02:05");
    EXPECT_EQ(time_left_text(9, 4), "Est: 0:00:00");  // past the estimate
}

TEST_F(TestRunTest, OverallPeaksRiseWithTheDrive) {
    TestRun run(params_, env());
    run.open();
    disk(3e6, 2e6);
    run.tick();
    EXPECT_TRUE(run.last_rise().read);
    EXPECT_TRUE(run.last_rise().write);
    disk(1e6, 1e6);
    run.tick();
    EXPECT_FALSE(run.last_rise().read);
    EXPECT_DOUBLE_EQ(run.samples().peak_read_bytes, 3e6);
}

}  // namespace
}  // namespace bw::testengine
