// Odd and hostile systems: escaped mount points, more mounts than letters, disks that vanish,
// unreadable sysfs files, roots without a block device, damaged superblocks, remembered letters.
#include <gtest/gtest.h>

#include <fstream>

#include "core/INIReadWrite.h"
#include "drives/DosApp.h"
#include "drives/DriveReport.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

// A sysroot written by the test: SCSI disks with partitions, a mount table, udev records.
class FakeSystem {
  public:
    fs::path root() const { return dir_.path(); }
    void file(const std::string& rel, const std::string& text) {
        fs::create_directories((dir_.path() / rel).parent_path());
        test::write_file(dir_.path() / rel, text);
    }
    void link(const std::string& rel, const std::string& target) {
        fs::create_directories((dir_.path() / rel).parent_path());
        fs::create_symlink(target, dir_.path() / rel);
    }
    // A SCSI disk sdX with `parts` partitions; returns its device path below /sys.
    std::string disk(const std::string& name, unsigned major, unsigned minor, int parts = 1,
                     int host = 0) {
        const std::string path = "devices/pci0000:00/0000:00:10.0/host" + std::to_string(host) +
                                 "/target0:0:0/0:0:0:0/block/" + name;
        file("sys/" + path + "/size", "2097152\n");
        file("sys/" + path + "/queue/logical_block_size", "512\n");
        file("sys/" + path + "/device/vendor", "ACME\n");
        file("sys/" + path + "/device/model", "Disk " + name + "\n");
        link("sys/block/" + name, "../" + path);
        link("sys/class/block/" + name, "../../" + path);
        for (int i = 1; i <= parts; ++i) {
            const std::string p = name + std::to_string(i);
            file("sys/" + path + "/" + p + "/partition", std::to_string(i) + "\n");
            file("sys/" + path + "/" + p + "/dev",
                 std::to_string(major) + ":" + std::to_string(minor + i) + "\n");
            link("sys/class/block/" + p, "../../" + path + "/" + p);
            link("sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor + i),
                 "../../" + path + "/" + p);
        }
        return path;
    }
    void udev(unsigned major, unsigned minor, const std::string& uuid,
              const std::string& type = "ext4") {
        file("run/udev/data/b" + std::to_string(major) + ":" + std::to_string(minor),
             "E:ID_FS_TYPE=" + type + "\nE:ID_FS_UUID=" + uuid + "\n");
    }
    void mounts(const std::vector<std::string>& lines) {
        std::string text;
        int id = 20;
        for (const auto& l : lines) text += std::to_string(id++) + " 1 " + l + "\n";
        file("proc/self/mountinfo", text);
    }

  private:
    test::TempDir dir_;
};

TEST(Hostile, EscapedMountPointsAndMoreMountsThanLetters) {
    FakeSystem sys;
    std::vector<std::string> lines = {"8:1 / / rw - ext4 /dev/sda1 rw"};
    sys.disk("sda", 8, 0, 1);
    // 30 filesystems on one disk, mounted at names with blanks, tabs and backslashes.
    sys.disk("sdb", 8, 16, 30, 1);
    for (int i = 1; i <= 30; ++i) {
        sys.udev(8, 16 + i, "uuid-" + std::to_string(i));
        lines.push_back("8:" + std::to_string(16 + i) + " / /mnt/vol\\040" +
                        std::to_string(100 + i) + "\\011tab\\134 rw,relatime - ext4 /dev/sdb" +
                        std::to_string(i) + " rw");
    }
    for (int i = 0; i < 9; ++i)
        lines.push_back("0:" + std::to_string(50 + i) + " / /run/t" + std::to_string(i) +
                        " rw - tmpfs tmpfs rw");
    lines.push_back("this line is not a mount at all");
    ASSERT_EQ(41u, lines.size());
    sys.mounts(lines);

    SystemQuery query{Sysroot(sys.root())};
    auto run = TakeInventory(query, {});
    const Volume* d = run.map.find('D');
    ASSERT_NE(nullptr, d);
    EXPECT_EQ("/mnt/vol 101\ttab\\", d->mount_point);
    ASSERT_NE(nullptr, run.map.find('Z'));
    int without_letter = 0;
    for (const auto& v : run.map.volumes)
        if (!v.letter) {
            ++without_letter;
            ASSERT_FALSE(v.reasons.empty());
            EXPECT_NE(std::string::npos, v.reasons.back().find("no drive letter left"));
        }
    EXPECT_EQ(7, without_letter);  // 30 volumes for D: to Z:
    EXPECT_EQ(24u, run.inv.DriveList.size());
    EXPECT_NE(std::string::npos, run.inv.DriveList[1].find("(Partition)"));
}

TEST(Hostile, VanishedDiskAndUnreadableFiles) {
    FakeSystem sys;
    sys.disk("sda", 8, 0, 1);
    sys.link("sys/block/sdb", "../devices/gone/block/sdb");  // unplugged after the listing
    auto path = sys.disk("sdc", 8, 32, 0, 2);
    fs::remove(sys.root() / "sys" / path / "size");
    fs::create_directories(sys.root() / "sys" / path / "size");  // a size that cannot be read
    sys.file("sys/" + path + "/queue/logical_block_size", "not a number\n");
    sys.mounts({"8:1 / / rw - ext4 /dev/sda1 rw"});

    auto run = TakeInventory(SystemQuery{Sysroot(sys.root())}, {});
    ASSERT_EQ(3u, run.disks.size());
    EXPECT_EQ("sdb", run.disks[1].name);
    EXPECT_FALSE(run.disks[1].reasons.empty());
    EXPECT_FALSE(run.disks[1].size_bytes.has_value());
    EXPECT_FALSE(run.disks[2].size_bytes.has_value());
    EXPECT_FALSE(run.disks[2].bytes_per_sector.has_value());
    EXPECT_GE(run.disks[2].reasons.size(), 2u);
    ASSERT_EQ(1u, run.inv.DriveList.size());
    EXPECT_EQ(0u, run.inv.DriveList[0].find(
                      "C:  1GB SCSI [PD 0 (Volume)]  ACME Disk sda SCSI Disk Device {OS}"));
}

TEST(Hostile, RootsWithoutABlockDevice) {
    for (const std::string fstype : {"overlay", "tmpfs"}) {
        FakeSystem sys;
        sys.disk("sda", 8, 0, 1);
        sys.mounts({"0:40 / / rw - " + fstype + " " + fstype + " rw",
                    "8:1 /data /etc/hosts rw - ext4 /dev/sda1 rw",
                    "8:1 / /srv rw - ext4 /dev/sda1 rw"});
        auto run = TakeInventory(SystemQuery{Sysroot(sys.root())}, {});
        EXPECT_EQ(nullptr, run.map.find('C')) << fstype;
        const Volume* d = run.map.find('D');
        ASSERT_NE(nullptr, d) << fstype;
        EXPECT_EQ("/srv", d->mount_point);  // the filesystem's own root, not a bind mount of a file
        ASSERT_FALSE(run.map.notes.empty());
        EXPECT_NE(std::string::npos, run.map.notes[0].find("no volume holds the system")) << fstype;
        EXPECT_EQ((std::vector<std::string>{
                      "D:  1GB SCSI [PD 0 (Volume)]  ACME Disk sda SCSI Disk Device"}),
                  run.inv.DriveList);
    }
}

TEST(Hostile, BtrfsRootNamedBySource) {
    FakeSystem sys;
    sys.disk("sda", 8, 0, 2);
    sys.udev(8, 2, "f00d", "btrfs");
    sys.mounts({"0:33 /@ / rw - btrfs /dev/sda2 rw", "0:33 /@home /home rw - btrfs /dev/sda2 rw"});
    sys.file("sys/fs/btrfs/f00d/devinfo/1/error_stats",
             "write_errs 0\nread_errs 0\nflush_errs 0\ncorruption_errs 2\ngeneration_errs 0\n");
    SystemQuery query{Sysroot(sys.root())};
    auto run = TakeInventory(query, {});
    const Volume* c = run.map.find('C');
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("sda2", c->device_name);
    EXPECT_EQ(1u, run.map.volumes.size());
    CheckDirty('C', query, run.map);
    EXPECT_TRUE(DirtyFlag());
    EXPECT_NE(std::string::npos, LastDirtyCheck().detail.find("2 device errors"));
}

TEST(Hostile, MissingMountTable) {
    FakeSystem sys;
    sys.disk("sda", 8, 0, 0);
    auto run = TakeInventory(SystemQuery{Sysroot(sys.root())}, {});
    EXPECT_TRUE(run.inv.DriveList.empty());
    ASSERT_FALSE(run.map.notes.empty());
    EXPECT_NE(std::string::npos, run.map.notes[0].find("mountinfo"));
}

TEST(VolumeLetters, RememberedByUuidAcrossRuns) {
    test::TempDir prefs_dir;
    const auto prefs = prefs_dir / "DariDozodaz.dat";
    auto make = [](const std::vector<std::pair<std::string, std::string>>& vols, FakeSystem& sys) {
        sys.disk("sda", 8, 0, 4);
        std::vector<std::string> lines = {"8:1 / / rw - ext4 /dev/sda1 rw"};
        for (const auto& [part, mount] : vols) {
            const unsigned minor = static_cast<unsigned>(part.back() - '0');
            sys.udev(8, minor, "uuid-" + part);
            lines.push_back("8:" + std::to_string(minor) + " / " + mount + " rw - ext4 /dev/" +
                            part + " rw");
        }
        sys.mounts(lines);
    };
    auto letters = [&](FakeSystem& sys) {
        std::string out;
        for (const auto& v : BuildVolumeMap(SystemQuery{Sysroot(sys.root())}, prefs).volumes)
            out += std::string(1, v.letter ? v.letter : '-') + "=" + v.device_name + " ";
        return out;
    };
    {
        FakeSystem sys;
        make({{"sda2", "/a"}, {"sda3", "/b"}}, sys);
        EXPECT_EQ("C=sda1 D=sda2 E=sda3 ", letters(sys));
    }
    {
        // /a is away: /b keeps E:, and a new volume does not take D:.
        FakeSystem sys;
        make({{"sda3", "/b"}, {"sda4", "/0-first-by-name"}}, sys);
        EXPECT_EQ("C=sda1 E=sda3 F=sda4 ", letters(sys));
    }
    {
        FakeSystem sys;
        make({{"sda2", "/z"}, {"sda3", "/b"}, {"sda4", "/a"}}, sys);
        EXPECT_EQ("C=sda1 D=sda2 E=sda3 F=sda4 ", letters(sys));
    }
    EXPECT_EQ("UUID=uuid-sda2", ReadINI(prefs, kDriveLetterSection, "D"));
}

TEST(VolumeLetters, TestFolderAndDevice) {
    test::TempDir dir;
    VolumeMap map;
    Volume v;
    v.letter = 'D';
    v.mount_point = dir.path().string();
    v.device_name = "sdb1";
    map.volumes.push_back(v);
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
    struct Case {
        const char* name;
        std::uint16_t magic, state;
        std::uint32_t compat, incompat, errors;
        bool mounted, dirty, checked;
    };
    const Case cases[] = {
        {"clean, mounted, journal in use", 0xEF53, 1, 4, 4, 0, true, false, true},
        {"clean, unmounted", 0xEF53, 1, 4, 0, 0, false, false, true},
        {"needs recovery, unmounted", 0xEF53, 1, 4, 4, 0, false, true, true},
        {"error state", 0xEF53, 3, 4, 4, 0, true, true, true},
        {"errors counted", 0xEF53, 1, 4, 4, 7, true, true, true},
        {"ext2 mounted (valid bit cleared)", 0xEF53, 0, 0, 0, 0, true, false, true},
        {"ext2 unmounted uncleanly", 0xEF53, 0, 0, 0, 0, false, true, true},
        {"corrupt", 0x1234, 1, 4, 4, 0, true, false, false},
    };
    for (const auto& c : cases) {
        std::string sb(1024, '\0');
        auto put = [&](size_t at, std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i) sb[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
        };
        put(0x38, c.magic, 2);
        put(0x3A, c.state, 2);
        put(0x5C, c.compat, 4);
        put(0x60, c.incompat, 4);
        put(0x194, c.errors, 4);
        auto r = ExtSuperblockState(sb, c.mounted);
        EXPECT_EQ(c.dirty, r.dirty) << c.name;
        EXPECT_EQ(c.checked, r.checked) << c.name;
        EXPECT_EQ(c.checked, r.reason.empty()) << c.name;
    }
    EXPECT_FALSE(ExtSuperblockState("short", true).checked);
}

}  // namespace
}  // namespace bw
