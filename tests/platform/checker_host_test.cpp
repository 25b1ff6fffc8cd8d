// The live checker host with /bin/sh standing in for a checker: output and the progress stream
// kept apart and in order, stops that reach what the checker started, plain-English messages, and
// the processes that hold a volume.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/CheckerHost.h"
#include "platform/Processes.h"
#include "support/fakes.h"

namespace bw {
namespace {

struct ScriptRun {
    CheckerExit exit;
    std::string output, progress;
};

// Runs a shell script as the checker; `stop_after` is sent once `when` has been printed.
ScriptRun run_script(const std::string& script, bool fd3,
                     CheckerStop stop_after = CheckerStop::None, const std::string& when = "") {
    ScriptRun r;
    CheckerEvents events;
    events.output = [&](std::string_view chunk) { r.output += chunk; };
    events.progress = [&](std::string_view chunk) { r.progress += chunk; };
    events.poll = [&] {
        return !when.empty() && r.output.find(when) != std::string::npos ? stop_after
                                                                         : CheckerStop::None;
    };
    const std::string sh = live_checker_host().find_program("sh");
    r.exit = live_checker_host().run({{sh, "-c", script}, fd3}, events);
    return r;
}

TEST(CheckerHost, OutputAndProgressArriveApartAndInOrder) {
    const ScriptRun r = run_script(
        "echo one; echo '1 0 8 /dev/x' >&3; echo two >&2; echo '1 8 8 /dev/x' >&3; echo $LC_ALL; "
        "exit 4",
        true);
    EXPECT_TRUE(r.exit.started);
    EXPECT_EQ(r.exit.exit_status, 4);
    EXPECT_EQ(r.output, "one\ntwo\nC\n");  // standard error too; messages in plain English
    EXPECT_EQ(r.progress, "1 0 8 /dev/x\n1 8 8 /dev/x\n");
}

TEST(CheckerHost, NoDescriptorThreeUnlessAsked) {
    const ScriptRun r = run_script("echo x >&3 && echo wrote", false);
    EXPECT_NE(r.exit.exit_status, 0);
    EXPECT_EQ(r.output.find("wrote"), std::string::npos);
}

TEST(CheckerHost, KillEndsTheCheckerAndWhatItStartedAtOnce) {
    const auto started = std::chrono::steady_clock::now();
    const ScriptRun r =
        run_script("sleep 30 & echo child $!; wait", false, CheckerStop::Kill, "child ");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(r.exit.exit_status, -1);
    EXPECT_EQ(r.exit.signal, 9);
    const pid_t child = std::stoi(r.output.substr(r.output.find(' ') + 1));
    // The child of the killed shell is reaped by init; give it a moment.
    for (int i = 0; i < 100 && proc::alive(child); ++i) ::usleep(10'000);
    EXPECT_FALSE(proc::alive(child));
}

TEST(CheckerHost, InterruptLetsTheCheckerStopItsOwnWay) {
    const ScriptRun r =
        run_script("trap 'echo stopping; exit 32' INT; echo ready; while :; do sleep 0.05; done",
                   false, CheckerStop::Interrupt, "ready");
    EXPECT_EQ(r.exit.exit_status, 32);
    EXPECT_NE(r.output.find("stopping"), std::string::npos);
}

TEST(CheckerHost, AProgramThatIsNotThereIsSaid) {
    CheckerEvents events;
    const CheckerExit e = live_checker_host().run({{"/nonexistent/e2fsck", "-n"}, true}, events);
    EXPECT_FALSE(e.started);
    EXPECT_NE(e.error.find("cannot start /nonexistent/e2fsck"), std::string::npos) << e.error;
    EXPECT_EQ(live_checker_host().find_program("no-such-checker-program"), "");
    EXPECT_EQ(live_checker_host().find_program("../sh"), "");
}

TEST(CheckerHost, AProcessWithAFileOpenOnAVolumeHoldsIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
    test::TempDir dir;
    test::TmpfsMount tmpfs(dir.path(), "size=1m");
    ASSERT_TRUE(tmpfs.mounted()) << tmpfs.error();
    EXPECT_TRUE(live_checker_host().users_of(dir.path().string()).empty());
    const std::string file = (dir.path() / "held").string();
    const int fd = ::open(file.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    const auto users = live_checker_host().users_of(dir.path().string());
    ::close(fd);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].pid, ::getpid());
    EXPECT_EQ(users[0].what, "open file " + file);
}

}  // namespace
}  // namespace bw
