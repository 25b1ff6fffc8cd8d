// `brantwell-cli --version`: the version line alone; with --verbose also the steps this version
// does not have, one line each, exactly as the desktop program's About window lists them.
#include <gtest/gtest.h>

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
    EXPECT_EQ(out, version_line("brantwell-cli") + "\n");

    out.clear();
    ASSERT_EQ(test::run_shell(cli + " --version --verbose", &out), 0);
    EXPECT_EQ(out, about_text(program_steps(), "brantwell-cli") + "\n");
    EXPECT_NE(out.find("\nstarter at exit: not available in this version\n"), std::string::npos);

    out.clear();
    EXPECT_NE(test::run_shell(cli + " --verbose 2>&1", &out), 0) << "--verbose alone is refused";
    EXPECT_NE(out.find("--version"), std::string::npos) << out;
}

}  // namespace
}  // namespace bw
