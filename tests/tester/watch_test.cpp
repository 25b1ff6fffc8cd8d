#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "core/private_profile.h"
#include "support/fakes.h"
#include "tester/Watch.h"

namespace bw::tester {
namespace {

TEST(Watch, RunStatusCancelsOrEnds) {
    test::TempDir dir;
    auto set = [&](const char* value) {
        profile::write_string(dir / "DariDozodaz.dat", "Settings", "Run Status", value);
    };
    set("0");
    Watch watch(dir.path());
    EXPECT_EQ(watch.check(), Stop::None);
    const std::pair<const char*, Stop> cases[] = {
        {"1", Stop::Cancel}, {"0", Stop::None}, {"2", Stop::Exit}, {"", Stop::None}};
    for (const auto& [value, expect] : cases) {
        set(value);
        watch.wait(1000);  // the change wakes it at once
        EXPECT_EQ(watch.state(), expect) << '"' << value << '"';
        EXPECT_TRUE(watch.take_change());
        EXPECT_FALSE(watch.take_change());
    }
}

TEST(Watch, WithoutAKeyTheStarterIsWatchedAndASignalEndsAtOnce) {
    test::TempDir dir;
    Watch watch(dir.path());
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
