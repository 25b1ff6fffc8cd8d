// The main test end to end through the window, offscreen: the program's start-up in this process,
// the "Run Test" action with the test window over real testers on a zram RAM disk, the window
// closed once the testers finish, and no tester I/O after that.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <thread>

#include "core/AppState.h"
#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "core/ui/QtClock.h"
#include "core/ui/UiRegistry.h"
#include "support/fakes.h"
#include "support/scratch_device.h"
#include "testengine/ui/TestForm.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every question answered Yes, every message kept.
class YesPrompt : public Prompt {
public:
    void message(std::string_view text, std::string_view, PromptIcon) override {
        shown.emplace_back(text);
    }
    bool yes_no(std::string_view text, std::string_view, PromptIcon) override {
        shown.emplace_back(text);
        return true;
    }
    bool ok_cancel(std::string_view text, std::string_view, PromptIcon) override {
        shown.emplace_back(text);
        return true;
    }
    std::optional<std::string> input(std::string_view, std::string_view,
                                     std::string_view) override {
        return std::nullopt;
    }
    std::vector<std::string> shown;
};

// Bytes a tester has read and written so far.
long long moved(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0, sum = 0;
    while (in >> key >> value)
        if (key == "rchar:" || key == "wchar:") sum += value;
    return sum;
}

int qt_argc = 1;
char qt_name[] = "main_test_window";
char* qt_argv[] = {qt_name, nullptr};

TEST(MainTestWindow, RunsToTheEndAndTheTestersStopWhenItCloses) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Lives as long as the test only: a QApplication left to the static destructors outlives the
    // platform plugin it depends on.
    QApplication qt(qt_argc, qt_argv);
    test::ScratchZram zram({1024, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    test::TempDir work, home;
    ::setenv("TEMP", work.path().c_str(), 1);
    ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
    YesPrompt prompt;
    test::UsePrompt use_prompt(prompt);
    QtClock qt_clock;
    test::UseClock use_clock(qt_clock);

    const StartSteps steps = program_steps();
    std::string error;
    ASSERT_EQ(LoadingLoad(steps, &error), LoadingResult::ShowMain) << error;
    MainWindowState state;
    FrmMainLoad(steps, state);
    MainOptions& o = state.options;
    for (size_t i = 0; i < o.DriveList.size(); ++i)
        if (o.DriveList[i].find("RAM") != std::string::npos) o.DriveListIndex = static_cast<int>(i);
    ASSERT_NE(o.DriveListIndex, -1) << "the RAM disk is not in the drive list";
    const std::string drive = o.selected_drive().substr(0, 2);
    o.ChkRead.checked = o.ChkWrite.checked = true;
    o.ChkMulti.checked = o.ChkMultiH.checked = o.ChkMultiHS.checked = false;
    o.BasicOnly.checked = o.TestAllDrv.checked = false;
    o.IgnoreME.checked = true;
    o.TestType = 0;  // Functional
    o.SelBlock = block_selection("12");
    app().test_time = "2";

    UiRegistry registry;
    register_testengine_ui(registry);
    const MenuAction* start = registry.action(kCommand1);
    ASSERT_NE(start, nullptr);

    // Watches for the test window; once the testers finish, keeps what it measured and closes it.
    testengine::TestSamples samples;
    std::string shown_text;
    int run_state = -1;
    bool finished = false;
    bool close_mid_run = false;  // the second run is closed while the testers work
    std::vector<pid_t> testers;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TestForm*>(w); form && form->isVisible()) {
                const bool working = form->run().going() && form->run().elapsed() >= 2;
                if (form->run().end() == testengine::RunEnd::Running && !(close_mid_run && working))
                    return;
                finished = form->run().end() == testengine::RunEnd::Finished;
                samples = form->run().samples();
                shown_text = form->findChild<QPlainTextEdit*>("OverallText")->toPlainText().toStdString();
                run_state = form->run_state();
                for (const auto& name : kTesterFiles)
                    for (pid_t pid : test::running_from(app().working_folder, name))
                        testers.push_back(pid);
                form->close();
            }
    });
    watch.start();
    MainWindowHooks hooks{[] {}, [] {}, [](bool) {}, [] {}};
    MenuContext ctx{nullptr, state, steps, hooks};
    const auto began = std::chrono::steady_clock::now();
    (*start)(ctx);
    watch.stop();
    const auto took = std::chrono::steady_clock::now() - began;

    ASSERT_TRUE(finished) << "the run did not finish; messages: "
                          << (prompt.shown.empty() ? "" : prompt.shown.back());
    EXPECT_EQ(run_state, 0);
    EXPECT_NE(shown_text.find("Peak Overall Rating is "), std::string::npos) << shown_text;
    for (int type : {1, 5})
        for (int block : {1, 2}) {
            const auto& s = samples.side(type, block, testengine::TestSamples::main_side(type));
            SCOPED_TRACE("type " + std::to_string(type) + " block " + std::to_string(block));
            EXPECT_GE(s.sample_count, 1);
            EXPECT_LE(s.sample_count, 4);
            EXPECT_EQ(s.throughput.size(), static_cast<size_t>(s.sample_count));
            EXPECT_GT(s.peak_throughput, 0);
            EXPECT_GT(s.peak_operations, 0);
        }
    EXPECT_LT(took, 120s);
    EXPECT_FALSE(fs::exists(zram.mount_point() / "TestB.tmp"));

    // Closed: the testers are told to stop, and move nothing more.
    ASSERT_FALSE(testers.empty());
    std::this_thread::sleep_for(1s);
    std::map<pid_t, long long> before;
    for (pid_t pid : testers) before[pid] = moved(pid);
    std::this_thread::sleep_for(1s);
    for (pid_t pid : testers) EXPECT_EQ(moved(pid), before[pid]) << "tester " << pid;

    // Closed while the testers work: they stop within a second and leave no test file.
    close_mid_run = true;
    testers.clear();
    watch.start();
    (*start)(ctx);
    watch.stop();
    EXPECT_FALSE(finished);
    ASSERT_FALSE(testers.empty());
    std::this_thread::sleep_for(1s);
    before.clear();
    for (pid_t pid : testers) before[pid] = moved(pid);
    std::this_thread::sleep_for(1s);
    for (pid_t pid : testers) EXPECT_EQ(moved(pid), before[pid]) << "tester " << pid;
    EXPECT_FALSE(fs::exists(zram.mount_point() / "TestB.tmp"));
    EXPECT_EQ(prompt.shown.end(), std::find_if(prompt.shown.begin(), prompt.shown.end(), [](auto& t) {
                  return t.find("Either the Block Size") != std::string::npos;
              }));

    FrmMainUnload(steps, state);
    release_instance_lock();
    ::unsetenv("TEMP");
    ::unsetenv("BRANTWELL_HOME");
    (void)drive;
}

}  // namespace
}  // namespace bw
