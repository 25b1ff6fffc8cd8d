// `brantwell-cli --version`: the version line and the build date; with --verbose also the steps
// this version does not have, one line each, exactly as the desktop program's About window lists
// them.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>

#include "core/StartSteps.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

TEST(VersionCli, VerboseListsTheStepsThatAreNotAvailable) {
    const std::string cli = (test::binary_dir() / "src/cli/brantwell-cli").string();
    std::string out;
    ASSERT_EQ(test::run_shell(cli + " --version", &out), 0);
    // The version line, then the day this program was built: not a fixed text, and not later
    // than today.
    std::smatch built;
    ASSERT_TRUE(std::regex_match(out, built, std::regex("(.*), built (\\d{4}-\\d{2}-\\d{2})\n")))
        << out;
    EXPECT_EQ(built[1].str(), version_line("brantwell-cli"));
    const std::time_t now = std::time(nullptr);
    char today[16];
    std::strftime(today, sizeof today, "%Y-%m-%d", std::gmtime(&now));
    EXPECT_LE(built[2].str(), std::string(today));
    EXPECT_GT(built[2].str(), std::string("2026-01-01"));
    const std::string first_line = built[1].str() + ", built " + built[2].str();

    out.clear();
    ASSERT_EQ(test::run_shell(cli + " --version --verbose", &out), 0);
    const std::string about = about_text(program_steps(), "brantwell-cli");
    EXPECT_EQ(out, first_line + about.substr(version_line("brantwell-cli").size()) + "\n");
    EXPECT_NE(out.find("\nstarter at exit: not available in this version\n"), std::string::npos);

    out.clear();
    EXPECT_NE(test::run_shell(cli + " --verbose 2>&1", &out), 0) << "--verbose alone is refused";
    EXPECT_NE(out.find("--version"), std::string::npos) << out;
}

}  // namespace
}  // namespace bw
