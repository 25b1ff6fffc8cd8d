// The rules of the inventory on hand-made rows: classes, size texts, entries, markers, the
// supplementary entries and the selection handler.
#include <gtest/gtest.h>

#include "drives/DriveInventory.h"
#include "drives/DriveText.h"
#include "drives/ModHDDetails.h"

namespace bw {
namespace {

TEST(DriveClass, RulesInOrder) {
    struct Case {
        const char* caption;
        const char* iface;
        const char* manufacturer;
        const char* expected;
        bool ssd, hdd;
    };
    const Case cases[] = {
        {"WDC WD20EZRX-00D8PB0 ATA Device", "IDE", "", "HDD", false, true},
        {"KINGSTON SV300S37A120G ATA Device", "IDE", "", "SSD", true, false},
        {"Samsung SSD 850 EVO 500GB ATA Device", "IDE", "", "SSD", true, false},
        {"OCZ-VERTEX3 SSD S3", "IDE", "", "SSD", true, false},  // vendor wins before S3
        {"Intel SSD S3 S2 Series", "SCSI", "", "SSD SATA2", true, false},
        {"Intel SSD S3 Series", "SCSI", "", "SSD SATA3", true, false},
        {"\\\\.\\RAMDISK", "SCSI", "", "RAM 1333 Mhz", false, true},
        {"Compressed RAM Disk", "", "", "RAM 1333 Mhz", false, true},
        {"Loop Device", "", "", "RAM 1333 Mhz", false, true},  // no interface: a RAM drive
        {"Some Disk", "SCSI", "SuperRAM Corp", "RAM 1333 Mhz", false, true},
        {"Net Storage Disk", "SCSI", "", "NET", false, true},
        {"ramdisk", "SCSI", "", "SCSI", false, true},  // case-sensitive
        {"WD My Passport 25E2 USB Device", "USB", "", "USB", false, true},
        {"VirtIO Block Device", "SCSI", "", "SCSI", false, true},
    };
    for (const auto& c : cases) {
        DriveInventory inv;
        DiskDriveRecord d;
        d.Caption = c.caption;
        d.InterfaceType = c.iface;
        d.Manufacturer = c.manufacturer;
        EXPECT_EQ(c.expected, ClassifyInterface(d, "1333 Mhz", inv)) << c.caption;
        EXPECT_EQ(c.ssd, inv.ssd_present) << c.caption;
        EXPECT_EQ(c.hdd, inv.hdd_present) << c.caption;
    }
}

TEST(DriveText, SizeTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"2000398934016", "2.00TB"}, {"500107862016", "500GB"}, {"512000000", "512MB"},
        {"999499999", "999MB"},      {"999500000", "1GB"},      {"", "MB"},
        {"1000204886016", "1.00TB"}, {"274877906944", "275GB"}, {"garbage", "MB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(text, DriveSizeText(bytes)) << bytes;
}

TEST(DriveText, FreeSpaceTexts) {
    struct Case {
        double bytes;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {2.0e13, "20TB", "20 TB"}, {9.99e12, "9,990GB", "9,990 GB"}, {5.0e11, "500GB", "500 GB"},
        {1.5e7, "15MB", "15 MB"},  {12345, "12KB", "12 KB"},         {512, "512Bytes", "512 Bytes"},
        {0, "0Bytes", "0 Bytes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.first, FreeSpaceText(c.bytes)) << c.bytes;
        EXPECT_EQ(c.second, FreeSpaceText2(c.bytes)) << c.bytes;
    }
}

DriveInventory two_disks() {
    DriveInventory inv;
    inv.windows_drive = 'C';
    inv.page_file_letters = "CD";
    inv.PhysicalList = {"0 C:", "1 D: E:", "12 F:"};
    inv.LogicalList = {"C:", "d:", "E:", "F:", "G:"};
    inv.PhysicalList2 = {"0 SSD", "1 HDD", "12SCSI"};
    inv.PhysicalList3 = {"0 Samsung SSD 850 EVO 500GB ATA Device", "1 WDC WD20EZRX ATA Device",
                         "12Big Disk"};
    inv.PhysicalList4 = {"0 500107862016", "1 2000398934016", "12512000000"};
    inv.ClusterList = {"0 512", "1 4096", "12512"};
    return inv;
}

// The OS-only marker and the entry of a volume on one disk show in the golden files.
TEST(DriveList, EntriesKindsMarkersAndBaselineKeys) {
    auto inv = two_disks();
    std::vector<std::string> keys;
    BuildDriveList(inv, {{}, [&](char letter, const std::string& key) {
                             keys.push_back(std::string(1, letter) + "|" + key);
                         }});
    EXPECT_EQ((std::vector<std::string>{
                  "C:  500GB SSD [PD 0 (Volume)]  Samsung SSD 850 EVO 500GB ATA Device {OS-SWAP}",
                  "D:  2.00TB HDD [PD 1 (Partition)]  WDC WD20EZRX ATA Device {SWAP}",
                  "E:  2.00TB HDD [PD 1 (Partition)]  WDC WD20EZRX ATA Device",
                  "F:  512MB SCSI [PD 12 (Volume)]  Big Disk",
                  "G:  MB  [PD 0 (Volume)]  ",  // a letter no disk carries: no interface or size
              }),
              inv.DriveList);
    EXPECT_EQ((std::vector<std::string>{"C512", "D4096", "E4096", "F512"}), inv.ClusterList2);
    ASSERT_EQ(inv.DriveList.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(inv.DriveList[i].substr(0, 1) + "|" + inv.DriveList[i].substr(4), keys[i]);
}

TEST(DriveList, SupplementaryEntriesForLettersWithoutInstances) {
    DriveInventory inv;
    inv.LogicalList = {"C:"};
    inv.DriveList = {"C:  500GB SSD [PD 0 (Volume)]  X"};
    inv.LogicalLabel2 = {"C:  500GB HDD ()", "H:  EMPTY HDD (share)"};
    AddSupplementaryEntries(inv);
    EXPECT_EQ(
        (std::vector<std::string>{"C:  500GB SSD [PD 0 (Volume)]  X", "H:  EMPTY HDD (share)"}),
        inv.DriveList);
    EXPECT_EQ((std::vector<std::string>{"C:", "H:"}), inv.LogicalList);
}

TEST(DriveList, InstanceFilter) {
    EXPECT_EQ((std::vector<std::string>{"0 C:", "10"}),
              FilterInstances({"0 C:", "1", "_Total", "", "10", "0 C:"}, false));
    EXPECT_EQ((std::vector<std::string>{"C:", "D:"}),
              FilterInstances({"C:", "HarddiskVolume1", "D:", "_Total", "C:"}, true));
}

TEST(Selection, DiskFieldSsdAndSpecifications) {
    DriveInventory inv;
    inv.DriveList = {"C:  500GB SSD [PD 3 (Volume)]  Samsung SSD",
                     "D:  2.00TB HDD [PD 12 (Volume)]  X", "H:  EMPTY HDD (share)"};
    DriveSpec& spec = DriveSpecTable()[3];
    spec = DriveSpec{};
    spec.Size = "500";
    spec.SizeUnit = "GB";
    spec.Interface = "SATA 6G";
    spec.Case = "2.5 Inch";
    SystemQuery query(Sysroot("/nonexistent"));
    VolumeMap empty;

    auto sel = DriveListClick(inv, 0, query, empty);
    EXPECT_EQ("3 ", inv.selected_disk);
    EXPECT_TRUE(sel.select_functional_test);
    EXPECT_EQ("500GB SSD [PD 3 (Volume)]  Samsung SSD", sel.checkcap_key);
    EXPECT_EQ("Size: 500 GB Interface: SATA 6G Case: 2.5 Inch", sel.label7);
    EXPECT_FALSE(sel.space.reason.empty());  // no such letter here: a reason, no figures

    sel = DriveListClick(inv, 1, query, empty);
    EXPECT_EQ("12", inv.selected_disk);
    EXPECT_FALSE(sel.select_functional_test);

    // An entry without "[PD" keeps the disk chosen before.
    DriveListClick(inv, 2, query, empty);
    EXPECT_EQ("12", inv.selected_disk);
    EXPECT_EQ(2, inv.selected_index);
    spec = DriveSpec{};
}

TEST(Selection, OddEntriesDoNotThrow) {
    for (const char* entry : {"", "X", "X: [PD", "X: [PD ", "X: [PD 7", "[PD 12 (Volume)]"}) {
        DriveInventory inv;
        inv.DriveList = {entry};
        SystemQuery query(Sysroot("/nonexistent"));
        EXPECT_NO_THROW(DriveListClick(inv, 0, query, VolumeMap{})) << entry;
        EXPECT_NO_THROW(DriveListClick(inv, 5, query, VolumeMap{})) << entry;
    }
    EXPECT_EQ("7", *EntryDiskField("X: [PD 7"));
}

TEST(DiskNames, NaturalOrder) {
    std::vector<std::string> names = {"sdaa", "loop10",  "sdb",      "vda",     "loop2", "sdz",
                                      "sda",  "nvme0n1", "nvme10n1", "nvme2n1", "zram0"};
    std::sort(names.begin(), names.end(), disk_name_less);
    EXPECT_EQ((std::vector<std::string>{"loop2", "loop10", "nvme0n1", "nvme2n1", "nvme10n1", "sda",
                                        "sdb", "sdz", "sdaa", "vda", "zram0"}),
              names);
}

}  // namespace
}  // namespace bw
