// Start-up and shutdown scenarios, run headless with scripted prompts and a fake clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/Splash.h"
#include "core/Startup.h"
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
        steps_.provide(StepId::SystemInfo, [this](StepContext&) {
            ++system_info_runs_;
            WriteINI(app().working_ini(), "Settings", "Win Ver", "Debian GNU/Linux 12 (bookworm)");
        });
        steps_.provide(StepId::DriveList, [](StepContext& ctx) {
            ctx.state.options.DriveList = {"C:\\  [250GB SSD] [PD 0] {OS}",
                                           "D:\\  [2.00TB] [PD 1]"};
        });
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
        EXPECT_EQ(LoadingLoad(steps_, &error), LoadingResult::ShowMain) << error;
        FrmMainLoad(steps_, state);
        return state;
    }
    void clean_exit(MainWindowState state) {
        FrmMainUnload(steps_, state);
        release_instance_lock();
    }
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
    StartSteps steps_;
    int system_info_runs_ = 0;
};

constexpr std::string_view kDisclaimerStart = "Brantwell will put your Hard Drives";
constexpr std::string_view kNoticeStart = "Brantwell will Start a few utilities";

TEST_F(StartupTest, FirstStartPreparesTheFilesAndShowsTheDisclaimerOnce) {
    auto state = start();
    // What the testers read from the working file before they are told anything.
    for (const auto& [section, key, value] :
         {std::array<const char*, 3>{"Settings", "Open", "1"}, {"Settings", "Run Status", "0"},
          {"Status", "Program 3", "0"}, {"Hard Drive Test 2", "Write Passes", "X"}})
        EXPECT_EQ(work(section, key), value) << key;
    EXPECT_EQ(system_info_runs_, 1);
    EXPECT_EQ(prompt_.count_containing(kDisclaimerStart), 1);
    EXPECT_EQ(prompt_.count_containing(kNoticeStart), 1);
    // Options restored from the defaults: read test, performance type, 64KB only, all boxes free.
    EXPECT_TRUE(state.options.BasicOnly.enabled && state.options.ChkMultiHS.enabled);
    EXPECT_TRUE(state.options.ChkRead.checked);
    EXPECT_EQ(state.options.TestType, 1);
    EXPECT_EQ(block_code(state.options.SelBlock), "5");
    EXPECT_EQ(LoadingLoad(steps_, nullptr), LoadingResult::SecondInstance);
    clean_exit(state);

    prompt_.clear();
    clean_exit(start());
    EXPECT_EQ(prompt_.count_containing(kDisclaimerStart), 0);
    EXPECT_EQ(system_info_runs_, 1) << "cached system facts are not gathered again";
}

// Runs in a row, each a start followed by a clean exit ('c') or by the end of the process
// without its unload ('x'), and what the counts are after them. The first start finds no run
// before it; the third improper exit in a row is reported and the count starts again; more than
// five clean exits clear it.
TEST_F(StartupTest, ImproperShutdownsAreCountedAndReported) {
    const struct {
        const char *runs, *bad_after;
        int messages;
    } kCases[] = {{"xxxxxc", "2", 1}, {"cccxc", "1", 0}, {"ccccccxc", "0", 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.runs);
        std::filesystem::remove(prog_ / "DariDozodaz.dat");
        prompt_.clear();
        for (const char* run = c.runs; *run; ++run) {
            auto state = start();
            if (*run == 'c') clean_exit(state);
            release_instance_lock();
        }
        EXPECT_EQ(prefs("Bad Shutdown"), c.bad_after);
        EXPECT_EQ(prompt_.count_containing(kImproperShutdown), c.messages);
        EXPECT_EQ(work("Settings", "Shutdown"), "1") << "a clean exit marks the working file too";
    }
}

// The version check and the results download run only when the preferences ask for them; a step
// nobody provides is passed by (it is listed as not available instead).
TEST_F(StartupTest, PreferenceStepsRunWhenAskedFor) {
    int version_checks = 0, downloads = 0;
    steps_.provide(StepId::VersionCheck, [&](StepContext&) { ++version_checks; });
    steps_.provide(StepId::ResultDownload, [&](StepContext&) { ++downloads; });
    const struct {
        const char *check_update, *download_results;
        int version_checks, downloads;  // in the second start; the first has the defaults, "1"
    } kCases[] = {{"1", "1", 1, 1}, {"0", "1", 0, 1}, {"1", "0", 1, 0}, {"0", "0", 0, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.check_update) + c.download_results);
        std::filesystem::remove(prog_ / "DariDozodaz.dat");
        version_checks = downloads = 0;
        auto state = start();
        WriteINI(app().prefs_ini(), keys::kSettings, keys::kCheckUpdate, c.check_update);
        WriteINI(app().prefs_ini(), keys::kSettings, keys::kDownloadResults, c.download_results);
        clean_exit(state);
        clean_exit(start());
        EXPECT_EQ(version_checks, 1 + c.version_checks);
        EXPECT_EQ(downloads, 1 + c.downloads);
    }
}

// What this version lacks, as the About window and `brantwell-cli --version --verbose` list it:
// exactly the steps that no subsystem provides yet, in the order a run meets them.
TEST(ProgramSteps, OnlyTheStepsNotBuiltAreListedAsNotAvailable) {
    const std::vector<std::string> expected = {
        "version check: not available in this version",
        "global results download: not available in this version",
        "starter at exit: not available in this version",
    };
    EXPECT_EQ(not_available_lines(program_steps()), expected);
    StartSteps all = program_steps();
    for (const auto& info : kStepTable) all.provide(info.id, [](StepContext&) {});
    EXPECT_TRUE(not_available_lines(all).empty());
    EXPECT_EQ(about_text(all, "brantwell-cli").find('\n'), std::string::npos);
}

TEST_F(StartupTest, SplashShowsTheStepsInOrderAndDirtyVolumesAreNamedByLetter) {
    steps_.provide(StepId::CounterGroups, [](StepContext& ctx) {
        ctx.show_step("Chk Memory");
        ctx.show_step("Load Disk");
    });
    steps_.provide(StepId::DirtyCheck, [](StepContext& ctx) {
        for (const auto& entry : ctx.state.options.DriveList)
            if (entry.front() == 'D') ctx.dirty_entries.push_back(entry);
    });
    start();
    const std::vector<std::string> expected = {
        "Support Files", "System Info",  "Checking Windows", "Verify Version", "Temp DIR",
        "Start Utilities", "Physical DRV", "Logical DRV",    "Check USB",      "Check Drives",
        "Compare Data",  "Read Data",    "Initializing",     "Chk Memory",     "Load Disk",
        "Starting",      "Dirty Check",  "Load CPU"};
    EXPECT_EQ(splash_.steps, expected);
    EXPECT_LE(splash_.longest, 20u);
    EXPECT_EQ(prompt_.count_containing(std::string("D") + std::string(kDirtySuffix)), 1);
    EXPECT_EQ(prompt_.count_containing(std::string("C") + std::string(kDirtySuffix)), 0);
}

TEST_F(StartupTest, UnloadSavesOptionsAndTellsTestersToStop) {
    auto state = start();
    state.options.ChkWrite.checked = true;
    state.options.TestType = 0;
    state.options.SelBlock = block_selection("15B");
    state.options.DriveListIndex = 1;
    clean_exit(state);
    // Run Status 2 and Open 0 tell the testers to stop.
    for (const auto& [section, key, value] :
         {std::array<const char*, 3>{"Settings", "Run Status", "2"}, {"Settings", "Open", "0"},
          {"Settings", "Last Drive", "D:\\  [2.00TB] [PD 1]"}})
        EXPECT_EQ(work(section, key), value) << key;
    EXPECT_EQ((std::vector{prefs("Write"), prefs("Type"), prefs("Block")}),
              (std::vector<std::string>{"1", "1", "15B"}));

    auto restored = start();
    EXPECT_EQ(restored.options.DriveListIndex, 1);
    EXPECT_EQ(restored.options.TestType, 0);
    EXPECT_EQ(block_code(restored.options.SelBlock), "15B");
}

TEST_F(StartupTest, CountersLeftUnrepairedGiveTheBasicTestOnly) {
    steps_.provide(StepId::CounterGroups, [](StepContext&) {
        app().basic_only_mode = true;  // the repair was declined or failed
    });
    auto state = start();
    EXPECT_TRUE(state.options.BasicOnly.checked);
    EXPECT_FALSE(state.options.BasicOnly.enabled);
    EXPECT_FALSE(state.options.ChkMultiHS.enabled);
}

TEST_F(StartupTest, PreferencesWithReadPresentAreNotRefilled) {
    // A preferences file that has "Read" is initialised, whatever else it lacks.
    WriteINI(prog_.path() / "DariDozodaz.dat", "Settings", "Read", "0");
    auto state = start();
    EXPECT_EQ(prefs("Write"), "");
    EXPECT_EQ(app().test_time, "30") << "an empty Test Time reads as 30";
    EXPECT_FALSE(state.options.ChkRead.checked);
}

}  // namespace
}  // namespace bw
