// Physical disk numbers that stay with their disks: the group order of new disks, numbers kept
// across starts by identity, numbers of absent disks kept free, a damaged preferences section,
// and a captured machine where a loop device appears between two starts.
#include <gtest/gtest.h>

#include <sstream>

#include "core/INIReadWrite.h"
#include "core/MainOptions.h"
#include "drives/DiskNumbers.h"
#include "drives/DriveStartup.h"
#include "support/fakes.h"
#include "support/sysroot_variant.h"

namespace bw {
namespace {

// "name:transport[:removable]" per disk; the identity is "id-" + name.
std::vector<DiskInfo> disks_of(const std::string& spec) {
    std::vector<DiskInfo> out;
    std::istringstream in(spec);
    std::string word;
    while (in >> word) {
        DiskInfo d;
        auto colon = word.find(':');
        d.name = word.substr(0, colon);
        std::string rest = word.substr(colon + 1);
        d.removable = rest.ends_with(":removable");
        d.transport = rest.substr(0, rest.find(':'));
        d.identity = "id-" + d.name;
        out.push_back(d);
    }
    return out;
}

std::string numbers_of(const std::vector<DiskInfo>& disks) {
    std::string out;
    for (const auto& d : disks) out += d.name + "=" + std::to_string(d.index) + " ";
    return out;
}

TEST(DiskNumbers, GroupsThenRememberedThenFreeNumbers) {
    const struct {
        const char* name;
        const char* disks;  // in the order the system lists them (by name)
        RememberedNumbers remembered;
        const char* numbers;  // in number order
        size_t changed;
    } kCases[] = {
        {"real_then_removable_then_virtual",
         "loop0:loop sda:ata sdb:usb:removable vda:virtio zram0:zram", {},
         "sda=0 vda=1 sdb=2 loop0=3 zram0=4 ", 5},
        {"remembered_numbers_kept", "loop0:loop vda:virtio zram0:zram",
         {{"id-vda", 0}, {"id-zram0", 1}}, "vda=0 zram0=1 loop0=2 ", 1},
        {"absent_disk_keeps_its_number_free", "sda:ata sdc:ata", {{"id-sda", 0}, {"id-sdb", 1}},
         "sda=0 sdc=2 ", 1},
        {"number_taken_twice_goes_to_the_first", "sda:ata sdb:ata",
         {{"id-sda", 3}, {"id-sdb", 3}}, "sdb=0 sda=3 ", 1},
        // Past the decoder's 26 slots, a number of an absent disk goes before none at all.
        {"absent_numbers_reused_past_the_slots", "sdz:ata sdaa:ata",
         [] {
             RememberedNumbers r{{"id-sdz", 0}};
             for (int i = 1; i < 26; ++i) r["gone-" + std::to_string(i)] = i;
             return r;
         }(),
         "sdz=0 sdaa=1 ", 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto disks = disks_of(c.disks);
        auto changed = AssignDiskNumbers(disks, c.remembered);
        EXPECT_EQ(c.numbers, numbers_of(disks));
        EXPECT_EQ(c.changed, changed.size());
    }
}

// Numbers that are not numbers, out of range or without an identity are no memory of a disk.
TEST(DiskNumbers, DamagedPreferencesAreIgnored) {
    test::TempDir dir;
    const auto prefs = dir / "DariDozodaz.dat";
    test::write_file(prefs,
                     "[Disk Numbers]\n0=wwn:a\nx=wwn:b\n-1=wwn:c\n1000=wwn:d\n2=\n3=wwn:a\n4=wwn:e\n");
    EXPECT_EQ((RememberedNumbers{{"wwn:a", 0}, {"wwn:e", 4}}), ReadRememberedNumbers(prefs));
}

// What a disk is known by: its world-wide name, else its serial number, from sysfs or else the
// udev record, else its device path; a virtual disk only by its path. And the controller it hangs on.
TEST(DiskNumbers, IdentityOfACapturedDisk) {
    const struct {
        const char* name;
        const char* machine;
        test::SysrootFiles files;
        const char* disk;
        const char* identity;
        const char* controller;
    } kCases[] = {
        {"path_when_nothing_else", "sata-desktop", {}, "sda", "path:/dev/sda", "0000:00:1f.2"},
        {"sysfs_wwid", "sata-desktop",
         {{"/sys/block/sda/device/wwid", "naa.5002538e40a1b2c3\n"},
          {"/sys/block/sda/device/serial", "S21NNXAG123\n"}},
         "sda", "wwn:naa.5002538e40a1b2c3", "0000:00:1f.2"},
        {"sysfs_serial", "sata-desktop", {{"/sys/block/sda/device/serial", " S21NNXAG123 \n"}},
         "sda", "serial:S21NNXAG123", "0000:00:1f.2"},
        {"udev_wwn_before_serial", "sata-desktop",
         {{"/run/udev/data/b8:0", "E:ID_SERIAL=Samsung_SSD_850_S21\nE:ID_WWN=0x5002538e40a1b2c3\n"}},
         "sda", "wwn:0x5002538e40a1b2c3", "0000:00:1f.2"},
        {"udev_serial", "sata-desktop", {{"/run/udev/data/b8:16", "E:ID_SERIAL=WDC_WD20EZRX_1\n"}},
         "sdb", "serial:WDC_WD20EZRX_1", "0000:00:1f.2"},
        {"nvme", "nvme-laptop", {{"/sys/block/nvme0n1/wwid", "eui.0025385b71b2c3d4\n"}},
         "nvme0n1", "wwn:eui.0025385b71b2c3d4", "0000:3d:00.0"},
        {"virtual_disk_by_path", "vm", {{"/sys/block/loop0/wwid", "loop-wwid\n"}}, "loop0",
         "path:/dev/loop0", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const SystemQuery query(Sysroot(test::sysroot_variant(dir, c.machine, c.files)));
        bool found = false;
        for (const auto& d : query.disks()) {
            if (d.name != c.disk) continue;
            found = true;
            EXPECT_EQ(c.identity, d.identity);
            EXPECT_EQ(c.controller, d.controller);
        }
        EXPECT_TRUE(found);
    }
}

// The first entry of each disk in the drive list, by letter ("C:  275GB VirtIO [PD 0 ...").
std::string entries_of(const InventoryRun& run) {
    std::string out;
    for (const auto& e : run.inv.DriveList) out += e + "\n";
    return out;
}

// The captured VM, first with its loop device not set up, then with it: the system disk and the
// zram disk keep their numbers and the entry of C: stays the same text, so the stored `Last
// Drive` and the baseline keys still match. Remembered numbers survive a third start in which the
// loop device sorts first by name.
TEST(DiskNumbers, LoopDeviceAppearingKeepsTheNumbers) {
    test::TempDir prefs_dir, before_dir, after_dir;
    const auto prefs = prefs_dir / "DariDozodaz.dat";
    const InventoryRunOptions options{prefs, {}, {}};
    const SystemQuery before(Sysroot(test::sysroot_variant(
        before_dir, "vm", {{"/sys/block/loop0/loop/backing_file", std::nullopt}})));
    const SystemQuery after(Sysroot(test::sysroot_variant(after_dir, "vm", {})));

    const InventoryRun first = TakeInventory(before, options);
    const InventoryRun second = TakeInventory(after, options);
    EXPECT_EQ("vda=0 zram0=1 ", numbers_of(first.disks));
    EXPECT_EQ("vda=0 zram0=1 loop0=2 ", numbers_of(second.disks));
    const std::string c_first = first.inv.DriveList.at(0);
    EXPECT_EQ(c_first, second.inv.DriveList.at(0)) << entries_of(second);
    EXPECT_NE(std::string::npos, c_first.find("[PD 0 ")) << c_first;

    // `Last Drive` saved at the first start selects the same entry at the second; an entry whose
    // text changed (another size) is found by its letter.
    EXPECT_EQ(0, last_drive_index(second.inv.DriveList, c_first));
    const std::string zram_entry = first.inv.DriveList.at(3);
    std::string changed_size = zram_entry;
    changed_size.replace(4, 5, "999MB");
    EXPECT_EQ(3, last_drive_index(second.inv.DriveList, changed_size)) << entries_of(second);

    const InventoryRun third = TakeInventory(after, options);
    EXPECT_EQ(numbers_of(second.disks), numbers_of(third.disks));
    EXPECT_EQ("path:/dev/loop0", ReadINI(prefs, kDiskNumberSection, "2"));
}

}  // namespace
}  // namespace bw
