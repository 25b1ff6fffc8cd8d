// brantwell-cli monitor as a script uses it: one JSON object a second with the 28 figures, and a
// clear refusal of a drive it cannot show.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

class CliMonitor : public ::testing::Test {
  protected:
    CliMonitor() { ::setenv("BRANTWELL_HOME", home_.path().c_str(), 1); }
    ~CliMonitor() override { ::unsetenv("BRANTWELL_HOME"); }
    test::TempDir home_;
};

TEST_F(CliMonitor, JsonGivesEveryFigureOncePerSecond) {
    const test::CliRun r = test::run_cli({"monitor", "--drive", "c:", "--count", "2", "--json"});
    if (r.status == 4 && r.err.find("no drive C:") != std::string::npos)
        GTEST_SKIP() << "this machine's root is not on a block device: " << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    int ticks = 0;
    for (std::string line; std::getline(lines, line);) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_EQ(j["tick"], ++ticks);
        EXPECT_EQ(j["drive"], "C:");
        ASSERT_EQ(j["left"].size(), 14u);
        ASSERT_EQ(j["right"].size(), 14u);
        EXPECT_EQ(j["right"][11]["caption"], "System Calls/sec");
        EXPECT_TRUE(j["right"][11]["value"].is_null());
        EXPECT_EQ(j["right"][11]["text"], "n/a");
        EXPECT_GT(j["readings"]["available_bytes"].get<double>(), 0);
        EXPECT_GT(j["left"][1]["value"].get<double>(), 0);  // free megabytes of "/"
    }
    EXPECT_EQ(ticks, 2);
}

TEST_F(CliMonitor, TextPipedShowsEachTickInTurn) {
    const test::CliRun r = test::run_cli({"monitor", "--drive", "C:\\", "--count", "2"});
    if (r.status == 4) GTEST_SKIP() << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-- 1\nLogical Drive Monitor: C:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("-- 2\n"), std::string::npos);
    EXPECT_EQ(r.out.find("\x1b["), std::string::npos);  // no terminal codes into a pipe
}

TEST_F(CliMonitor, DrivesAndCountsItCannotTakeAreRefused) {
    const std::pair<std::vector<std::string>, const char*> kCases[] = {
        {{"--drive", "Q:"}, "no drive Q: on this machine (drives: "},
        {{"--drive", "12"}, "\"12\" is not a drive letter"},
        {{"--drive", "C:x"}, "\"C:x\" is not a drive letter"},
        {{"--drive", ""}, "\"\" is not a drive letter"},
        {{}, "--drive is required"},
        {{"--drive", "C:", "--count", "-1"}, "Value -1 not in range 0 to"},
    };
    for (const auto& [args, says] : kCases) {
        std::vector<std::string> full = {"monitor"};
        full.insert(full.end(), args.begin(), args.end());
        if (std::find(args.begin(), args.end(), "--count") == args.end())
            full.insert(full.end(), {"--count", "1"});
        const test::CliRun r = test::run_cli(full);
        EXPECT_NE(r.status, 0) << says;
        EXPECT_NE((r.out + r.err).find(says), std::string::npos) << r.out << r.err;
    }
}

}  // namespace
}  // namespace bw
