// A captured tree given with --sysroot may be anyone's: its links must not lead out of it, and a
// FIFO, a device or a huge file in it must not hang the program or eat its memory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

#include "platform/UniqueFd.h"
#include "platform/sysroot.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

// A tree with the hostile entries next to good ones, and a file outside it that no read may see.
struct HostileTree {
    test::TempDir outside, dir;
    HostileTree() {
        test::write_file(outside / "secret", "outside");
        fs::create_directories(dir / "proc/self");
        fs::create_directories(dir / "sys/devices/disk0");
        fs::create_directories(dir / "sys/block");
        test::write_file(dir / "proc/diskstats", "inside");
        test::write_file(dir / "sys/devices/disk0/size", "2048\n");
        fs::create_directory_symlink("../devices/disk0", dir / "sys/block/sda");
        fs::create_symlink("/dev/zero", dir / "proc/zero");
        fs::create_symlink(outside / "secret", dir / "proc/abs_out");
        fs::create_symlink("../../../../../../../../" + (outside / "secret").string().substr(1),
                           dir / "proc/dotdot_out");
        fs::create_directory_symlink(outside.path(), dir / "proc/dir_out");
        fs::create_symlink("loop_b", dir / "proc/loop_a");
        fs::create_symlink("loop_a", dir / "proc/loop_b");
        ::mkfifo((dir / "proc/fifo").c_str(), 0600);
        // Larger than the cap, but sparse: costs no disk.
        UniqueFd big(::open((dir / "proc/big").c_str(), O_WRONLY | O_CREAT, 0600));
        ::ftruncate(big.get(), static_cast<off_t>(kSysrootReadCap) + 1);
    }
};

TEST(Sysroot, ReadsStayInsideTheTreeAndAreBounded) {
    HostileTree tree;
    const Sysroot root(tree.dir.path());
    const struct {
        const char* path;
        const char* text;  // nullptr: refused
        const char* says;  // part of the reason when refused
    } cases[] = {
        {"/proc/diskstats", "inside", ""},
        {"/sys/block/sda/size", "2048\n", ""},
        {"/proc/zero", nullptr, "No such file"},   // /dev/zero of the tree, which has none
        {"/proc/abs_out", nullptr, "No such file"},
        {"/proc/dotdot_out", nullptr, "No such file"},  // ".." stops at the tree's root
        {"/proc/dir_out/secret", nullptr, "No such file"},
        {"/proc/loop_a", nullptr, "symbolic links"},
        {"/proc/fifo", nullptr, "not a regular file"},
        {"/proc", nullptr, "not a regular file"},
        {"/proc/big", nullptr, "larger than 16 MiB"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        const auto text = root.read(c.path, &error);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.path;
        if (c.text) {
            EXPECT_EQ(c.text, text.value_or("<refused: " + error + ">")) << c.path;
        } else {
            EXPECT_FALSE(text.has_value()) << c.path;
            EXPECT_NE(std::string::npos, error.find(c.says)) << c.path << ": " << error;
        }
    }
    // Folders and links are looked at inside the tree as well.
    EXPECT_FALSE(root.exists("/proc/abs_out"));
    EXPECT_FALSE(root.is_dir("/proc/dir_out"));
    EXPECT_TRUE(root.list("/proc/dir_out").empty());
    EXPECT_EQ("/dev/zero", root.read_link("/proc/zero").value_or(""));
    EXPECT_EQ("/sys/devices/disk0", root.resolve("/sys/block/sda").value_or(""));
}

// The kernel's resolution and the walk used without it must agree on every entry.
TEST(Sysroot, KernelAndWalkResolveAlike) {
    HostileTree tree;
    const UniqueFd root(::open(tree.dir.path().c_str(), O_PATH | O_DIRECTORY));
    ASSERT_TRUE(root.ok());
    const char* paths[] = {"/proc/diskstats", "/sys/block/sda/size", "/sys/block/sda/../sda/size",
                           "/../../proc/diskstats", "/proc/zero", "/proc/abs_out",
                           "/proc/dotdot_out", "/proc/dir_out/secret", "/proc/loop_a",
                           "/proc/fifo", "/nothing", "/"};
    for (const char* p : paths) {
        struct stat by_kernel {}, by_walk {};
        const UniqueFd k(Sysroot::open_in_root(root.get(), p, O_PATH, Sysroot::InRoot::kernel));
        const int kernel_errno = errno;
        const UniqueFd w(Sysroot::open_in_root(root.get(), p, O_PATH, Sysroot::InRoot::walk));
        const int walk_errno = errno;
        ASSERT_EQ(k.ok(), w.ok()) << p;
        if (!k.ok()) {
            EXPECT_EQ(kernel_errno, walk_errno) << p;
            continue;
        }
        ::fstat(k.get(), &by_kernel);
        ::fstat(w.get(), &by_walk);
        EXPECT_EQ(by_kernel.st_ino, by_walk.st_ino) << p;
        EXPECT_EQ(by_kernel.st_dev, by_walk.st_dev) << p;
    }
}

// The running system keeps its own links: /proc/self and /sys/block entries lead elsewhere in
// /proc and /sys.
TEST(Sysroot, LiveSystemFollowsItsLinks) {
    const Sysroot live;
    EXPECT_NE(std::string::npos, live.read_line("/proc/self/stat").find(std::to_string(::getpid())));
    EXPECT_TRUE(live.read("/proc/self/mountinfo").has_value());
    for (const auto& name : live.list("/sys/block"))
        EXPECT_FALSE(live.read_line("/sys/block/" + name + "/size").empty()) << name;
}

}  // namespace
}  // namespace bw
