// The start button's steps over scripted answers and a fake clock: what each answer leads to,
// what is written, and which window opens.
#include <gtest/gtest.h>

#include <map>

#include "core/SettingsKeys.h"
#include "support/fakes.h"
#include "testengine/StartButton.h"
#include "testengine/TestPlanning.h"

namespace bw::testengine {
namespace {

struct Recorder {
    std::map<std::string, std::string> work, prefs;
    std::vector<TestParameters> opened;
    int basic_opened = 0, overall_shown = 0, testers_started = 0;
    std::vector<bool> status_shown;
    std::vector<int> selected;
    int run_state = 0;  // what the test window returns
};

// The start button over recorded windows and settings; tests that try several set-ups make one
// rig per case.
struct StartRig {
    StartRig() : use_prompt_(prompt_), use_clock_(clock_) {
        options_.ChkRead.checked = true;
        options_.SelBlock[0] = options_.SelBlock[1] = true;  // 4KB, 8KB
        options_.IgnoreME.checked = true;
        options_.TestType = 1;
        options_.DriveList = {"D:  315MB SCSI [PD 0 (Volume)]  Loop Device",
                              "E:  1GB RAM 1333 Mhz [PD 1 (Volume)]  RAM Drive"};
        options_.DriveListIndex = 0;
        env_.processors = 2;
        env_.test_time = 2;
        env_.cluster_list = {"D4096"};
        env_.measure_cpu = [this] { return cpu_; };
        env_.start_testers = [this] { ++rec_.testers_started; };
        env_.disk_active_now = [] { return false; };
        env_.show_status = [this](bool v) { rec_.status_shown.push_back(v); };
        env_.free_bytes = [this](char) { return free_; };
        env_.read_work = [this](std::string_view k) { return rec_.work[std::string(k)]; };
        env_.write_work = [this](std::string_view k, std::string_view v) {
            rec_.work[std::string(k)] = v;
        };
        env_.write_prefs = [this](std::string_view k, std::string_view v) {
            rec_.prefs[std::string(k)] = v;
        };
        env_.select_drive = [this](int i) { rec_.selected.push_back(i); };
        env_.open_test_window = [this](const TestParameters& p) {
            rec_.opened.push_back(p);
            return rec_.run_state;
        };
        env_.open_basic_test = [this] { ++rec_.basic_opened; };
        env_.show_overall = [this] { ++rec_.overall_shown; };
    }

    // Activity readings, one per look.
    void activity(std::vector<bool> looks) {
        looks_ = std::move(looks);
        env_.disk_active_now = [this] {
            if (look_ >= looks_.size()) return false;
            return static_cast<bool>(looks_[look_++]);
        };
    }

    StartOutcome press() { return Command1_Click(options_, env_); }

    test::ScriptedPrompt prompt_;
    test::FakeClock clock_;
    test::UsePrompt use_prompt_;
    test::UseClock use_clock_;
    MainOptions options_;
    StartEnv env_;
    Recorder rec_;
    CpuReport cpu_{1.0, ""};
    std::vector<bool> looks_;
    size_t look_ = 0;
    std::optional<std::uint64_t> free_ = 10'000'000'000;
};

class StartButtonTest : public ::testing::Test, public StartRig {};

TEST_F(StartButtonTest, AQuietStartOpensTheTestWindowWithTheParameters) {
    ASSERT_EQ(press(), StartOutcome::Ran);
    ASSERT_EQ(rec_.opened.size(), 1u);
    const TestParameters& p = rec_.opened[0];
    EXPECT_EQ(p.drive, "D:");
    EXPECT_EQ(p.block_codes, "12");
    EXPECT_EQ(p.seconds_per_block, 2);
    EXPECT_EQ(p.estimate_seconds, 4);
    EXPECT_EQ(p.type, JobType::Performance);
    EXPECT_EQ(p.cluster_size, "4096");
    EXPECT_EQ(p.file_size_mb, 0);  // read only: no free-space check
    EXPECT_EQ(rec_.work[std::string(keys::kStopRun)], "0");
    EXPECT_EQ(rec_.prefs[std::string(keys::kBlock)], "12");
    EXPECT_EQ(rec_.testers_started, 1);
    EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(StartButtonTest, EachQuestionAnsweredNoOrCancelStartsNothing) {
    struct Case {
        const char* what;
        std::function<void(StartRig&)> setup;
        const char* title;
    };
    const Case cases[] = {
        {"busy processor, Cancel", [](StartRig& t) { t.cpu_ = {50, "x  CPU Usage: 45%\r\n"}; },
         "High CPU Usage"},
        {"RAM drive on one processor, No",
         [](StartRig& t) {
             t.options_.DriveListIndex = 1;
             t.env_.processors = 1;
             t.cpu_ = {0, ""};
         },
         "Poor Test Results"},
        {"activity now, No",
         [](StartRig& t) {
             t.options_.IgnoreME.checked = false;
             t.activity({true});
         },
         "Disk Activity"},
        {"too little room for writing, No",
         [](StartRig& t) {
             t.options_.ChkWrite.checked = true;
             t.free_ = 400'000'000;
         },
         "Free Space"},
        {"all blocks the first time, No",
         [](StartRig& t) { t.options_.SelBlock.fill(true); }, "Test Time"},
    };
    for (const Case& c : cases) {
        StartRig t;
        c.setup(t);
        t.prompt_.answer_yes(false);
        EXPECT_EQ(t.press(), StartOutcome::Aborted) << c.what;
        EXPECT_TRUE(t.rec_.opened.empty()) << c.what;
        ASSERT_FALSE(t.prompt_.shown().empty()) << c.what;
        EXPECT_EQ(t.prompt_.shown().back().title, c.title) << c.what;
    }
}

TEST_F(StartButtonTest, CpuWarningOkGoesOnAfterMeasuringTwiceWhenNothingWasListed) {
    int measured = 0;
    env_.measure_cpu = [&] {
        ++measured;
        return CpuReport{30, measured == 1 ? "" : "cc1plus  CPU Usage: 29.00%\r\n"};
    };
    prompt_.answer_yes(true);
    EXPECT_EQ(press(), StartOutcome::Ran);
    EXPECT_EQ(measured, 2);
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_NE(prompt_.shown()[0].text.find("cc1plus  CPU Usage: 29.00%"), std::string::npos);
}

TEST_F(StartButtonTest, QuietDriveIsWatchedFifteenSecondsBlinkingTheStatusBox) {
    options_.IgnoreME.checked = false;
    activity(std::vector<bool>(16, false));
    EXPECT_EQ(press(), StartOutcome::Ran);
    EXPECT_EQ(clock_.paused_total(), 15'000);
    ASSERT_EQ(rec_.status_shown.size(), 16u);
    EXPECT_TRUE(rec_.status_shown[0]);
    EXPECT_FALSE(rec_.status_shown[1]);
    EXPECT_FALSE(rec_.status_shown.back());  // hidden afterwards
    EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(StartButtonTest, ActivityDuringTheWatchAsksOnceAtTheEnd) {
    options_.IgnoreME.checked = false;
    std::vector<bool> looks(16, false);
    looks[7] = true;
    activity(looks);
    prompt_.answer_yes(true);
    EXPECT_EQ(press(), StartOutcome::Ran);
    EXPECT_EQ(prompt_.count_containing("D: Drive currently has Activity."), 1);
}

TEST_F(StartButtonTest, NoBlockSelectedSaysSoBeforeWritingTheBlockPreference) {
    options_.SelBlock.fill(false);
    EXPECT_EQ(press(), StartOutcome::Aborted);
    EXPECT_EQ(prompt_.texts(), std::vector<std::string>{"No Block Size Selected!"});
    EXPECT_EQ(rec_.prefs.count(std::string(keys::kBlock)), 0u);
    EXPECT_EQ(rec_.work[std::string(keys::kStopRun)], "0");
}

TEST_F(StartButtonTest, NoDriveSelectedSaysSo) {
    options_.DriveListIndex = -1;
    EXPECT_EQ(press(), StartOutcome::Aborted);
    EXPECT_EQ(prompt_.count_containing("No drive is selected"), 1);
    EXPECT_TRUE(rec_.opened.empty());
}

// Also from a write-only choice: the question offers a read test, not a test of nothing.
TEST_F(StartButtonTest, TooLittleRoomYesRunsReadOnly) {
    options_.ChkRead.checked = false;
    options_.ChkWrite.checked = true;
    free_ = 400'000'000;
    prompt_.answer_yes(true);
    EXPECT_EQ(press(), StartOutcome::Ran);
    ASSERT_EQ(rec_.opened.size(), 1u);
    EXPECT_FALSE(rec_.opened[0].write);
    EXPECT_TRUE(rec_.opened[0].read);
    EXPECT_EQ(rec_.opened[0].file_size_mb, 0);
}

TEST_F(StartButtonTest, WriteTestFileSizeAndUsbRule) {
    options_.ChkWrite.checked = true;
    free_ = 2'000'000'000;
    press();
    ASSERT_EQ(rec_.opened.size(), 1u);
    EXPECT_EQ(rec_.opened[0].file_size_mb, 300);

    StartRig usb;
    usb.options_.DriveList[0] = "D:  32GB USB [PD 0 (Volume)]  Stick";
    usb.options_.ChkWrite.checked = true;
    usb.press();
    ASSERT_EQ(usb.rec_.opened.size(), 1u);
    EXPECT_EQ(usb.rec_.opened[0].file_size_mb, 250);
    EXPECT_EQ(usb.rec_.opened[0].seconds_per_block, 2 + 15);
    EXPECT_EQ(usb.rec_.opened[0].estimate_seconds, rec_.opened[0].estimate_seconds);
}

TEST_F(StartButtonTest, LongTestWarningIsShownOnce) {
    options_.SelBlock.fill(true);
    prompt_.answer_yes(true);
    EXPECT_EQ(press(), StartOutcome::Ran);
    EXPECT_EQ(prompt_.count_containing("Estimated Test Time for Running ALL BlockSizes is  0:"), 1);
    EXPECT_EQ(prompt_.count_containing("Because of the long Test Time"), 1);
    prompt_.clear();
    EXPECT_EQ(press(), StartOutcome::Ran);  // no question scripted: none may be asked
    EXPECT_TRUE(prompt_.shown().empty());
    EXPECT_EQ(rec_.opened.size(), 2u);
}

TEST_F(StartButtonTest, TestersThatNeverStartGetTheFailureMessage) {
    const struct {
        int run_state;
        bool message;
    } cases[] = {{0, false}, {4, false}, {5, true}};
    for (const auto& c : cases) {
        StartRig t;
        t.rec_.run_state = c.run_state;
        t.press();
        EXPECT_EQ(t.prompt_.count_containing("Either the Block Size is too Large"), c.message ? 1 : 0)
            << c.run_state;
    }
}

TEST_F(StartButtonTest, BasicTestOnlyOpensTheBasicTestWithoutMultiTask) {
    options_.BasicOnly.checked = true;
    options_.ChkMultiH.checked = true;
    EXPECT_EQ(press(), StartOutcome::Ran);
    EXPECT_EQ(rec_.basic_opened, 1);
    EXPECT_TRUE(rec_.opened.empty());
    EXPECT_FALSE(options_.ChkMultiH.checked);
}

TEST_F(StartButtonTest, MultiTaskLevelIsTheLastTickedBox) {
    const struct {
        bool lite, heavy, heavy_other;
        int level;
    } cases[] = {{false, false, false, 0}, {true, false, false, 1}, {true, true, false, 2},
                 {true, true, true, 3},    {false, false, true, 3}};
    for (const auto& c : cases) {
        MainOptions o;
        o.ChkMulti.checked = c.lite;
        o.ChkMultiH.checked = c.heavy;
        o.ChkMultiHS.checked = c.heavy_other;
        EXPECT_EQ(multi_level(o), c.level);
    }
}

TEST_F(StartButtonTest, AllDrivesTestsEachEntryThenShowsTheOverallResults) {
    options_.TestAllDrv.checked = true;
    prompt_.answer_yes(true);
    EXPECT_EQ(press(), StartOutcome::Ran);
    ASSERT_EQ(rec_.opened.size(), 2u);
    EXPECT_EQ(rec_.opened[0].drive, "D:");
    EXPECT_EQ(rec_.opened[1].drive, "E:");
    EXPECT_TRUE(rec_.opened[1].is_ram);
    EXPECT_EQ(rec_.opened[1].cluster_size, "512");
    EXPECT_EQ(rec_.selected, (std::vector<int>{0, 1}));
    EXPECT_EQ(rec_.overall_shown, 1);
    EXPECT_EQ(prompt_.count_containing("Estimated Test Time for 2 Drives Running ALL BlockSizes is  "
                                       "0:00:08."),
              1);
    prompt_.clear();
    press();  // the warning flag is kept: no second question
    EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(StartButtonTest, AllDrivesNoToFreeSpaceEndsTheWholeLoop) {
    options_.TestAllDrv.checked = true;
    options_.ChkWrite.checked = true;
    free_ = 100;
    prompt_.answer_yes(true).answer_yes(false);
    EXPECT_EQ(press(), StartOutcome::Aborted);
    EXPECT_TRUE(rec_.opened.empty());
    EXPECT_EQ(rec_.overall_shown, 0);
}

TEST_F(StartButtonTest, ASecondPressWhileATestRunsIsRefused) {
    StartOutcome inner = StartOutcome::Ran;
    env_.open_test_window = [&](const TestParameters&) {
        inner = Command1_Click(options_, env_);
        return 0;
    };
    EXPECT_EQ(press(), StartOutcome::Ran);
    EXPECT_EQ(inner, StartOutcome::AlreadyRunning);
    EXPECT_EQ(prompt_.count_containing("A test is already running."), 1);
    EXPECT_EQ(press(), StartOutcome::Ran);  // free again afterwards
}

}  // namespace
}  // namespace bw::testengine
