// The start-up as the program runs it, with the real testers, when TEMP is relative or lies under
// a symlinked folder: the testers start from the resolved working folder, report in, are found by
// their executables' paths and are stopped again, with no second copy started.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/StartSteps.h"
#include "core/Startup.h"
#include "core/ToolFiles.h"
#include "core/modGeneral.h"
#include "core/modKill.h"
#include "platform/Processes.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::running_from;
using namespace std::chrono_literals;

// The scratch folder holds "real/work" and "link" -> "real"; TEMP is given relative to it (it is
// the current folder) or absolute ("{s}"); either way the working folder is real/work.
const struct TempCase {
    const char* name;
    const char* temp;
} kCases[] = {
    {"relative", "real/work"},
    {"under_symlink", "{s}/link/work"},
    {"relative_under_symlink", "link/work"},
};

void PrintTo(const TempCase& c, std::ostream* os) {
    *os << c.name;
}

class TesterStartE2E : public ::testing::TestWithParam<TempCase> {
  protected:
    void SetUp() override {
        fs::create_directories(scratch_ / "real/work");
        fs::create_directory(scratch_ / "home");
        fs::create_directory_symlink(scratch_ / "real", scratch_ / "link");
        working_ = fs::canonical(scratch_ / "real/work");
        std::string temp = GetParam().temp;
        if (temp.rfind("{s}", 0) == 0) temp = scratch_.path().string() + temp.substr(3);
        ASSERT_EQ(::chdir(scratch_.path().c_str()), 0);
        ::setenv("TEMP", temp.c_str(), 1);
        ::setenv("BRANTWELL_HOME", (scratch_ / "home").c_str(), 1);
        steps_.provide(StepId::TesterFile, [](StepContext&) { WriteLOADWorker(); });
    }
    void TearDown() override {
        for (auto name : kTesterFiles)
            for (pid_t pid : running_from(working_, name)) ::kill(pid, SIGKILL);
        proc::reap_children();
        release_instance_lock();
        ::unsetenv("TEMP");
        ::unsetenv("BRANTWELL_HOME");
        if (::chdir(was_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << was_;
        app() = AppState{};
    }

    bool reported_in(int tester) const {
        return ReadINI(app().working_ini(), keys::kStatus, keys::program_status(tester)) == "1";
    }

    const fs::path was_ = fs::current_path();
    test::TempDir scratch_;
    fs::path working_;
    test::ScriptedPrompt prompt_;
    test::UsePrompt use_prompt_{prompt_};
    StartSteps steps_;
};

TEST_P(TesterStartE2E, StartsFindsAndStopsItsThreeTesters) {
    std::string error;
    ASSERT_EQ(LoadingLoad(steps_, &error), LoadingResult::ShowMain) << error;
    EXPECT_EQ(app().working_folder, working_) << "absolute, with the symlink resolved";
    MainWindowState state;
    FrmMainLoad(steps_, state);

    // On a busy machine a tester may report in after the program's one-second wait; that is
    // told as such. A tester that could not be started is a failure.
    for (const auto& shown : prompt_.shown()) {
        if (shown.text.find(kTesterNotStarted) == std::string::npos) continue;
        EXPECT_NE(shown.text.find("has not reported in"), std::string::npos) << shown.text;
    }
    for (int n = 1; n <= 3; ++n) {
        const auto give_up = std::chrono::steady_clock::now() + 10s;
        while (!reported_in(n) && std::chrono::steady_clock::now() < give_up)
            std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(reported_in(n)) << "tester " << n;
    }
    for (auto name : kTesterFiles) {
        const std::vector<pid_t> pids = running_from(working_, name);
        ASSERT_EQ(pids.size(), 1u) << name << ": one copy, from the working folder";
        EXPECT_EQ(FindProcessWindow(name, app().working_folder), pids[0]) << name;
    }

    StopTesters();
    for (auto name : kTesterFiles) {
        EXPECT_TRUE(running_from(working_, name).empty()) << name << " still runs";
        EXPECT_EQ(FindProcessWindow(name, app().working_folder), 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Temp, TesterStartE2E, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bw
