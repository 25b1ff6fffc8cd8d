// Wrong input to brantwell-cli gets a message that says what is wrong, on standard error, with a
// failing exit status; standard output stays for results, so scripts never take an error for one.
#include <gtest/gtest.h>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

TEST(MessagesCli, WrongInputSaysWhatIsWrong) {
    test::TempDir not_a_system;
    const std::string empty = not_a_system.path().string();
    const std::string vm = test::fixture("sysroots/vm").string();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;  // on standard error
    } cases[] = {
        {{"sysinfo", "--sysroot", empty}, 2, "has no sys/block: not a captured system"},
        {{"drives", "--sysroot", empty}, 2, "has no sys/block: not a captured system"},
        {{"sysinfo", "--sysroot", vm, "--drive", "ZZ"}, 2, "ZZ is not a drive letter (A to Z)"},
        {{"sysinfo", "--sysroot", vm, "--drive", "5"}, 2, "5 is not a drive letter (A to Z)"},
        {{"sysinfo", "--sysroot", vm, "--drive", "Q"}, 4, "Q: is not a drive letter of this"},
    };
    for (const auto& c : cases) {
        const test::CliRun run = test::run_cli(c.args);
        const std::string what = c.args[0] + " " + c.args.back();
        EXPECT_EQ(c.status, run.status) << what << "\n" << run.out << run.err;
        EXPECT_NE(std::string::npos, run.err.find(c.says)) << what << ": " << run.err;
        EXPECT_EQ("", run.out) << what;
    }
}

}  // namespace
}  // namespace bw
