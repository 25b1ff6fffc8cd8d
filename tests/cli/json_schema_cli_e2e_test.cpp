// The verbs that measure a drive, run on a zram RAM disk the test makes, print JSON that their
// schema files accept, and keep the exit status of a missing drive; short runs, one block each.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>

#include "support/cli.h"
#include "support/fakes.h"
#include "support/json_schema.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

using namespace std::chrono_literals;

class JsonSchemaCliE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
        // Private folders, so a user's own settings and letters are never touched.
        ::setenv("TEMP", work_.path().c_str(), 1);
        ::setenv("BRANTWELL_HOME", home_.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("TEMP");
        ::unsetenv("BRANTWELL_HOME");
    }
    test::TempDir work_, home_;
};

TEST_F(JsonSchemaCliE2e, EveryMeasuringVerbValidates) {
    test::ScratchZram zram({512, "ext4", true});
    ASSERT_TRUE(zram.ok()) << zram.error();
    const std::string drive = test::cli_letter_of(zram.mount_point());
    ASSERT_FALSE(drive.empty());
    const struct {
        const char* verb;
        std::vector<std::string> args;
        bool one_per_line;
    } cases[] = {
        {"test",
         {"test", "--drive", drive, "--read", "--type", "2", "--blocks", "5", "--seconds", "2",
          "--ignore-usage", "--yes", "--json"},
         false},
        {"basic",
         {"basic", "--drive", drive, "--read", "--source", "2", "--blocks", "5", "--seconds", "1",
          "--json"},
         false},
        {"baseline", {"baseline", "--drive", drive, "--json"}, false},
        {"monitor", {"monitor", "--drive", drive, "--count", "2", "--json"}, true},
        {"check", {"check", "--drive", drive, "--json"}, false},
    };
    for (const auto& c : cases) {
        const test::CliRun run = test::run_cli(c.args, 180s);
        SCOPED_TRACE(std::string(c.verb) + "\n" + run.err);
        EXPECT_EQ(0, run.status);
        const test::SchemaCheck check = test::check_against_schema(c.verb, run.out, c.one_per_line);
        if (!check.available) GTEST_SKIP() << check.errors;
        EXPECT_EQ("", check.errors) << run.out.substr(0, 3000);
    }
}

// The main test and the TRIM test start the program's machinery first; a letter that is not
// there still ends with the status of a missing drive.
TEST_F(JsonSchemaCliE2e, AMissingDriveIsStatusFour) {
    const std::vector<std::string> cases[] = {
        {"test", "--drive", "Q:", "--yes", "--ignore-usage"},
        {"trim", "--drive", "Q:", "--yes"},
    };
    for (const auto& args : cases) {
        const test::CliRun run = test::run_cli(args, 120s);
        EXPECT_EQ(4, run.status) << args.front() << "\n" << run.err;
        EXPECT_NE(std::string::npos, run.err.find("Q: is not ")) << run.err;
        EXPECT_EQ("", run.out);
    }
}

}  // namespace
}  // namespace bw
