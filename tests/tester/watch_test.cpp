#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "core/private_profile.h"
#include "support/fakes.h"
#include "tester/Watch.h"

namespace bw::tester {
namespace {

using test::TempDir;

class WatchTest : public ::testing::Test {
  protected:
    void set(const char* key, const std::string& value) {
        profile::write_string(dir_ / "DariDozodaz.dat", "Settings", key, value);
    }
    TempDir dir_;
};

TEST_F(WatchTest, RunStatusCancelsOrEnds) {
    set("Run Status", "0");
    Watch watch(dir_.path());
    EXPECT_EQ(watch.check(), Stop::None);
    struct Case {
        const char* value;
        Stop expect;
    };
    for (const Case& c : {Case{"1", Stop::Cancel}, Case{"0", Stop::None}, Case{"2", Stop::Exit},
                          Case{"", Stop::None}}) {
        set("Run Status", c.value);
        watch.wait(1000);  // the change wakes it at once
        EXPECT_EQ(watch.state(), c.expect) << '"' << c.value << '"';
        EXPECT_TRUE(watch.take_change());
        EXPECT_FALSE(watch.take_change());
    }
}

TEST_F(WatchTest, TheProgramsEndIsSeen) {
    pid_t program = ::fork();
    if (program == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(program, 0);
    set("Program PID", std::to_string(program));
    Watch watch(dir_.path());
    EXPECT_EQ(watch.watched_pid(), program);
    EXPECT_EQ(watch.check(), Stop::None);
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    watch.wait(1000);
    EXPECT_EQ(watch.state(), Stop::Exit);
}

TEST_F(WatchTest, WithoutAKeyTheStarterIsWatched) {
    Watch watch(dir_.path());
    EXPECT_EQ(watch.watched_pid(), ::getppid());
    EXPECT_EQ(watch.check(), Stop::None);
}

TEST_F(WatchTest, ASignalEndsAtOnce) {
    Watch watch(dir_.path());
    g_stop_signal = SIGTERM;
    EXPECT_TRUE(watch.signalled());
    EXPECT_EQ(watch.check(), Stop::Exit);
    g_stop_signal = 0;
    EXPECT_EQ(watch.check(), Stop::None);
}

}  // namespace
}  // namespace bw::tester
