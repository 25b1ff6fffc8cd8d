// The drive list of every captured machine against its golden file, and the facts the list must
// show on each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/INIReadWrite.h"
#include "drives/DriveReport.h"
#include "drives/DriveText.h"
#include "drives/ModHDDetails.h"
#include "support/fakes.h"

namespace bw {
namespace {

using test::fixture;

InventoryRun run_fixture(const std::string& machine, const InventoryRunOptions& options = {}) {
    return TakeInventory(SystemQuery(Sysroot(fixture("sysroots/" + machine))), options);
}

// Compares with tests/golden/drives/<name>; BW_UPDATE_GOLDEN=1 rewrites the file instead.
void expect_golden(const std::string& name, const std::string& actual) {
    const auto path = test::source_dir() / "tests/golden/drives" / name;
    if (std::getenv("BW_UPDATE_GOLDEN")) test::write_file(path, actual);
    const std::string expected = test::read_file(path);
    EXPECT_EQ(expected, actual) << "golden file " << path
                                << " differs (BW_UPDATE_GOLDEN=1 rewrites it)";
}

class FixtureMachine : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureMachine, DriveListMatchesGolden) {
    expect_golden(std::string(GetParam()) + ".txt", RenderInventoryText(run_fixture(GetParam())));
}

TEST_P(FixtureMachine, SystemFactsMatchGolden) {
    test::ScriptedPrompt prompt;
    prompt.answer_input(std::nullopt).answer_input(std::nullopt);  // for a machine without DMI
    test::UsePrompt use(prompt);
    SystemQuery query(Sysroot(fixture(std::string("sysroots/") + GetParam())));
    SystemFacts facts;
    SysInfo(facts, query, query.online_processors(), {});
    expect_golden(std::string(GetParam()) + ".sysinfo.txt", RenderSystemFactsText(facts));
}

TEST_P(FixtureMachine, EveryEntryParsesBack) {
    auto run = run_fixture(GetParam());
    ASSERT_FALSE(run.inv.DriveList.empty());
    for (const auto& entry : run.inv.DriveList) {
        ASSERT_GE(entry.size(), 4u);
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(entry[0]))) << entry;
        EXPECT_EQ(':', entry[1]) << entry;
        EXPECT_EQ("  ", entry.substr(2, 2)) << entry;
        // The disk number after "[PD " names a listed disk.
        if (auto field = EntryDiskField(entry)) {
            const long long disk = ValInt(*field);
            EXPECT_TRUE(std::any_of(run.disks.begin(), run.disks.end(), [&](const DiskInfo& d) {
                return d.index == disk;
            })) << entry;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, FixtureMachine,
                         ::testing::Values("sata-desktop", "nvme-laptop", "usb-external", "vm",
                                           "many-disks"),
                         [](const auto& info) {
                             std::string n = info.param;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

TEST(InventoryFixtures, SataDesktopShowsSizesKindsAndMarkers) {
    auto run = run_fixture("sata-desktop");
    const auto& list = run.inv.DriveList;
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ("C:  500GB SSD [PD 0 (Volume)]  Samsung SSD 850 EVO 500GB ATA Device {OS-SWAP}",
              list[0]);
    EXPECT_EQ("D:  2.00TB HDD [PD 1 (Partition)]  WDC WD20EZRX-00D8PB0 ATA Device", list[1]);
    EXPECT_EQ("E:  2.00TB HDD [PD 1 (Partition)]  WDC WD20EZRX-00D8PB0 ATA Device", list[2]);
    EXPECT_EQ(std::vector<std::string>{"F"}, run.inv.DVD);  // the DVD drive, no entry
    EXPECT_TRUE(run.inv.ahci && run.inv.sata && run.inv.ssd_present && run.inv.hdd_present);
    EXPECT_FALSE(run.inv.usb3);
    EXPECT_EQ((std::vector<std::string>{"C512", "D512", "E512"}), run.inv.ClusterList2);
}

TEST(InventoryFixtures, UsbMachineShowsFiveHundredTwelveMegabytesAndUsb3) {
    auto run = run_fixture("usb-external");
    EXPECT_TRUE(run.inv.usb3);
    EXPECT_EQ("E:  512MB USB [PD 2 (Volume)]  Generic Flash Disk USB Device",
              run.inv.DriveList.at(2));
    // The mount point with an escaped blank is read as the kernel meant it.
    const Volume* d = run.map.find('D');
    ASSERT_NE(nullptr, d);
    EXPECT_EQ("/media/user/Backup Disk", d->mount_point);
    EXPECT_EQ("Backup Disk", d->label);
}

TEST(InventoryFixtures, LvmOnLuksFollowsTheStackToTheNvmeDisk) {
    auto run = run_fixture("nvme-laptop");
    EXPECT_EQ(std::vector<std::string>{"0 C: D: E: F:"}, run.inv.PhysicalList);
    for (const auto& entry : run.inv.DriveList)
        EXPECT_NE(std::string::npos, entry.find("(Partition)"));
    // The swap area is a partition: no letter carries a page file.
    EXPECT_EQ("", run.inv.page_file_letters);
    EXPECT_EQ(" {OS}", run.inv.DriveList[0].substr(run.inv.DriveList[0].size() - 5));
}

TEST(InventoryFixtures, VmRamDiskAndLoopPartitions) {
    auto run = run_fixture("vm");
    // Unbound loop devices and an unset zram are no disks.
    ASSERT_EQ(3u, run.disks.size());
    EXPECT_EQ("loop0", run.disks[0].name);
    int partitions = 0;
    for (const auto& e : run.inv.DriveList) {
        if (e.find("Loop Device") != std::string::npos) {
            EXPECT_NE(std::string::npos, e.find("(Partition)")) << e;
            ++partitions;
        }
        if (e.find("Compressed RAM Disk") != std::string::npos)
            EXPECT_EQ(0u, e.find("F:  268MB RAM ")) << e;
    }
    EXPECT_EQ(2, partitions);
}

TEST(InventoryFixtures, ManyDisksUseTwoDigitNumbersAndNoRecordFromTwentySix) {
    auto run = run_fixture("many-disks");
    ASSERT_EQ(27u, run.disks.size());
    EXPECT_EQ("sdaa", run.disks[26].name);  // after sdz, as the kernel counts
    const auto& list = run.inv.DriveList;
    auto find = [&](const std::string& needle) {
        return std::find_if(list.begin(), list.end(), [&](const std::string& e) {
            return e.find(needle) != std::string::npos;
        });
    };
    ASSERT_NE(list.end(), find("[PD 10 (Volume)]"));
    ASSERT_NE(list.end(), find("[PD 26 (Volume)]"));
    EXPECT_EQ("10", *EntryDiskField(*find("[PD 10 ")));
    EXPECT_EQ("1 ", *EntryDiskField(*find("[PD 1 ")));

    // Disk 26 has no slot: selecting its entry shows no decoded specifications.
    DriveInventory inv = run.inv;
    const int index = static_cast<int>(find("[PD 26 ") - list.begin());
    auto sel =
        DriveListClick(inv, index, SystemQuery(Sysroot(fixture("sysroots/many-disks"))), run.map);
    EXPECT_EQ("26", inv.selected_disk);
    EXPECT_EQ("", sel.label7);
    EXPECT_EQ("4,001GB", sel.space.total_text);  // 4.0e12 bytes stay below 9.99e12
}

TEST(InventoryFixtures, WritesTheDiskSectionsAndInterfaceSlots) {
    test::TempDir dir;
    const auto ini = dir / "DariDozodaz.dat";
    run_fixture("sata-desktop", {{}, ini, "1600 Mhz"});
    EXPECT_EQ("IDE", ReadINI(ini, "Drive1", "Interface Type P"));
    EXPECT_EQ("HDD", ReadINI(ini, "Drive1", "Interface Type"));
    EXPECT_EQ("WDC WD20EZRX-00D8PB0 ATA Device", ReadINI(ini, "Drive1", "Caption"));
    EXPECT_EQ("2000398934016", ReadINI(ini, "Drive1", "Size"));
    EXPECT_EQ("512", ReadINI(ini, "Drive1", "Bytes Per Sector"));
    EXPECT_EQ("SSD", ReadINI(ini, "Drive0", "Interface Type"));
    EXPECT_EQ(DriveSpecTable()[1].Interface, ReadINI(ini, "Settings", "Interface1"));
    const std::string text = test::read_file(ini);
    EXPECT_NE(std::string::npos, text.find("Interface25="));
    EXPECT_EQ(std::string::npos, text.find("Interface26="));
}

}  // namespace
}  // namespace bw

namespace bw {
namespace {

TEST(InventoryFixtures, CounterLayerGetsTheSameNumbersAndLetters) {
    SystemQuery query(Sysroot(test::fixture("sysroots/sata-desktop")));
    auto disks = query.disks();
    auto map = BuildVolumeMap(query, {});
    auto counter_map = ToCounterDiskMap(disks, map);
    std::vector<std::string> names;
    for (const auto& d : counter_map.disks) names.push_back(PhysicalInstanceName(d));
    EXPECT_EQ(PhysicalDiskInstances(disks, map), names);
    ASSERT_EQ(3u, counter_map.volumes.size());  // the DVD drive has no counters
    EXPECT_EQ('E', counter_map.volumes[2].letter);
    EXPECT_EQ("sdb2", counter_map.volumes[2].kernel_name);
}

}  // namespace
}  // namespace bw
