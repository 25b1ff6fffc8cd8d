// A counter the system will not give to this user reads 0 like a quiet one: the CLI says why and
// fails, so a script never takes that 0 for a measurement.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

TEST(CountersCli, UnreadableWithoutRootSaysSoAndFails) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    // A process of root's under a name of its own: another user cannot read its /proc/PID/io.
    test::TempDir dir;
    const std::filesystem::path exe = dir / "bwidleroot";
    std::filesystem::copy_file("/bin/sleep", exe);
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("30"), nullptr};
    pid_t idle = -1;
    ASSERT_EQ(0, ::posix_spawn(&idle, exe.c_str(), nullptr, nullptr, argv, nullptr));
    const std::string path = "\\Process(bwidleroot)\\IO Read Bytes/sec";
    const struct {
        unsigned user;
        int status;
        const char* note;  // in the value's line; "" for none
    } cases[] = {
        {65534, 1, "another user's process, readable by root only"},
        {0, 0, ""},
    };
    for (const auto& c : cases) {
        auto work = [&] {
            const test::CliRun run = test::run_cli({"counters", "--interval", "50", path});
            const bool note_ok = *c.note ? run.out.find(c.note) != std::string::npos
                                         : run.out.find("cannot be read") == std::string::npos;
            const bool err_ok = c.status == 0 || run.err.find("needs root") != std::string::npos;
            return run.status == c.status && note_ok && err_ok;
        };
        EXPECT_TRUE(c.user == 0 ? work() : test::run_as(c.user, work)) << "user " << c.user;
    }
    ::kill(idle, SIGKILL);
    ::waitpid(idle, nullptr, 0);
}

}  // namespace
}  // namespace bw
