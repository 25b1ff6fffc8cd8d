// The drive a main test takes when none is named: the lettered drive that holds the working
// folder, and a reason that names the file system when that folder is on none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testengine/DefaultDrive.h"

namespace bw::testengine {
namespace {

MountEntry mount(std::string target, std::string fstype, std::string source) {
    MountEntry m;
    m.target = std::move(target);
    m.fstype = std::move(fstype);
    m.source = std::move(source);
    return m;
}

Volume volume(char letter, std::string mount_point, std::string device) {
    Volume v;
    v.letter = letter;
    v.mount_point = std::move(mount_point);
    v.device_name = std::move(device);
    return v;
}

// A machine with / on vda1, /mnt/data on vdb1, /mnt/dat on vdc1 (letter E: but not listed), a
// tmpfs at /tmp, /srv/scratch a bind mount of a folder of vdb1, and a tmpfs mounted over
// /mnt/data/hidden.
struct Machine {
    VolumeMap map;
    std::vector<MountEntry> mounts;
    std::vector<std::string> drive_list;
    Machine() {
        map.volumes = {volume('C', "/", "vda1"), volume('D', "/mnt/data", "vdb1"),
                       volume('E', "/mnt/dat", "vdc1"), volume(0, "", "sr0")};
        mounts = {mount("/", "ext4", "/dev/vda1"),        mount("/tmp", "tmpfs", "tmpfs"),
                  mount("/mnt/data", "xfs", "/dev/vdb1"), mount("/mnt/dat", "ext4", "/dev/vdc1"),
                  mount("/srv/scratch", "xfs", "/dev/vdb1"),
                  mount("/mnt/data/hidden", "ext4", "/dev/vdb1"),
                  mount("/mnt/data/hidden", "tmpfs", "tmpfs")};
        drive_list = {"C:  20GB VirtIO [PD 0 (Partition)]", "D:  10GB VirtIO [PD 1 (Partition)]"};
    }
};

struct Case {
    const char* folder;
    const char* drive;   // "" when none
    const char* reason;  // a part of the reason when none
};

constexpr Case kCases[] = {
    {"/var/tmp/brantwell-0", "C:", ""},
    {"/mnt/data/work", "D:", ""},
    {"/mnt/data", "D:", ""},
    {"/mnt/database/x", "C:", ""},  // not within /mnt/data: a name that merely begins alike
    {"/srv/scratch/brantwell-0", "D:", ""},  // a bind mount is its volume's drive
    {"/tmp/brantwell-0", "", "on tmpfs (tmpfs mounted at /tmp), which has no drive letter"},
    {"/mnt/data/hidden/w", "", "tmpfs mounted at /mnt/data/hidden"},  // the last mount hides
    {"/mnt/dat/w", "", "is on E: (vdc1 at /mnt/dat), which is not in the drive list"},
};

class DefaultDriveCase : public ::testing::TestWithParam<Case> {};

TEST_P(DefaultDriveCase, IsTheDriveThatHoldsTheFolder) {
    const Case& c = GetParam();
    const Machine m;
    const DefaultDrive d = drive_holding(m.map, m.mounts, m.drive_list, c.folder);
    EXPECT_EQ(d.drive, c.drive) << d.reason;
    if (*c.drive == 0) {
        EXPECT_NE(d.reason.find(c.reason), std::string::npos) << d.reason;
        EXPECT_NE(d.reason.find(c.folder), std::string::npos) << d.reason;
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, DefaultDriveCase, ::testing::ValuesIn(kCases));

TEST(DefaultDrive, NoMountAtAllIsSaid) {
    const DefaultDrive d = drive_holding({}, {}, {}, "/tmp/w");
    EXPECT_EQ(d.drive, "");
    EXPECT_NE(d.reason.find("no mounted file system"), std::string::npos);
}

}  // namespace
}  // namespace bw::testengine
