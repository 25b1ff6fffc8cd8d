#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "core/private_profile.h"
#include "support/fakes.h"
#include "tester/Watch.h"

namespace bw::tester {
namespace {

class WatchTest : public ::testing::Test {
  protected:
    void set(const char* key, const std::string& value) {
        profile::write_string(dir_ / "DariDozodaz.dat", "Settings", key, value);
    }
    test::TempDir dir_;
};

TEST_F(WatchTest, RunStatusCancelsOrEnds) {
    set("Run Status", "0");
    Watch watch(dir_.path());
    EXPECT_EQ(watch.check(), Stop::None);
    const std::pair<const char*, Stop> cases[] = {
        {"1", Stop::Cancel}, {"0", Stop::None}, {"2", Stop::Exit}, {"", Stop::None}};
    for (const auto& [value, expect] : cases) {
        set("Run Status", value);
        watch.wait(1000);  // the change wakes it at once
        EXPECT_EQ(watch.state(), expect) << '"' << value << '"';
        EXPECT_TRUE(watch.take_change());
        EXPECT_FALSE(watch.take_change());
    }
}

TEST_F(WatchTest, WithoutAKeyTheStarterIsWatchedAndASignalEndsAtOnce) {
    Watch watch(dir_.path());
    EXPECT_EQ(watch.watched_pid(), ::getppid());
    EXPECT_EQ(watch.check(), Stop::None);
    g_stop_signal = SIGTERM;
    EXPECT_TRUE(watch.signalled());
    EXPECT_EQ(watch.check(), Stop::Exit);
    g_stop_signal = 0;
    EXPECT_EQ(watch.check(), Stop::None);
}

}  // namespace
}  // namespace bw::tester
