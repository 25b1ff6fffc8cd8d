// Start-up and shutdown scenarios, run headless with scripted prompts and a fake clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/Splash.h"
#include "core/Startup.h"
#include "core/private_profile.h"
#include "support/fakes.h"

namespace bw {
namespace {

using test::FakeClock;
using test::ScriptedPrompt;
using test::TempDir;

// Records what the splash shows.
class RecordingSplash : public SplashView {
public:
    void set_step(std::string_view name) override { steps.emplace_back(name); }
    void set_dots(std::string_view dots) override { longest = std::max(longest, dots.size()); }
    std::vector<std::string> steps;
    size_t longest = 0;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TEMP", work_.path().c_str(), 1);
        ::setenv("BRANTWELL_HOME", prog_.path().c_str(), 1);
        set_splash(&splash_);
        services_.gather_system_info = [this] {
            ++system_info_runs_;
            WriteINI(app().working_ini(), "Settings", "Win Ver", "Debian GNU/Linux 12 (bookworm)");
        };
        services_.build_drive_list = [] {
            return std::vector<std::string>{"C:\\  [250GB SSD] [PD 0] {OS}", "D:\\  [2.00TB] [PD 1]"};
        };
    }
    void TearDown() override {
        set_splash(nullptr);
        release_instance_lock();
        ::unsetenv("TEMP");
        ::unsetenv("BRANTWELL_HOME");
        app() = AppState{};
    }

    // One start of the program up to a main window that accepts input.
    MainWindowState start() {
        MainWindowState state;
        std::string error;
        EXPECT_EQ(LoadingLoad(services_, &error), LoadingResult::ShowMain) << error;
        FrmMainLoad(services_, state);
        return state;
    }
    void clean_exit(const MainWindowState& state) {
        FrmMainUnload(services_, state.options);
        release_instance_lock();
    }
    // The process ended without its unload.
    void crash() { release_instance_lock(); }

    std::string prefs(const char* key) { return ReadINI(app().prefs_ini(), "Settings", key); }
    std::string work(const char* section, const char* key) {
        return ReadINI(app().working_ini(), section, key);
    }

    TempDir work_, prog_;
    ScriptedPrompt prompt_;
    FakeClock clock_;
    test::UsePrompt use_prompt_{prompt_};
    test::UseClock use_clock_{clock_};
    RecordingSplash splash_;
    StartupServices services_;
    int system_info_runs_ = 0;
};

constexpr std::string_view kDisclaimerStart = "Brantwell will put your Hard Drives";
constexpr std::string_view kNoticeStart = "Brantwell will Start a few utilities";

TEST_F(StartupTest, FirstStartWritesDefaultsAndShowsTheDisclaimerOnce) {
    auto state = start();
    EXPECT_EQ(profile::get_keys(app().prefs_ini(), "Settings"),
              (std::vector<std::string>{"Read", "Write", "Block", "Skip Usage", "Type", "Basic Only",
                                        "Good Shutdown", "Bad Shutdown", "Test Time",
                                        "Adjust Test Time", "Always Ignore", "Download Results",
                                        "Check Update", "Shutdown", "Disclaimer"}));
    EXPECT_EQ(prefs("Block"), "5");
    EXPECT_EQ(work("Settings", "Open"), "1");
    EXPECT_EQ(work("Settings", "Run Status"), "0");
    EXPECT_EQ(work("Status", "Program 3"), "0");
    EXPECT_EQ(work("Hard Drive Test 2", "Write Passes"), "X");
    EXPECT_EQ(system_info_runs_, 1);
    EXPECT_EQ(prompt_.count_containing(kDisclaimerStart), 1);
    EXPECT_EQ(prompt_.count_containing(kNoticeStart), 1);
    // Options restored from the defaults: read test, performance type, 64KB only.
    EXPECT_TRUE(state.options.ChkRead.checked);
    EXPECT_EQ(state.options.TestType, 1);
    EXPECT_EQ(block_code(state.options.SelBlock), "5");
    clean_exit(state);

    prompt_.clear();
    auto again = start();
    EXPECT_EQ(prompt_.count_containing(kDisclaimerStart), 0);
    EXPECT_EQ(system_info_runs_, 1) << "cached system facts are not gathered again";
    clean_exit(again);
}

TEST_F(StartupTest, ThirdImproperShutdownIsReportedAndTheCountStartsAgain) {
    // The first start finds no earlier run; each later one follows a run that did not exit.
    for (int run = 1; run <= 5; ++run) {
        prompt_.clear();
        start();
        crash();
        const int expected_messages = (run == 4) ? 1 : 0;
        EXPECT_EQ(prompt_.count_containing(kImproperShutdown), expected_messages) << "start " << run;
        if (run == 4) EXPECT_EQ(prefs("Bad Shutdown"), "0");
    }
    EXPECT_EQ(prefs("Bad Shutdown"), "1") << "counting starts again after the message";
}

TEST_F(StartupTest, CleanExitAfterSixCleanRunsResetsTheImproperCount) {
    for (int run = 0; run < 6; ++run) clean_exit(start());
    EXPECT_EQ(prefs("Good Shutdown"), "6");
    start();
    crash();
    auto state = start();  // finds the improper exit
    EXPECT_EQ(prefs("Bad Shutdown"), "1");
    clean_exit(state);
    EXPECT_EQ(prefs("Bad Shutdown"), "0");
    EXPECT_EQ(prefs("Shutdown"), "1");
    EXPECT_EQ(work("Settings", "Shutdown"), "1");
}

TEST_F(StartupTest, CleanExitFollowedByAStartIsNotImproper) {
    for (int run = 0; run < 5; ++run) clean_exit(start());
    EXPECT_EQ(prefs("Bad Shutdown"), "0");
    EXPECT_EQ(prompt_.count_containing(kImproperShutdown), 0);
}

TEST_F(StartupTest, SecondInstanceEndsSilently) {
    auto state = start();
    std::string error;
    EXPECT_EQ(LoadingLoad(services_, &error), LoadingResult::SecondInstance);
    clean_exit(state);
}

TEST_F(StartupTest, SplashShowsTheStepsInOrderAndNeverMoreThanTwentyDots) {
    services_.counter_steps = [](const std::function<void(const std::string&)>& show) {
        show("Chk Memory");
        show("Load Disk");
    };
    start();
    const std::vector<std::string> expected = {
        "Support Files", "System Info",  "Checking Windows", "Verify Version", "Temp DIR",
        "Start Utilities", "Physical DRV", "Logical DRV",    "Check USB",      "Check Drives",
        "Compare Data",  "Read Data",    "Initializing",     "Chk Memory",     "Load Disk",
        "Starting",      "Dirty Check",  "Load CPU"};
    EXPECT_EQ(splash_.steps, expected);
    EXPECT_LE(splash_.longest, 20u);
}

TEST_F(StartupTest, UnloadSavesOptionsAndTellsTestersToStop) {
    auto state = start();
    state.options.ChkWrite.checked = true;
    state.options.TestType = 0;
    state.options.SelBlock = block_selection("15B");
    state.options.DriveListIndex = 1;
    clean_exit(state);
    EXPECT_EQ(work("Settings", "Run Status"), "2");
    EXPECT_EQ(work("Settings", "Open"), "0");
    EXPECT_EQ(work("Settings", "Last Drive"), "D:\\  [2.00TB] [PD 1]");
    EXPECT_EQ(prefs("Write"), "1");
    EXPECT_EQ(prefs("Type"), "1");
    EXPECT_EQ(prefs("Block"), "15B");

    auto restored = start();
    EXPECT_EQ(restored.options.DriveListIndex, 1);
    EXPECT_EQ(restored.options.TestType, 0);
    EXPECT_EQ(block_code(restored.options.SelBlock), "15B");
}

TEST_F(StartupTest, CountersLeftUnrepairedGiveTheBasicTestOnly) {
    for (bool repaired : {false, true}) {
        SCOPED_TRACE(repaired ? "repaired" : "declined");
        services_.counter_steps = [&](const std::function<void(const std::string&)>&) {
            app().basic_only_mode = !repaired;
        };
        auto state = start();
        EXPECT_EQ(state.options.BasicOnly.checked, !repaired);
        EXPECT_EQ(state.options.BasicOnly.enabled, repaired);
        EXPECT_EQ(state.options.ChkMultiHS.enabled, repaired);
        clean_exit(state);
        // The unload saved the basic-only box; the next case starts from a clear choice.
        WriteINI(app().prefs_ini(), "Settings", "Basic Only", "0");
        app().basic_only_mode = false;
    }
}

TEST_F(StartupTest, DirtyVolumesAreNamedByLetter) {
    services_.is_dirty = [](const std::string& entry) { return entry.front() == 'D'; };
    start();
    EXPECT_EQ(prompt_.count_containing(std::string("D") + std::string(kDirtySuffix)), 1);
    EXPECT_EQ(prompt_.count_containing(std::string("C") + std::string(kDirtySuffix)), 0);
}

TEST_F(StartupTest, PreferencesWithReadPresentAreNotRefilled) {
    // A preferences file that has "Read" is initialised, whatever else it lacks.
    ::setenv("BRANTWELL_HOME", prog_.path().c_str(), 1);
    WriteINI(prog_.path() / "DariDozodaz.dat", "Settings", "Read", "0");
    auto state = start();
    EXPECT_EQ(prefs("Write"), "");
    EXPECT_EQ(app().test_time, "30") << "an empty Test Time reads as 30";
    EXPECT_FALSE(state.options.ChkRead.checked);
}

}  // namespace
}  // namespace bw
