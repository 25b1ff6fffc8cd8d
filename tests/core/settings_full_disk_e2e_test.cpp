// A full disk on real filesystems (ext4 allocates late, xfs and btrfs their own way): the write
// fails, the settings file keeps its old bytes, no temporary file is left, and once there is room
// again the same write lands.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/INIReadWrite.h"
#include "core/private_profile.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;

// Writes until the filesystem has no room left, with no cache in between to hide the error.
void fill(const fs::path& dir) {
    FILE* f = std::fopen((dir / "filler").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::string block(64 * 1024, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::string small(512, 'f');
    while (std::fwrite(small.data(), 1, small.size(), f) == small.size()) {
    }
    std::fclose(f);
}

class SettingsFullDisk : public testing::TestWithParam<const char*> {};

TEST_P(SettingsFullDisk, WriteFailsAndOldFileStays) {
    if (auto why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::ScratchLoop::Options o;
    o.size_mib = std::string(GetParam()) == "ext4" ? 16 : 320;  // xfs and btrfs need more room
    o.filesystem = GetParam();
    o.mount = true;
    test::ScratchLoop loop(o);
    if (!loop.ok()) GTEST_SKIP() << loop.error();
    const fs::path dir = loop.mounts().at(0);
    const fs::path file = dir / "DariDozodaz.dat";

    for (int i = 0; i < 50; ++i) WriteINI(file, "Settings", "Key " + std::to_string(i), i);
    const std::string before = read_file(file);
    fill(dir);

    bool failed = false;
    // Small writes may still find room in a partly used block; a larger value cannot.
    for (int i = 0; i < 20 && !failed; ++i)
        failed = !profile::write_string(file, "Settings", "Block " + std::to_string(i),
                                        std::string(64 * 1024, 'x'));
    ASSERT_TRUE(failed) << "the filesystem never filled up";
    EXPECT_NE(profile::last_error().find(std::strerror(ENOSPC)), std::string::npos)
        << profile::last_error();
    const std::string after = read_file(file);
    // Whatever landed before the disk filled is whole; the old keys all read back.
    EXPECT_EQ(after.compare(0, before.size(), before), 0);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ReadINI(file, "Settings", "Key " + std::to_string(i)), std::to_string(i));
    auto names = test::names_in(dir);
    std::erase(names, "lost+found");
    const std::vector<std::string> expected = {"DariDozodaz.dat", "filler"};
    EXPECT_EQ(names, expected) << "no temporary file is left behind";

    fs::remove(dir / "filler");
    ::sync();
    EXPECT_TRUE(profile::write_string(file, "Settings", "After", "1")) << profile::last_error();
    EXPECT_EQ(ReadINI(file, "Settings", "After"), "1");
}

INSTANTIATE_TEST_SUITE_P(Filesystems, SettingsFullDisk, testing::Values("ext4", "xfs", "btrfs"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace bw
