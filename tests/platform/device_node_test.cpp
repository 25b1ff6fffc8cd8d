// The device node of a mounted device comes from the kernel's name for it, which exists in /dev
// without udev (unlike /dev/block/MAJ:MIN), and never from a name that leaves /dev.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/SystemQuery.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

TEST(DeviceNode, KernelNameFromUevent) {
    test::TempDir tree;
    const struct {
        const char* majmin;
        const char* sysfs_name;
        const char* uevent;  // nullptr: none
        const char* node;
    } cases[] = {
        {"8:1", "sda1", "MAJOR=8\nMINOR=1\nDEVNAME=sda1\nDEVTYPE=partition\n", "/dev/sda1"},
        {"104:0", "cciss!c0d0", "MAJOR=104\nMINOR=0\nDEVNAME=cciss/c0d0\n", "/dev/cciss/c0d0"},
        {"104:16", "cciss!c0d1", nullptr, "/dev/cciss/c0d1"},
        {"8:16", "sdb", "DEVNAME=../../etc/shadow\n", "/dev/sdb"},
        {"8:32", "sdc", "DEVNAME=/etc/shadow\n", "/dev/sdc"},
    };
    fs::create_directories(tree / "sys/dev/block");
    fs::create_directories(tree / "sys/class/block");
    for (const auto& c : cases) {
        const fs::path dev = tree / "sys/devices/virtual/block" / c.sysfs_name;
        fs::create_directories(dev);
        if (c.uevent) test::write_file(dev / "uevent", c.uevent);
        const std::string rel = std::string("../../devices/virtual/block/") + c.sysfs_name;
        fs::create_directory_symlink(rel, tree / "sys/dev/block" / c.majmin);
        fs::create_directory_symlink(rel, tree / "sys/class/block" / c.sysfs_name);
    }
    const SystemQuery query{Sysroot(tree.path())};
    for (const auto& c : cases) {
        unsigned major = 0, minor = 0;
        std::sscanf(c.majmin, "%u:%u", &major, &minor);
        EXPECT_EQ(c.node, query.device_node(major, minor, "")) << c.majmin;
    }
    EXPECT_EQ("", query.device_node(9, 9, "")) << "unknown device";
}

}  // namespace
}  // namespace bw
