// The exit status and the one-line message of brantwell-cli's usage errors and missing drives,
// whichever verb meets them: scripts branch on the status and show the line. Messages go to
// standard error, so standard output never holds an error a script would take for a result.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

class ExitCodesCli : public ::testing::Test {
  protected:
    ExitCodesCli() {
        ::setenv("BRANTWELL_HOME", home_.path().c_str(), 1);
        ::setenv("TEMP", home_.path().c_str(), 1);
    }
    ~ExitCodesCli() override {
        ::unsetenv("BRANTWELL_HOME");
        ::unsetenv("TEMP");
    }
    test::TempDir home_;
};

TEST_F(ExitCodesCli, UsageErrorsAreOneLineAndThePathToTheHelp) {
    const struct {
        std::vector<std::string> args;
        const char* line;  // the first line of standard error
        const char* help;  // the command whose help the second line names
    } cases[] = {
        {{"frobnicate"}, "brantwell-cli: The following argument was not expected: frobnicate",
         "brantwell-cli"},
        {{"monitor"}, "brantwell-cli monitor: --drive is required", "brantwell-cli monitor"},
        {{"drives", "--bogus"}, "brantwell-cli drives: The following argument was not expected: --bogus",
         "brantwell-cli drives"},
        {{"counters", "--interval", "5", "\\Memory\\Available Bytes"},
         "brantwell-cli counters: --interval: Value 5 not in range 10 to 3600000",
         "brantwell-cli counters"},
        {{"ini"}, "brantwell-cli ini: A subcommand is required", "brantwell-cli ini"},
        {{"ini", "get", "file"}, "brantwell-cli ini get: SECTION is required",
         "brantwell-cli ini get"},
        {{"basic", "--drive", "D:", "--source", "3"}, "brantwell-cli basic: --source: ",
         "brantwell-cli basic"},
        {{"drives", "--sysroot", "/nonexistent/brantwell"}, "brantwell-cli drives: --sysroot: ",
         "brantwell-cli drives"},
    };
    for (const auto& c : cases) {
        const test::CliRun run = test::run_cli(c.args);
        SCOPED_TRACE(c.args.front() + " ... " + c.args.back() + "\n" + run.err);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        ASSERT_EQ(2, std::count(run.err.begin(), run.err.end(), '\n'));
        EXPECT_EQ(0u, run.err.find(c.line));
        EXPECT_NE(std::string::npos,
                  run.err.find("\nRun '" + std::string(c.help) + " --help' for usage.\n"));
    }
}

TEST_F(ExitCodesCli, EachStatusMeansOneThing) {
    const std::string vm = test::fixture("sysroots/vm").string();
    test::TempDir not_a_system;
    const std::string empty = not_a_system.path().string();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;  // on standard error
    } cases[] = {
        {{"drives", "--help"}, 0, ""},
        {{"sysinfo", "--sysroot", vm, "--drive", "Q"}, 4, "Q: is not a drive letter of this"},
        {{"sysinfo", "--sysroot", vm, "--drive", "QQ"}, 2, "QQ is not a drive letter (A to Z)"},
        {{"sysinfo", "--sysroot", vm, "--drive", "5"}, 2, "5 is not a drive letter (A to Z)"},
        {{"sysinfo", "--sysroot", empty}, 2, "has no sys/block: not a captured system"},
        {{"drives", "--sysroot", empty}, 2, "has no sys/block: not a captured system"},
        {{"monitor", "--drive", "Q:", "--count", "1"}, 4, "no drive Q: on this machine"},
        {{"basic", "--drive", "Q:", "--seconds", "1"}, 4, "Q: is not a drive of this machine"},
        {{"basic", "--drive", "D:", "--blocks", "Z"}, 2, "--blocks takes the codes 1 to 9"},
        {{"baseline", "--drive", "Q:"}, 4, "Q: is not a drive of this machine"},
        {{"baseline", "--drive", "%"}, 2, "% is not a drive letter"},
        {{"check", "--drive", "Q:"}, 4, "Q: is not a drive of this machine"},
        {{"counters", "--sysroot", vm}, 2, "give at least one counter path or --list OBJECT"},
        {{"ini", "get", (home_.path() / "none.dat").string(), "S", "K"}, 0, ""},
    };
    for (const auto& c : cases) {
        const test::CliRun run = test::run_cli(c.args, std::chrono::seconds(60));
        SCOPED_TRACE(c.args.front() + " ... " + c.args.back() + "\n" + run.out + run.err);
        EXPECT_EQ(c.status, run.status);
        EXPECT_NE(std::string::npos, run.err.find(c.says));
        if (c.status != 0) {
            EXPECT_EQ("", run.out);
        }
    }
}

}  // namespace
}  // namespace bw
