// The disk check on real volumes (root; loop devices made by the test): an ext4 and an XFS damaged
// on purpose are found with problems while mounted, repaired after being unmounted, mounted again
// as they were, and then found clean; a volume held by a process gets the read-only check; Cancel
// leaves no checker behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "platform/Processes.h"
#include "support/chkdsk_fakes.h"
#include "support/cli.h"
#include "support/fakes.h"
#include "support/scratch_device.h"
#include "tools/ChkDskTexts.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

// The real machine, with the volume map taken now (no letters remembered).
struct LiveRig {
    Mounts mounts{Sysroot("/"), live_mount_runner()};
    SystemQuery query{Sysroot("/")};
    VolumeMap map = BuildVolumeMap(query, {});
    ChkDskMachine machine{live_checker_host(), mounts, query, map};
    test::RecordingSink sink;
    test::ScriptedPrompt prompt;
    test::UsePrompt use_prompt{prompt};

    char letter_of(const std::string& device_name) const {
        for (const auto& v : map.volumes)
            if (v.device_name == device_name) return v.letter;
        return 0;
    }
    ChkDskResult check(const std::string& device_name, const ChkDskOptions& options) {
        sink.pieces.clear();
        sink.output.clear();
        sink.progress.clear();
        sink.done = 0;
        return Chkdsk(std::string(1, letter_of(device_name)) + ":", options, sink, machine);
    }
};

// The mount at `point` as mountinfo shows it: source, type and every option.
std::string mount_line(const fs::path& point) {
    for (const auto& m : SystemQuery(Sysroot("/")).mounts())
        if (m.target == point.string()) return m.source + " " + m.fstype + " " + m.options;
    return "";
}

// A scratch volume damaged while unmounted, then mounted again with options of its own.
struct DamagedVolume {
    DamagedVolume(const std::string& fstype, long size_mib, const std::string& damage,
                  const std::string& options)
        : loop({.size_mib = size_mib, .filesystem = fstype, .mount = true}) {
        if (!loop.ok()) return;
        point = loop.mounts().at(0);
        std::string out;
        // Files and folders for the damage to be found in.
        test::run_shell("mkdir -p " + point.string() + "/a/b && echo x > " + point.string() +
                        "/a/f");
        if (test::run_shell("umount " + point.string() + " && " + damage + " " + loop.device() +
                                " && mount -o " + options + " " + loop.device() + " " +
                                point.string(),
                            &out) != 0)
            error = "could not damage " + loop.device() + ": " + out;
    }
    bool ok() const { return loop.ok() && error.empty(); }
    std::string why() const { return loop.ok() ? error : loop.error(); }

    test::ScratchLoop loop;
    fs::path point;
    std::string error;
};

std::string skip_reason(const std::string& program) {
    if (auto why = test::scratch_unavailable(); !why.empty()) return why;
    if (live_checker_host().find_program(program).empty()) return program + " is not installed";
    return "";
}

#define SKIP_WITHOUT(program) \
    if (const std::string why = skip_reason(program); !why.empty()) GTEST_SKIP() << why

TEST(ChkDskE2e, Ext4DamagedIsFoundRepairedUnmountedAndMountedAgainAsItWas) {
    SKIP_WITHOUT("e2fsck");
    DamagedVolume v("ext4", 64, "debugfs -w -R 'set_inode_field <2> links_count 9'",
                    "noatime,nodelalloc");
    ASSERT_TRUE(v.ok()) << v.why();
    const std::string before = mount_line(v.point);
    LiveRig rig;
    ASSERT_NE(rig.letter_of(v.loop.name()), 0);

    const ChkDskResult found = rig.check(v.loop.name(), {});
    EXPECT_EQ(found.outcome, CheckOutcome::ProblemsLeft) << rig.sink.output;
    EXPECT_NE(rig.sink.output.find("Inode 2 ref count is 9"), std::string::npos) << rig.sink.output;
    EXPECT_EQ(VerdictText(rig.sink.output, false, found), kProblemsFound);
    EXPECT_TRUE(std::is_sorted(rig.sink.progress.begin(), rig.sink.progress.end()));
    EXPECT_EQ(rig.sink.progress.back(), 100);
    EXPECT_EQ(mount_line(v.point), before);  // a read-only check leaves the mount alone

    rig.prompt.answer_yes();
    const ChkDskResult repaired = rig.check(v.loop.name(), {.repair = true});
    EXPECT_TRUE(repaired.repaired);
    EXPECT_EQ(repaired.outcome, CheckOutcome::Repaired) << rig.sink.output;
    EXPECT_EQ(rig.sink.done, 1);
    EXPECT_EQ(mount_line(v.point), before) << rig.sink.output;

    const ChkDskResult again = rig.check(v.loop.name(), {});
    EXPECT_EQ(again.outcome, CheckOutcome::NoProblems) << rig.sink.output;
    EXPECT_EQ(VerdictText(rig.sink.output, false, again), kNoProblemsFound);
}

TEST(ChkDskE2e, TheCheckVerbTellsByItsExitStatus) {
    SKIP_WITHOUT("e2fsck");
    DamagedVolume v("ext4", 64, "debugfs -w -R 'set_inode_field <2> links_count 9'", "noatime");
    ASSERT_TRUE(v.ok()) << v.why();
    const std::string before = mount_line(v.point);
    // A program folder of its own: letters given afresh, as the map above gives them.
    test::TempDir home;
    ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
    const std::string drive = std::string(1, LiveRig().letter_of(v.loop.name())) + ":";
    struct Step {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Step kSteps[] = {
        {{"check", "--drive", drive, "--json"}, 1, "\"outcome\": \"problems_left\""},
        // Without --yes the question to unmount is answered No: a read-only check.
        {{"check", "--drive", drive, "--repair"}, 1, "stays mounted: the check runs read-only"},
        {{"check", "--drive", drive, "--repair", "--yes"}, 1, "problems were found and repaired"},
        {{"check", "--drive", drive}, 0, "Scan Complete\nNO PROBLEMS FOUND\n"},
        {{"check", "--drive", "5"}, 2, ""},
    };
    for (const auto& step : kSteps) {
        const test::CliRun run = test::run_cli(step.args, std::chrono::seconds(60));
        SCOPED_TRACE(step.args.back() + "\n" + run.out + run.err);
        EXPECT_EQ(run.status, step.status);
        EXPECT_NE(run.out.find(step.says), std::string::npos);
        EXPECT_EQ(mount_line(v.point), before);
    }
    // Another user cannot open the device: said before any checker runs, status 3.
    EXPECT_TRUE(test::run_as(65534, [&] {
        const test::CliRun run = test::run_cli({"check", "--drive", drive, "--repair", "--yes"},
                                               std::chrono::seconds(60));
        std::printf("%s%s", run.out.c_str(), run.err.c_str());
        return run.status == 3 && run.err.find("checker cannot open /dev/" + v.loop.name()) !=
                                      std::string::npos;
    }));
    EXPECT_EQ(mount_line(v.point), before);
    ::unsetenv("BRANTWELL_HOME");
}

TEST(ChkDskE2e, XfsDamagedIsRepairedAndThenFoundClean) {
    SKIP_WITHOUT("xfs_repair");
    DamagedVolume v("xfs", 320, "xfs_db -x -c 'inode 128' -c 'write core.nlinkv2 9'", "noatime");
    ASSERT_TRUE(v.ok()) << v.why();
    const std::string before = mount_line(v.point);
    LiveRig rig;
    rig.prompt.answer_yes();  // xfs_repair checks only an unmounted volume
    EXPECT_EQ(rig.check(v.loop.name(), {}).outcome, CheckOutcome::ProblemsLeft) << rig.sink.output;
    EXPECT_EQ(mount_line(v.point), before);
    rig.prompt.answer_yes();
    EXPECT_EQ(rig.check(v.loop.name(), {.repair = true}).outcome, CheckOutcome::RepairDone)
        << rig.sink.output;
    EXPECT_EQ(mount_line(v.point), before);
    rig.prompt.answer_yes();
    const ChkDskResult again = rig.check(v.loop.name(), {});
    EXPECT_EQ(VerdictText(rig.sink.output, false, again), kNoProblemsFound) << rig.sink.output;
    EXPECT_EQ(mount_line(v.point), before);
}

TEST(ChkDskE2e, AVolumeHeldByAProcessGetsTheReadOnlyCheckAndWhy) {
    SKIP_WITHOUT("e2fsck");
    test::ScratchLoop loop({.size_mib = 64, .filesystem = "ext4", .mount = true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    std::string pid_text;
    test::run_shell("cd " + loop.mounts().at(0).string() +
                        " && (sleep 60 </dev/null >/dev/null 2>&1 & echo $!)",
                    &pid_text);
    const pid_t holder = std::stoi(pid_text);
    LiveRig rig;
    const ChkDskResult r = rig.check(loop.name(), {.repair = true});
    ::kill(holder, SIGKILL);
    EXPECT_FALSE(r.repaired);
    EXPECT_EQ(r.outcome, CheckOutcome::NoProblems) << rig.sink.output;
    EXPECT_NE(
        rig.sink.output.find("is in use by " + std::to_string(holder) + " sleep (current folder)"),
        std::string::npos)
        << rig.sink.output;
    EXPECT_TRUE(rig.prompt.shown().empty());
    EXPECT_FALSE(mount_line(loop.mounts().at(0)).empty());
}

TEST(ChkDskE2e, AVolumeStillMountedInAnotherNamespaceIsNotRepaired) {
    SKIP_WITHOUT("e2fsck");
    test::ScratchLoop loop({.size_mib = 64, .filesystem = "ext4", .mount = true});
    ASSERT_TRUE(loop.ok()) << loop.error();
    // A process with a mount namespace of its own keeps the file system mounted there.
    std::string pid_text;
    test::run_shell(
        "(unshare -m --propagation private sleep 60 </dev/null >/dev/null 2>&1 & "
        "echo $!)",
        &pid_text);
    const pid_t holder = std::stoi(pid_text);
    // Once unshare has become sleep, the namespace with its copy of the mount exists.
    for (int i = 0; i < 200 && proc::image_name(holder) != "sleep"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(proc::image_name(holder), "sleep");
    LiveRig rig;
    rig.prompt.answer_yes();
    const ChkDskResult r = rig.check(loop.name(), {.repair = true});
    ::kill(holder, SIGKILL);
    EXPECT_FALSE(r.repaired);
    EXPECT_NE(rig.sink.output.find("is still in use"), std::string::npos) << rig.sink.output;
    EXPECT_EQ(rig.sink.output.find("e2fsck -y"), std::string::npos);
    EXPECT_FALSE(mount_line(loop.mounts().at(0)).empty()) << rig.sink.output;
}

TEST(ChkDskE2e, CancelEndsTheCheckAndLeavesNoCheckerRunning) {
    SKIP_WITHOUT("e2fsck");
    // A check of some seconds: a million inodes in tables written out, which e2fsck reads whole.
    test::ScratchLoop loop({.size_mib = 1024});
    ASSERT_TRUE(loop.ok()) << loop.error();
    test::TempDir point;
    std::string out;
    ASSERT_EQ(test::run_shell("mkfs.ext4 -q -F -N 1000000 -O ^metadata_csum,^uninit_bg -E "
                              "lazy_itable_init=0 " +
                                  loop.device() + " && mount " + loop.device() + " " +
                                  point.path().string(),
                              &out),
              0)
        << out;
    struct Unmount {
        std::string at;
        ~Unmount() { test::run_shell("umount " + at); }
    } unmount{point.path().string()};
    LiveRig rig;
    // Cancel once it has shown some progress (its text comes in blocks, often all at the end).
    rig.sink.on_progress = [&] { rig.sink.cancel_after_pieces = 0; };
    const auto started = std::chrono::steady_clock::now();
    const ChkDskResult r = rig.check(loop.name(), {});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(r.outcome, CheckOutcome::Cancelled) << rig.sink.output;
    EXPECT_EQ(rig.sink.done, 1);
    EXPECT_TRUE(rig.sink.error);
    EXPECT_LT(rig.sink.progress.back(), 100);
    EXPECT_TRUE(rig.sink.output.ends_with("e2fsck: stopped by Cancel.\n")) << rig.sink.output;
    for (const pid_t pid : proc::list_pids())
        EXPECT_NE(proc::image_name(pid), "e2fsck") << "left running: " << pid;
}

}  // namespace
}  // namespace bw
