// The disk check from the drive letter to Done: which checker runs how, the volume-in-use rule,
// unmounting and mounting again as it was, cancel, and the messages when nothing can run.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <algorithm>

#include "support/chkdsk_fakes.h"
#include "tools/ChkDskVolume.h"

namespace bw {
namespace {

using test::CheckerStep;
using Kind = CheckerStep::Kind;

std::string recording(const std::string& name) {
    return test::read_file(test::fixture("chkdsk/" + name));
}

// A recorded e2fsck run as a pipe hands it out: progress and output interleaved, in odd pieces.
std::vector<CheckerStep> e2fsck_script(const std::string& name) {
    auto out = test::chunked(Kind::Output, recording(name + ".out"), 7);
    auto prog = test::chunked(Kind::Progress, recording(name + ".progress"), 11);
    std::vector<CheckerStep> steps;
    for (size_t i = 0; i < std::max(out.size(), prog.size()); ++i) {
        if (i < prog.size()) steps.push_back(prog[i]);
        if (i < out.size()) steps.push_back(out[i]);
    }
    return steps;
}

bool contains(const std::string& text, std::string_view what) {
    return text.find(what) != std::string::npos;
}

class ChkDsk : public ::testing::Test {
  protected:
    test::ChkDskRig rig;
};

TEST_F(ChkDsk, MountedExt4IsCheckedReadOnlyWithGrowingProgressAndOneDone) {
    rig.host.script = e2fsck_script("e2fsck-check-damaged");
    rig.host.exit_status = 4;
    const ChkDskResult r = rig.check('D', {});
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.outcome, CheckOutcome::ProblemsLeft);
    ASSERT_EQ(rig.host.commands.size(), 1u);
    EXPECT_EQ(rig.host.commands[0].argv,
              (std::vector<std::string>{"/usr/sbin/e2fsck", "-n", "-C", "3", "-f", "/dev/loop0"}));
    EXPECT_TRUE(rig.host.commands[0].progress_on_fd3);
    EXPECT_TRUE(rig.runner.calls.empty());
    EXPECT_TRUE(std::is_sorted(rig.sink.progress.begin(), rig.sink.progress.end()));
    EXPECT_EQ(rig.sink.progress.back(), 100);
    EXPECT_EQ(rig.sink.done, 1);
    EXPECT_FALSE(rig.sink.error);
    // Every piece is one whole line; the checker's own text arrives unchanged.
    for (const auto& p : rig.sink.pieces) EXPECT_EQ(p.find('\n'), p.size() - 1) << p;
    EXPECT_TRUE(contains(rig.sink.output, recording("e2fsck-check-damaged.out")));
    EXPECT_TRUE(rig.sink.output.ends_with(
        "e2fsck: problems were found and left as they are (exit status 4).\n"));
    EXPECT_FALSE(contains(rig.sink.output, "No Problems"));
}

TEST_F(ChkDsk, RepairUnmountsAsksFirstAndMountsAgainAsItWas) {
    rig.host.script = e2fsck_script("e2fsck-repair");
    rig.host.exit_status = 1;
    rig.prompt.answer_yes();
    const ChkDskResult r = rig.check('D', {.repair = true});
    EXPECT_TRUE(r.repaired);
    EXPECT_EQ(r.outcome, CheckOutcome::Repaired);
    ASSERT_EQ(rig.prompt.shown().size(), 1u);
    EXPECT_EQ(rig.prompt.shown()[0].title, "Scan Disk/Repair");
    EXPECT_TRUE(contains(rig.prompt.shown()[0].text, "unmounted from /mnt/d to repair it"));
    ASSERT_EQ(rig.runner.calls.size(), 2u);
    EXPECT_EQ(rig.runner.calls[0].op, MountCall::Op::Unmount);
    EXPECT_EQ(rig.runner.calls[0].target, "/mnt/d");
    const MountCall again = rig.runner.calls[1];
    EXPECT_EQ(again.op, MountCall::Op::Mount);
    EXPECT_EQ(again.source, "/dev/loop0");
    EXPECT_EQ(again.target, "/mnt/d");
    EXPECT_EQ(again.fstype, "ext4");
    EXPECT_EQ(again.flags, static_cast<unsigned long>(MS_RELATIME));
    EXPECT_EQ(again.data, "errors=remount-ro");
    EXPECT_EQ(rig.host.commands[0].argv[1], "-y");
    EXPECT_FALSE(contains(rig.sink.output, "--force"));
    EXPECT_TRUE(contains(rig.sink.output, "D: mounted again at /mnt/d"));
    EXPECT_EQ(rig.sink.done, 1);
}

// Every way a repair is refused ends in a read-only check that says why, and never unmounts.
TEST_F(ChkDsk, RepairOfAVolumeThatMustStayMountedIsAReadOnlyCheckWithTheReason) {
    struct Case {
        const char* name;
        char letter;
        std::function<void(test::ChkDskRig&)> arrange;
        const char* reason;
        size_t mount_calls;
    };
    const Case kCases[] = {
        {"the running system", 'C', [](auto&) {}, "fsck.mode=force fsck.repair=yes", 0},
        {"held by a process", 'D',
         [](auto& r) {
             r.host.users = {{4242, "less", "open file /mnt/d/notes.txt"}};
         },
         "in use by 4242 less (open file /mnt/d/notes.txt)", 0},
        {"mounted twice", 'D', [](auto& r) { r.bind_d_elsewhere(); },
         "mounted at several places (/mnt/d, /srv/d)", 0},
        {"the person keeps it mounted", 'D', [](auto& r) { r.prompt.answer_yes(false); },
         "D: stays mounted: the check runs read-only", 0},
        {"unmount refused", 'D',
         [](auto& r) {
             r.prompt.answer_yes();
             r.runner.unmount_answer = EBUSY;
         },
         "could not be unmounted (umount: Device or resource busy)", 1},
        // Unmounted here, but another mount namespace still has it: mounted back, not repaired.
        {"in use in another namespace", 'D',
         [](auto& r) {
             r.prompt.answer_yes();
             r.host.busy_after_unmount = "/dev/loop0 is still in use";
         },
         "/dev/loop0 is still in use: the check runs read-only", 2},
        {"btrfs", 'F', [](auto&) {}, "advise against its --repair", 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        test::ChkDskRig r;
        c.arrange(r);
        const ChkDskResult result = r.check(c.letter, {.repair = true});
        EXPECT_TRUE(result.ran);
        EXPECT_FALSE(result.repaired);
        EXPECT_TRUE(contains(r.sink.output, c.reason)) << r.sink.output;
        EXPECT_EQ(r.runner.calls.size(), c.mount_calls);
        ASSERT_EQ(r.host.commands.size(), 1u);
        const auto& argv = r.host.commands[0].argv;
        EXPECT_EQ(std::count(argv.begin(), argv.end(), "-y"), 0);
        EXPECT_EQ(r.sink.done, 1);
    }
}

TEST_F(ChkDsk, XfsIsUnmountedEvenForACheckAndNotCheckedWhileInUse) {
    rig.prompt.answer_yes();
    rig.host.script = test::chunked(Kind::Output, recording("xfs_repair-check-damaged.out"), 64);
    rig.host.exit_status = 1;
    EXPECT_EQ(rig.check('E', {}).outcome, CheckOutcome::ProblemsLeft);
    EXPECT_TRUE(contains(rig.prompt.shown().at(0).text, "to check it"));
    EXPECT_EQ(rig.runner.calls.size(), 2u);
    EXPECT_EQ(rig.host.commands.at(0).argv,
              (std::vector<std::string>{"/usr/sbin/xfs_repair", "-n", "/dev/loop1"}));

    test::ChkDskRig held;
    held.host.users = {{7, "bash", "current folder"}};
    const ChkDskResult r = held.check('E', {.repair = true});
    EXPECT_FALSE(r.ran);
    EXPECT_TRUE(held.host.commands.empty());
    EXPECT_TRUE(contains(held.sink.output, "xfs_repair cannot check a volume while it is mounted"));
    EXPECT_EQ(held.sink.done, 1);
    EXPECT_TRUE(held.sink.error);
}

TEST_F(ChkDsk, CancelKillsAReadOnlyCheckAtOnce) {
    rig.host.script = e2fsck_script("e2fsck-check-damaged");
    rig.sink.cancel_after_pieces = 4;
    const ChkDskResult r = rig.check('D', {});
    EXPECT_EQ(r.outcome, CheckOutcome::Cancelled);
    EXPECT_EQ(rig.host.stops, std::vector<CheckerStop>{CheckerStop::Kill});
    EXPECT_EQ(rig.sink.done, 1);
    EXPECT_TRUE(rig.sink.error);
    EXPECT_TRUE(rig.sink.progress.empty() || rig.sink.progress.back() < 100);
    EXPECT_TRUE(rig.sink.output.ends_with("e2fsck: stopped by Cancel.\n"));
}

TEST_F(ChkDsk, CancelLetsARepairReachASafePointAndStillMountsAgain) {
    struct Case {
        char letter;
        std::vector<CheckerStop> stops;
        CheckOutcome outcome;
    };
    // e2fsck stops at its next safe point on SIGINT (status 32); xfs_repair has none: it finishes.
    const Case kCases[] = {{'D', {CheckerStop::Interrupt}, CheckOutcome::Cancelled},
                           {'E', {}, CheckOutcome::RepairDone}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.letter);
        test::ChkDskRig r;
        r.prompt.answer_yes();
        r.host.script = {
            {Kind::Output, "Pass 1\n"}, {Kind::Output, "Pass 2\n"}, {Kind::Output, "Pass 3\n"}};
        r.sink.cancel_after_pieces = 3;
        EXPECT_EQ(r.check(c.letter, {.repair = true}).outcome, c.outcome);
        EXPECT_EQ(r.host.stops, c.stops);
        ASSERT_EQ(r.runner.calls.size(), 2u);
        EXPECT_EQ(r.runner.calls[1].op, MountCall::Op::Mount);
        EXPECT_EQ(r.sink.done, 1);
    }
}

TEST_F(ChkDsk, AQuietCheckerStillHasItsCancelRead) {
    rig.host.script = {{Kind::Output, "Phase 1 - find and verify superblock...\n"},
                       {Kind::Quiet, ""},
                       {Kind::Quiet, ""},
                       {Kind::Quiet, ""}};
    rig.sink.on_status = [&] { rig.sink.cancel_after_pieces = 0; };
    rig.check('F', {});
    EXPECT_EQ(rig.host.stops, std::vector<CheckerStop>{CheckerStop::Kill});
}

TEST_F(ChkDsk, WhatCannotBeCheckedIsSaidAndEndsInOneDone) {
    struct Case {
        char letter;
        std::function<void(test::ChkDskRig&)> arrange;
        const char* message;
    };
    const Case kCases[] = {
        {'G', [](auto&) {},
         "G: holds a filesystem of type exfat, for which Brantwell has no checker (it checks ext2, "
         "ext3, ext4, xfs, btrfs, vfat, msdos)."},
        {'H', [](auto& r) { r.host.installed.erase("fsck.fat"); },
         "fsck.fat is not installed: install the package dosfstools to check vfat volumes."},
        {'Q', [](auto&) {}, "Q: is not a mounted volume of this machine: nothing to check."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.letter);
        test::ChkDskRig r;
        c.arrange(r);
        const ChkDskResult result = r.check(c.letter, {.repair = true});
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.ran);
        EXPECT_TRUE(r.host.commands.empty());
        EXPECT_EQ(r.sink.output, std::string(c.message) + "\n");
        EXPECT_EQ(r.sink.done, 1);
        EXPECT_TRUE(r.sink.error);
        EXPECT_TRUE(r.prompt.shown().empty());
    }
}

TEST_F(ChkDsk, DriveIsDirtyChecksOnlyAVolumeNotKnownClean) {
    // btrfs has no switch of its own for it: the volume's error counters decide.
    rig.write("/sys/fs/btrfs/uuid-F/devinfo/1/error_stats", "write_errs 0\nread_errs 0\n");
    const ChkDskResult clean = rig.check('F', {.only_if_dirty = true});
    EXPECT_EQ(clean.outcome, CheckOutcome::NoProblems);
    EXPECT_TRUE(rig.host.commands.empty());
    EXPECT_TRUE(contains(rig.sink.output, "not marked dirty"));
    EXPECT_TRUE(contains(rig.sink.output, "No Problems"));

    rig.write("/sys/fs/btrfs/uuid-F/devinfo/1/error_stats", "write_errs 0\nread_errs 3\n");
    rig.sink.output.clear();
    rig.check('F', {.only_if_dirty = true});
    EXPECT_EQ(rig.host.commands.size(), 1u);
    EXPECT_TRUE(contains(rig.sink.output, "is marked dirty (3 device errors recorded)"));
}

TEST_F(ChkDsk, OneCheckAtATime) {
    ChkDskResult inner;
    test::RecordingSink second;
    rig.host.script = {{Kind::Output, "Pass 1\n"}};
    rig.sink.on_status = [&] {
        if (!inner.started) inner = Chkdsk("D:", {}, second, rig.machine);
    };
    EXPECT_TRUE(rig.check('D', {}).started);
    EXPECT_FALSE(inner.started);
    EXPECT_EQ(second.done, 0);
    EXPECT_TRUE(second.pieces.empty());
    EXPECT_EQ(rig.host.commands.size(), 1u);
    EXPECT_FALSE(ChkDskBusy());
    EXPECT_TRUE(rig.check('D', {}).started);  // the next one may start
}

}  // namespace
}  // namespace bw
