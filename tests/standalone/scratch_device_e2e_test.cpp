// The scratch devices the e2e tests make are gone again however the test ends: normally, by a
// failed check, with the test process killed outright, or with a process of the test still
// holding the mount. Needs root (it makes zram and loop devices).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "support/scratch_device.h"

namespace bw::test {
namespace {

namespace fs = std::filesystem;

// What a scenario made, to look for afterwards.
struct Made {
    std::string name;                // zramN, loopN
    unsigned long long diskseq = 0;  // that device, not a later one of the same name
    std::vector<fs::path> mounts;
    fs::path image;
};

std::string made_text(const Made& m) {
    std::string text = m.name + " " + std::to_string(m.diskseq) + " " + m.image.string();
    for (const auto& p : m.mounts) text += " " + p.string();
    return text;
}

Made made_from_text(const std::string& text) {
    std::istringstream in(text);
    Made m;
    in >> m.name >> m.diskseq;
    // A zram disk has no image: the paths are told apart by their names.
    for (std::string p; in >> p;) {
        if (fs::path(p).filename().string().rfind("bwloop.", 0) == 0)
            m.image = p;
        else
            m.mounts.emplace_back(p);
    }
    return m;
}

Made of_zram(const ScratchZram& z) {
    return {z.name(), device_diskseq(z.name()), {z.mount_point()}, {}};
}

Made of_loop(const ScratchLoop& l, const fs::path& image_folder) {
    Made m{l.name(), device_diskseq(l.name()), l.mounts(), {}};
    std::ifstream in("/sys/block/" + l.name() + "/loop/backing_file");
    std::string backing;
    std::getline(in, backing);
    if (fs::path(backing).parent_path() == image_folder) m.image = backing;
    return m;
}

// Everything a scenario made, still there.
std::vector<std::string> leftovers(const std::vector<Made>& made) {
    std::vector<std::string> left;
    for (const Made& m : made) {
        if (device_diskseq(m.name) == m.diskseq) left.push_back("/dev/" + m.name);
        for (const auto& p : m.mounts) {
            if (scratch_mounted(p)) left.push_back(p.string() + " (mounted)");
            if (fs::exists(p)) left.push_back(p.string());
        }
        if (!m.image.empty() && fs::exists(m.image)) left.push_back(m.image.string());
    }
    return left;
}

std::vector<Made> ends_normally() {
    ScratchZram zram({64, "ext4", true});
    EXPECT_TRUE(zram.ok()) << zram.error();
    return {of_zram(zram)};
}

std::vector<Made> ends_by_a_failed_check() {
    std::vector<Made> made;
    try {
        ScratchLoop loop({.size_mib = 64, .filesystem = "ext4", .mount = true});
        EXPECT_TRUE(loop.ok()) << loop.error();
        made.push_back(of_loop(loop, "/tmp"));
        throw std::runtime_error("a check failed");
    } catch (const std::runtime_error&) {
    }
    return made;
}

// The child makes a mounted zram disk and a mounted loop device, says what it made and is killed
// before any destructor runs; the next scratch object's sweep removes them.
std::vector<Made> killed_outright() {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_fds[0]);
        auto* zram = new ScratchZram({64, "ext4", true});
        auto* loop = new ScratchLoop({.size_mib = 64, .filesystem = "ext4", .mount = true});
        const std::string text =
            made_text(of_zram(*zram)) + "\n" + made_text(of_loop(*loop, "/tmp")) + "\n";
        (void)!::write(pipe_fds[1], text.data(), text.size());
        ::raise(SIGKILL);
    }
    ::close(pipe_fds[1]);
    std::string text;
    char buf[512];
    for (ssize_t n; (n = ::read(pipe_fds[0], buf, sizeof buf)) > 0;) text.append(buf, n);
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::vector<Made> made;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) made.push_back(made_from_text(line));
    EXPECT_EQ(made.size(), 2u) << "the child did not make its devices: " << text;
    ScratchLoop next({.size_mib = 16});  // any later scratch object sweeps
    return made;
}

// A process of the test (here a sleep started in the mount) outlives the test: the mount is
// detached at once, the device goes once that process has ended.
std::vector<Made> outlived_by_a_holder() {
    Made made;
    pid_t holder = 0;
    {
        ScratchZram zram({64, "ext4", true});
        EXPECT_TRUE(zram.ok()) << zram.error();
        made = of_zram(zram);
        holder = ::fork();
        if (holder == 0) {
            if (::chdir(zram.mount_point().c_str()) == 0) ::execlp("sleep", "sleep", "60", nullptr);
            ::_exit(127);
        }
        ::usleep(200'000);
    }
    EXPECT_FALSE(scratch_mounted(made.mounts.front())) << "the held mount was not detached";
    EXPECT_FALSE(fs::exists(made.mounts.front()));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::usleep(200'000);
    EXPECT_EQ(sweep_stale_scratch(), "");
    return {made};
}

TEST(ScratchDeviceE2e, NothingIsLeftHoweverTheTestEnds) {
    if (auto why = scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    struct Case {
        const char* ending;
        std::function<std::vector<Made>()> run;
    };
    const Case cases[] = {
        {"normally", ends_normally},
        {"by a failed check (an exception)", ends_by_a_failed_check},
        {"with the process killed outright", killed_outright},
        {"with a process of the test still holding the mount", outlived_by_a_holder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ending);
        const std::vector<Made> made = c.run();
        ASSERT_FALSE(made.empty());
        for (const Made& m : made) EXPECT_NE(m.diskseq, 0u) << m.name;
        EXPECT_EQ(leftovers(made), std::vector<std::string>{});
    }
}

// A record is followed only when it names what the rig makes: a planted record (or a damaged
// one) must never make a root test unmount "/" or reset someone else's device.
TEST(ScratchDeviceRecord, OnlyTheRigsOwnNamesAreFollowed) {
    struct Case {
        const char* text;
        bool followed;
    };
    const Case cases[] = {
        {"pid 12 34\ndevice /dev/zram3 77\nmount /tmp/bwmnt.abc\n", true},
        {"pid 12 34\ndevice /dev/loop9 5\nmount /tmp/bwmnt.x\nimage /dev/shm/bwloop.y\nended\n",
         true},
        {"pid 12 34\n", true},
        {"device /dev/zram3 77\n", false},                     // whose?
        {"pid 12 34\ndevice /dev/vda 9\n", false},             // not a scratch device
        {"pid 12 34\ndevice /dev/zram3\n", false},             // no sequence number
        {"pid 12 34\nmount /\n", false},                       // not a scratch mount
        {"pid 12 34\nmount /tmp/bwmnt.a/../../etc\n", false},  // out of the scratch folder
        {"pid 12 34\nmount /home/bwmnt.a\n", false},           // not under the scratch base
        {"pid 12 34\nimage /etc/passwd\n", false},             // not an image of ours
        {"pid 12 34\nrm -rf /\n", false},                      // a line the rig never writes
    };
    for (const Case& c : cases) {
        ScratchRecord r;
        EXPECT_EQ(parse_scratch_record(c.text, &r), c.followed) << c.text;
    }
    ScratchRecord r;
    r.pid = 12;
    r.start = 34;
    r.device = "/dev/loop4";
    r.diskseq = 99;
    r.partitioned = r.ended = true;
    r.mounts = {"/tmp/bwmnt.a", "/tmp/bwmnt.b"};
    r.image = "/tmp/bwloop.c";
    ScratchRecord back;
    ASSERT_TRUE(parse_scratch_record(format_scratch_record(r), &back));
    EXPECT_EQ(format_scratch_record(back), format_scratch_record(r));
    EXPECT_EQ(back.zram_index, -1);
}

TEST(ScratchDeviceRecord, AReusedPidIsNotTheOwner) {
    ScratchRecord mine = own_scratch_record();
    EXPECT_TRUE(scratch_owner_alive(mine));
    ScratchRecord reused = mine;
    reused.start += 1;  // same pid, another process
    EXPECT_FALSE(scratch_owner_alive(reused));
}

}  // namespace
}  // namespace bw::test
