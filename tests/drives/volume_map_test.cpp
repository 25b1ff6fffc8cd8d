// The steps of the volume map one by one, for what the captured machines do not pin: which mount
// stands for a device, what a device's facts make of a volume, and letters when volumes come and
// go or run out of letters.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "drives/VolumeMap.h"

namespace bw {
namespace {

using Lines = std::vector<std::string>;

// "device root target fstype" per mount; "-" for no device.
std::vector<DeviceMount> mounts_of(const Lines& lines) {
    std::vector<DeviceMount> out;
    for (const auto& line : lines) {
        std::istringstream in(line);
        DeviceMount m;
        in >> m.device >> m.mount.root >> m.mount.target >> m.mount.fstype;
        if (m.device == "-") m.device.clear();
        out.push_back(m);
    }
    return out;
}

// "device=mount point" of each volume, "*" after the one that holds "/", "(optical)" for one.
std::string chosen_text(const ChosenMounts& c) {
    std::string out;
    for (const auto& v : c.volumes)
        out += v.device_name + "=" + v.mount_point + (v.holds_root ? "*" : "") +
               (v.type == DriveType::Optical ? "(optical)" : "") + " ";
    return out;
}

TEST(ChooseMounts, OneMountStandsForEachDevice) {
    const struct {
        const char* name;
        Lines mounts;
        Lines optical;
        const char* chosen;
        Lines notes;
    } kCases[] = {
        {"shortest_mount_point_first",
         {"sdb1 / /data/long sd", "sdb1 / /d ext4"},
         {},
         "sdb1=/d ",
         {}},
        {"own_root_before_a_bind_mount",
         {"sdb1 /sub /a ext4", "sdb1 / /longer ext4"},
         {},
         "sdb1=/longer ",
         {}},
        {"system_root_wins_and_stays",
         {"sda1 / /boot ext4", "sda1 /@ / btrfs", "sda1 / /b btrfs"},
         {},
         "sda1=/* ",
         {}},
        {"system_folders_are_silent",
         {"- / /proc proc", "- / /sys/fs/cgroup cgroup2", "- / /run/user/0 tmpfs"},
         {},
         "",
         {}},
        {"no_device_and_network_are_noted",
         {"- / /scratch tmpfs", "- / /net nfs4"},
         {},
         "",
         {"/scratch (tmpfs): no block device", "/net (nfs4): network filesystem"}},
        {"system_on_overlay",
         {"- / / overlay"},
         {},
         "",
         {"/ is on overlay (no block device): no volume holds the system"}},
        {"optical_drive_with_and_without_a_disc",
         {"sr0 / /media/cd iso9660"},
         {"sr0", "sr1"},
         "sr0=/media/cd(optical) sr1=(optical) ",
         {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ChosenMounts chosen = ChooseMounts(mounts_of(c.mounts), c.optical);
        EXPECT_EQ(chosen_text(chosen), c.chosen);
        EXPECT_EQ(chosen.notes, c.notes);
    }
}

TEST(IdentifyVolume, FactsFillTheVolume) {
    const struct {
        const char* name;
        DriveType type;
        const char* fstype;  // from the mount table
        DeviceFacts facts;
        DriveType becomes;
        const char* fstype_after;
        size_t reasons, disks;
    } kCases[] = {
        {"local",
         DriveType::Local,
         "ext4",
         {{"xfs", "u", "l", ""}, {"sda"}, false},
         DriveType::Local,
         "ext4",
         0,
         1},
        {"type_from_the_device",
         DriveType::Local,
         "",
         {{"xfs", "u", "", ""}, {"sda"}, false},
         DriveType::Local,
         "xfs",
         0,
         1},
        {"removable_disks",
         DriveType::Local,
         "vfat",
         {{"vfat", "", "", ""}, {"sdb"}, true},
         DriveType::Removable,
         "vfat",
         0,
         1},
        {"no_disks_is_not_removable",
         DriveType::Local,
         "ext4",
         {{}, {}, true},
         DriveType::Local,
         "ext4",
         0,
         0},
        {"unreadable_device_says_why",
         DriveType::Local,
         "ext4",
         {{"", "", "", "no access"}, {}, false},
         DriveType::Local,
         "ext4",
         1,
         0},
        {"optical_keeps_its_type",
         DriveType::Optical,
         "",
         {{"iso9660", "", "CD", "no access"}, {"sr0"}, true},
         DriveType::Optical,
         "iso9660",
         0,
         0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Volume v;
        v.type = c.type;
        v.fstype = c.fstype;
        IdentifyVolume(v, c.facts);
        EXPECT_EQ(v.type, c.becomes);
        EXPECT_EQ(v.fstype, c.fstype_after);
        EXPECT_EQ(v.uuid, c.facts.identity.uuid);
        EXPECT_EQ(v.reasons.size(), c.reasons);
        EXPECT_EQ(v.disks.size(), c.disks);
    }
}

// Volumes as "uuid" in mount-point order ("/" first for the system, "" for a volume without a
// UUID); letters given as "uuid=L" in that order ("-" for none); remembered as "uuid=L".
TEST(AssignLetters, RememberedLettersComeBackAndAbsentOnesWaitTillTheLastLetter) {
    const struct {
        const char* name;
        Lines volumes;
        Lines remembered;
        const char* letters;  // in letter order
        Lines to_remember;
    } kCases[] = {
        {"first_run", {"/", "a", "b", ""}, {}, "/=C a=D b=E =F ", {"a=D", "b=E"}},
        {"remembered_come_back", {"/", "a", "b"}, {"b=D", "a=G"}, "/=C b=D a=G ", {}},
        {"absent_keeps_its_letter", {"/", "new"}, {"gone=D"}, "/=C new=E ", {"new=E"}},
        {"system_is_always_c", {"/"}, {"/=D"}, "/=C ", {}},
        {"same_letter_twice_first_volume_wins",
         {"/", "a", "b"},
         {"a=D", "b=D"},
         "/=C a=D b=E ",
         {"b=E"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<Volume> volumes;
        for (const auto& id : c.volumes) {
            Volume v;
            v.holds_root = id == "/";
            v.uuid = v.holds_root ? "/" : id;
            volumes.push_back(v);
        }
        RememberedLetters remembered;
        for (const auto& r : c.remembered)
            remembered["UUID=" + r.substr(0, r.find('='))] = r.back();
        const auto changed = AssignLetters(volumes, remembered);
        std::string letters;
        for (const auto& v : volumes)
            letters += v.uuid + "=" + (v.letter ? std::string(1, v.letter) : "-") + " ";
        EXPECT_EQ(letters, c.letters);
        std::vector<LetterToRemember> expected;
        for (const auto& r : c.to_remember)
            expected.push_back({r.back(), "UUID=" + r.substr(0, r.find('='))});
        EXPECT_EQ(changed, expected);
    }
}

// 23 letters D: to Z:. With 24 newcomers and one letter kept for an absent volume, the letter of
// the absent one goes to a newcomer before any goes without; the 25th newcomer gets none, and says
// why.
TEST(AssignLetters, LettersOfAbsentVolumesAreGivenLastAndThenNoneAreLeft) {
    std::vector<Volume> volumes(24);
    for (size_t i = 0; i < volumes.size(); ++i) volumes[i].uuid = "v" + std::to_string(i);
    const auto changed = AssignLetters(volumes, {{"UUID=gone", 'D'}});
    EXPECT_EQ(volumes.front().letter, 'D');
    EXPECT_EQ(volumes.front().uuid, "v22") << "the last newcomer to get a letter takes D:";
    EXPECT_EQ(volumes[22].letter, 'Z');
    EXPECT_EQ(volumes.back().letter, 0);
    ASSERT_EQ(volumes.back().reasons.size(), 1u);
    EXPECT_NE(volumes.back().reasons[0].find("no drive letter left"), std::string::npos);
    EXPECT_EQ(changed.size(), 23u);
}

}  // namespace
}  // namespace bw
