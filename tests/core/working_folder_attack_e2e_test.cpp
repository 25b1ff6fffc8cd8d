// Another local user against the working folder, with the real testers: a folder swapped in under
// the working folder's name after its check, and our folder in a shared TEMP taken in advance
// (with programs, settings and a list of files to delete planted in it). Neither runs anything of
// theirs nor touches the victim's files, and the program still starts, saying where it works.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/AppState.h"
#include "core/SettingsKeys.h"
#include "core/StartSteps.h"
#include "core/Startup.h"
#include "core/ToolFiles.h"
#include "core/modGeneral.h"
#include "platform/DirectIo.h"
#include "platform/Processes.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::running_from;
using namespace std::chrono_literals;

// A second account, made for the test and removed again whatever the test's outcome.
class OtherUser {
  public:
    OtherUser() : name_("bwattack" + std::to_string(::getpid())) {
        const std::string add = "useradd -M -N -s /usr/sbin/nologin " + name_ + " >/dev/null 2>&1";
        if (std::system(add.c_str()) != 0) return;
        if (const passwd* pw = ::getpwnam(name_.c_str())) uid_ = pw->pw_uid, gid_ = pw->pw_gid;
    }
    ~OtherUser() {
        if (uid_ >= 0) std::system(("userdel " + name_ + " >/dev/null 2>&1").c_str());
    }
    bool ok() const { return uid_ > 0; }
    // Makes `p` theirs, as if they had written it.
    void own(const fs::path& p) const {
        if (::lchown(p.c_str(), static_cast<uid_t>(uid_), static_cast<gid_t>(gid_)) != 0)
            ADD_FAILURE() << "cannot give " << p << " to " << name_;
    }

  private:
    std::string name_;
    long uid_ = -1, gid_ = -1;
};

// What a folder holds, name -> content, to show that nothing in it changed.
std::map<std::string, std::string> contents(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out[e.path().filename()] = e.is_regular_file() ? test::read_file(e.path()) : "<other>";
    return out;
}

class WorkingFolderAttackE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a second user";
        if (!attacker_.ok()) GTEST_SKIP() << "useradd could not make a second user";
        for (const char* dir : {"home", "run", "shared"}) fs::create_directory(scratch_ / dir);
        ASSERT_EQ(::chmod((scratch_ / "run").c_str(), 0700), 0);
        ASSERT_EQ(::chmod((scratch_ / "shared").c_str(), 01777), 0);
        ASSERT_EQ(::chmod(scratch_.path().c_str(), 0755), 0);
        test::write_file(victim_, "the victim's data");
        ::setenv("BRANTWELL_HOME", (scratch_ / "home").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (scratch_ / "run").c_str(), 1);
        steps_.provide(StepId::TesterFile, [](StepContext&) { WriteLOADWorker(); });
    }
    void TearDown() override {
        for (const fs::path& dir : tester_folders_)
            for (auto name : kTesterFiles)
                for (pid_t pid : running_from(dir, name)) ::kill(pid, SIGKILL);
        proc::reap_children();
        release_instance_lock();
        for (const char* var : {"TEMP", "BRANTWELL_HOME", "XDG_RUNTIME_DIR"}) ::unsetenv(var);
        app() = AppState{};
    }

    // The attacker's folder at `dir`: their testers (which would leave a mark if they ran), a
    // settings file and a list that names the victim's file for deletion.
    void plant(const fs::path& dir) {
        fs::create_directory(dir);
        ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
        attacker_.own(dir);
        for (auto name : kTesterFiles) {
            test::write_file(dir / name, "#!/bin/sh\necho ran > " + mark_.string() + "\n");
            ASSERT_EQ(::chmod((dir / name).c_str(), 0755), 0);
        }
        test::write_file(dir / std::string(keys::kSettingsFileName), "[Settings]\nOpen=1\n");
        test::write_file(dir / std::string(kTestFileRecord), victim_.string() + "\n");
        for (const auto& e : fs::directory_iterator(dir)) attacker_.own(e.path());
        planted_ = contents(dir);
    }

    // Nothing of the attacker's ran and nothing of the victim's or the attacker's changed.
    void expect_untouched(const fs::path& planted_dir) {
        std::this_thread::sleep_for(500ms);  // a started script has had time to leave its mark
        EXPECT_FALSE(fs::exists(mark_)) << "the attacker's program ran";
        EXPECT_EQ(test::read_file(victim_), "the victim's data");
        EXPECT_EQ(contents(planted_dir), planted_);
    }

    void expect_testers_from(const fs::path& dir) {
        tester_folders_.push_back(dir);
        for (auto name : kTesterFiles) {
            const auto give_up = std::chrono::steady_clock::now() + 5s;
            while (running_from(dir, name).empty() && std::chrono::steady_clock::now() < give_up)
                std::this_thread::sleep_for(20ms);
            EXPECT_EQ(running_from(dir, name).size(), 1u) << name << " from " << dir;
        }
    }

    OtherUser attacker_;
    test::TempDir scratch_;
    const fs::path victim_ = scratch_ / "victim.txt";
    const fs::path mark_ = scratch_ / "attacker-ran";
    std::map<std::string, std::string> planted_;
    std::vector<fs::path> tester_folders_;
    test::ScriptedPrompt prompt_;
    test::UsePrompt use_prompt_{prompt_};
    StartSteps steps_;
};

// Our folder in a shared TEMP was made first by another user: the program starts in a private
// folder, says so once, and uses nothing that was planted.
TEST_F(WorkingFolderAttackE2E, TakenFolderFallsBackToAPrivateOneWithANote) {
    const fs::path taken = scratch_ / "shared" / ("brantwell-" + std::to_string(::geteuid()));
    plant(taken);
    ::setenv("TEMP", (scratch_ / "shared").c_str(), 1);

    std::string error;
    ASSERT_EQ(LoadingLoad(steps_, &error), LoadingResult::ShowMain) << error;
    EXPECT_EQ(app().working_folder, scratch_ / "run" / "brantwell");
    int notes = 0;
    for (const auto& shown : prompt_.shown())
        if (shown.text.find("The working folder cannot be used") != std::string::npos) {
            ++notes;
            EXPECT_NE(shown.text.find(taken.string()), std::string::npos) << shown.text;
            EXPECT_NE(shown.text.find(app().working_folder.string()), std::string::npos);
        }
    EXPECT_EQ(notes, 1);

    MainWindowState state;
    FrmMainLoad(steps_, state);
    expect_testers_from(app().working_folder);
    expect_untouched(taken);
}

// The working folder is renamed away after its check and another user's folder put under its
// name: the testers are still made and started from the folder that was checked.
TEST_F(WorkingFolderAttackE2E, SwappedFolderRunsOnlyTheCheckedFolderPrograms) {
    const fs::path work = scratch_ / "work", moved = scratch_ / "moved";
    fs::create_directory(work);
    ASSERT_EQ(::chmod(work.c_str(), 0700), 0);
    ::setenv("TEMP", work.c_str(), 1);
    std::string error;
    ASSERT_EQ(LoadingLoad(steps_, &error), LoadingResult::ShowMain) << error;
    ASSERT_EQ(app().working_folder, work);

    fs::rename(work, moved);  // what a writable folder above would have let them do
    plant(work);
    EXPECT_EQ(EnsureTesterCopies(), TesterReasons{});
    for (const auto& why : StartMissingTesters()) EXPECT_EQ(why, "");
    expect_testers_from(moved);
    expect_untouched(work);
    for (auto name : kTesterFiles) EXPECT_TRUE(fs::exists(moved / name)) << name;
}

}  // namespace
}  // namespace bw
