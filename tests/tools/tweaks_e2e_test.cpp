// The Linux settings on a real machine, each given only what the test made: a loop device has its
// read-ahead changed by the prefetch row's write and put back by the restore's, through the
// kernel's own sysfs file; a filesystem on it is remounted noatime and back.
#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/Mounts.h"
#include "platform/TweakSettings.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

std::string read_ahead_kb(const std::string& disk) {
    std::ifstream in("/sys/block/" + disk + "/queue/read_ahead_kb");
    std::string kb;
    in >> kb;
    return kb;
}

TEST(TweaksE2e, PrefetchRowChangesTheDevicesReadAheadAndRestorePutsItBack) {
    if (const std::string why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop loop({});
    ASSERT_TRUE(loop.ok()) << loop.error();
    const std::string disk = loop.name();
    const std::string before = read_ahead_kb(disk);
    ASSERT_FALSE(before.empty());

    auto adapter =
        make_tweak_adapter(LinuxTweak::ReadAhead, TweakMachine{Sysroot("/"), nullptr, {disk}, {}});
    const TweakSnapshot found = adapter->capture();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].value, before);

    for (const auto& [item, kb] :
         {std::pair{0u, "0"}, std::pair{3u, "512"}, std::pair{2u, "256"}}) {
        SCOPED_TRACE(kb);
        const auto changes = adapter->write(item);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_TRUE(changes[0].ok) << changes[0].message;
        EXPECT_EQ(read_ahead_kb(disk), kb);
        EXPECT_EQ(adapter->read().level, item);
    }
    const auto back = adapter->put_back(found);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0].ok) << back[0].message;
    EXPECT_EQ(read_ahead_kb(disk), before);
}

bool mounted_with(const std::string& target, const std::string& option) {
    const auto m = Mounts(Sysroot("/"), live_mount_runner()).find(target);
    return m && std::find(m->options.begin(), m->options.end(), option) != m->options.end();
}

TEST(TweaksE2e, DateStampingRowRemountsTheVolumeNoatimeAndRestorePutsItBack) {
    if (const std::string why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop::Options options;
    options.filesystem = "ext4";
    options.mount = true;
    test::ScratchLoop loop(options);
    ASSERT_TRUE(loop.ok()) << loop.error();
    ASSERT_EQ(loop.mounts().size(), 1u);
    const std::string target = loop.mounts()[0].string();
    ASSERT_TRUE(mounted_with(target, "relatime"));

    auto adapter = make_tweak_adapter(
        LinuxTweak::LastAccess, TweakMachine{Sysroot("/"), &live_mount_runner(), {}, {target}});
    const TweakSnapshot found = adapter->capture();
    ASSERT_EQ(found.size(), 1u);
    const auto changes = adapter->write(1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].ok) << changes[0].message;
    EXPECT_TRUE(mounted_with(target, "noatime"));
    EXPECT_EQ(adapter->read().level, 1u);
    const auto back = adapter->put_back(found);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0].ok) << back[0].message;
    EXPECT_TRUE(mounted_with(target, "relatime"));
}

}  // namespace
}  // namespace bw
