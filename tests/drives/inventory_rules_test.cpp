// The rules of the inventory on hand-made rows: classes, size texts and the other text rules (a
// table of cases), entries, markers, the supplementary entries and the selection handler.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

#include "drives/DosApp.h"
#include "drives/DriveInventory.h"
#include "drives/DriveText.h"
#include "drives/ModHDDetails.h"
#include "support/fakes.h"

namespace bw {
namespace {

// Pieces between separators, empty ones kept.
std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts(1);
    for (char c : s) c == sep ? void(parts.emplace_back()) : parts.back().push_back(c);
    return parts;
}

// The cases of tests/golden/drive-rules.tsv: the rule, its input and what it gives.
TEST(DriveRules, TableOfCases) {
    using Rule = std::function<std::string(const std::vector<std::string>&)>;
    const std::map<std::string, Rule> rules = {
        {"ClassifyInterface",
         [](const auto& in) {
             DriveInventory inv;
             DiskDriveRecord d;
             d.Caption = in.at(0);
             d.InterfaceType = in.at(1);
             d.Manufacturer = in.at(2);
             const std::string c = ClassifyInterface(d, "1333 Mhz", inv);
             return c + "|" + (inv.ssd_present ? "ssd" : "") + (inv.hdd_present ? "hdd" : "");
         }},
        {"DriveSizeText", [](const auto& in) { return DriveSizeText(in[0]); }},
        {"FreeSpaceText",
         [](const auto& in) {
             return FreeSpaceText(std::stod(in[0])) + "|" + FreeSpaceText2(std::stod(in[0]));
         }},
        {"WinTypeOf", [](const auto& in) { return WinTypeOf(in[0]); }},
        {"IsSsdVendorModel",
         [](const auto& in) { return std::string(IsSsdVendorModel(in[0]) ? "yes" : "no"); }},
    };
    std::ifstream in(test::source_dir() / "tests/golden/drive-rules.tsv");
    std::size_t rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto cells = split(line, '\t');
        ASSERT_EQ(3u, cells.size()) << line;
        ASSERT_EQ(1u, rules.count(cells[0])) << line;
        EXPECT_EQ(cells[2], rules.at(cells[0])(split(cells[1], '|'))) << line;
        ++rows;
    }
    EXPECT_GE(rows, 60u);
}

// The OS-only marker and the entry of a volume on one disk show in the golden files.
TEST(DriveList, EntriesKindsMarkersAndBaselineKeys) {
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
    DriveSpec& spec = DriveSpecTable()[3] = {};
    spec.Size = "500";
    spec.SizeUnit = "GB";
    spec.Interface = "SATA 6G";
    spec.Case = "2.5 Inch";
    SystemQuery query(Sysroot("/nonexistent"));

    auto sel = DriveListClick(inv, 0, query, {});
    EXPECT_EQ("3 ", inv.selected_disk);
    EXPECT_EQ("Size: 500 GB Interface: SATA 6G Case: 2.5 Inch", sel.label7);
    EXPECT_FALSE(sel.space.reason.empty());  // no such letter here: a reason, no figures
    spec = {};

    sel = DriveListClick(inv, 1, query, {});
    EXPECT_EQ("12", inv.selected_disk);
    // An entry without "[PD" keeps the disk chosen before.
    DriveListClick(inv, 2, query, {});
    EXPECT_EQ("12", inv.selected_disk);
    EXPECT_EQ(2, inv.selected_index);

    // Odd entries, and an index past the list, do not throw.
    for (const char* entry : {"", "X", "X: [PD", "X: [PD ", "X: [PD 7", "[PD 12 (Volume)]"}) {
        inv.DriveList = {entry};
        EXPECT_NO_THROW(DriveListClick(inv, 0, query, {})) << entry;
        EXPECT_NO_THROW(DriveListClick(inv, 5, query, {})) << entry;
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
