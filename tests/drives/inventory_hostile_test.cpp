// Odd input that needs no machine: letters and folders that are not there, and ext superblocks in
// every state. Odd machines (unreadable sysfs, vanished disks, roots without a block device, more
// volumes than letters) are variants with golden files in inventory_fixtures_test.cpp.
#include <gtest/gtest.h>

#include "drives/DosApp.h"
#include "drives/DriveReport.h"
#include "support/fakes.h"

namespace bw {
namespace {

TEST(VolumeLetters, TestFolderAndDevice) {
    test::TempDir dir;
    VolumeMap map;
    map.volumes.resize(1);
    map.volumes[0].letter = 'D';
    map.volumes[0].mount_point = dir.path().string();
    map.volumes[0].device_name = "sdb1";
    std::string reason;
    EXPECT_EQ(dir.path(), LetterTestFolder(SystemQuery(), map, 'D', {}, &reason));
    EXPECT_EQ("/dev/sdb1", LetterDevice(map, 'D'));
    EXPECT_EQ("", LetterDevice(map, 'Q'));
    EXPECT_TRUE(LetterTestFolder(SystemQuery(), map, 'Q', {}, &reason).empty());
    EXPECT_NE(std::string::npos, reason.find("not a drive letter"));
    // A captured machine has no folders to write to.
    reason.clear();
    EXPECT_TRUE(LetterTestFolder(SystemQuery(Sysroot(test::fixture("sysroots/vm"))), map, 'D',
                                 {"/tmp"}, &reason)
                    .empty());
    EXPECT_NE(std::string::npos, reason.find("not writable"));
}

TEST(Dirty, ExtSuperblockStates) {
    // Little-endian fields at their offsets: magic, state, compat, incompat features, error count.
    const std::pair<std::size_t, int> kFields[] = {
        {0x38, 2}, {0x3A, 2}, {0x5C, 4}, {0x60, 4}, {0x194, 4}};
    const struct {
        const char* name;
        std::uint32_t values[5];
        bool mounted, dirty, checked;
    } cases[] = {
        {"clean, mounted, journal in use", {0xEF53, 1, 4, 4, 0}, true, false, true},
        {"clean, unmounted", {0xEF53, 1, 4, 0, 0}, false, false, true},
        {"needs recovery, unmounted", {0xEF53, 1, 4, 4, 0}, false, true, true},
        {"error state", {0xEF53, 3, 4, 4, 0}, true, true, true},
        {"errors counted", {0xEF53, 1, 4, 4, 7}, true, true, true},
        {"ext2 mounted (valid bit cleared)", {0xEF53, 0, 0, 0, 0}, true, false, true},
        {"ext2 unmounted uncleanly", {0xEF53, 0, 0, 0, 0}, false, true, true},
        {"corrupt", {0x1234, 1, 4, 4, 0}, true, false, false},
    };
    for (const auto& c : cases) {
        std::string sb(1024, '\0');
        for (int f = 0; f < 5; ++f)
            for (int i = 0; i < kFields[f].second; ++i)
                sb[kFields[f].first + i] = static_cast<char>((c.values[f] >> (8 * i)) & 0xff);
        auto r = ExtSuperblockState(sb, c.mounted);
        EXPECT_EQ(c.dirty, r.dirty) << c.name;
        EXPECT_EQ(c.checked, r.checked) << c.name;
        EXPECT_EQ(c.checked, r.reason.empty()) << c.name;
    }
    EXPECT_FALSE(ExtSuperblockState("short", true).checked);
}

}  // namespace
}  // namespace bw
