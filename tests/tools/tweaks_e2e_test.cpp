// The prefetch row on a real disk: a loop device made for the test has its read-ahead changed by
// the save's write and put back by the restore's, through the kernel's own sysfs file. Only that
// device is touched: the adapter is given it alone.
#include <fstream>

#include <gtest/gtest.h>

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
        make_tweak_adapter(LinuxTweak::ReadAhead, TweakMachine{Sysroot("/"), nullptr, {disk}});
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

}  // namespace
}  // namespace bw
