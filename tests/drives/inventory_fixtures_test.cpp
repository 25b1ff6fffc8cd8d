// The drive list and dirty checks of every captured machine, and of odd variants of them, and its
// system facts against golden files; then what they do not show: answers of a machine without DMI,
// facts kept, remembered letters, the Drive<i> keys, the selection of a disk without a slot and
// the counter layer's names.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "core/INIReadWrite.h"
#include "drives/DosApp.h"
#include "drives/DriveReport.h"
#include "drives/DriveText.h"
#include "drives/ModHDDetails.h"
#include "platform/SystemQueryText.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/sysroot_variant.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::fixture;
using Files = test::SysrootFiles;  // nullopt: the file is gone

fs::path variant(const test::TempDir& dir, const std::string& machine, const Files& files) {
    return test::sysroot_variant(dir, machine, files);
}

// A mount table from "major:minor root target options - fstype source options" lines.
std::string mountinfo(const std::vector<std::string>& lines) {
    std::string text;
    int id = 20;
    for (const auto& l : lines) text += std::to_string(id++) + " 1 " + l + "\n";
    return text;
}

// Every disk of many-disks mounted at a name with an escaped blank, tab and backslash: 26 volumes
// for the 23 letters D: to Z:, besides filesystems without a device and a line that is no mount.
std::string escaped_mounts_on_27_disks() {
    std::vector<std::string> lines = {"8:1 / / rw - ext4 /dev/sda1 rw",
                                      "0:51 / /scratch rw - tmpfs tmpfs rw",
                                      "this line is not a mount at all"};
    for (int i = 1; i <= 26; ++i) {
        const std::string name = i < 26 ? std::string("sd") + char('a' + i) : "sdaa";
        const std::string dev = i < 16 ? "8:" + std::to_string(16 * i + 1)
                                       : "65:" + std::to_string(16 * (i - 16) + 1);
        lines.push_back(dev + " / /mnt/vol\\040" + std::to_string(100 + i) +
                        "\\011tab\\134 rw,relatime - ext4 /dev/" + name + "1 rw");
    }
    return mountinfo(lines);
}

const std::string kBtrfsStats =
    "/sys/fs/btrfs/a1b2c3d4-1111-4222-8333-444455550003/devinfo/1/error_stats";  // sdb2's UUID

const struct Machine {
    const char* name;  // golden files tests/golden/drives/<name>.txt
    const char* base;  // captured machine under tests/fixtures/sysroots
    Files files;
} kMachines[] = {
    {"sata-desktop", "sata-desktop", {}},
    {"nvme-laptop", "nvme-laptop", {}},  // LVM on LUKS, followed down to the NVMe disk
    {"usb-external", "usb-external", {}},
    {"vm", "vm", {}},                  // unbound loop devices and an unset zram are no disks
    {"many-disks", "many-disks", {}},  // sdaa after sdz, two-digit disk numbers
    // A disk unplugged after the listing, a size that cannot be read, a sector size of words.
    {"odd-sysfs", "odd-sysfs", {}},
    {"many-mounts", "many-disks", {{"/proc/self/mountinfo", escaped_mounts_on_27_disks()}}},
    // A container: the root has no block device; a bind-mounted file does not stand for its disk.
    {"container",
     "sata-desktop",
     {{"/proc/self/mountinfo", mountinfo({"0:40 / / rw - overlay overlay rw",
                                          "8:1 /data /etc/hosts rw - ext4 /dev/sda1 rw",
                                          "8:1 / /srv rw - ext4 /dev/sda1 rw"})}}},
    {"no-mount-table", "sata-desktop", {{"/proc/self/mountinfo", std::nullopt}}},
    // btrfs subvolumes carry an anonymous device number: the source names the device.
    {"btrfs-subvolumes",
     "sata-desktop",
     {{"/proc/self/mountinfo", mountinfo({"0:33 /@ / rw - btrfs /dev/sdb2 rw",
                                          "0:33 /@home /home rw - btrfs /dev/sdb2 rw"})},
      {kBtrfsStats, "write_errs 0\nread_errs 0\nflush_errs 0\ncorruption_errs 2\n"}}},
};

void PrintTo(const Machine& m, std::ostream* os) { *os << m.name; }

// Compares with tests/golden/drives/<name>.
void expect_golden(const std::string& name, const std::string& actual) {
    test::expect_golden("drives/" + name, actual);
}

// The dirty check of a letter as a line: flag, whether the state could be read, what was found
// or why it could not be read.
std::string dirty_check(char letter, const SystemQuery& query, const VolumeMap& map) {
    CheckDirty(letter, query, map);
    const DirtyResult& r = LastDirtyCheck();
    return std::string("  ") + letter + (DirtyFlag() ? " dirty" : " clean") +
           (r.checked ? ", checked: " : ", not checked: ") + r.detail + r.reason + "\n";
}

class FixtureMachine : public ::testing::TestWithParam<Machine> {
  protected:
    test::TempDir dir_;
};

// Besides the drive list, the dirty check of every lettered volume: superblock states, btrfs error
// counters and devices that cannot be read, each with what was found or why it could not be.
TEST_P(FixtureMachine, DriveListMatchesGolden) {
    const SystemQuery query(Sysroot(variant(dir_, GetParam().base, GetParam().files)));
    const InventoryRun run = TakeInventory(query, {});
    std::string text = RenderInventoryText(run) + "\nDirty checks:\n";
    for (const Volume& v : run.map.volumes)
        if (v.letter) text += dirty_check(v.letter, query, run.map);
    expect_golden(std::string(GetParam().name) + ".txt", text);
}

INSTANTIATE_TEST_SUITE_P(Machines, FixtureMachine, ::testing::ValuesIn(kMachines),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

// The system facts of a first start with the questions asked (a machine without DMI asks for its
// board and memory; both cancelled here), and the keys written for them in the order shown.
TEST(InventoryFixtures, SystemFactsMatchGolden) {
    for (const auto& m : kMachines) {
        if (!m.files.empty()) continue;  // the facts of a variant are those of its machine
        SCOPED_TRACE(m.name);
        test::TempDir dir;
        test::ScriptedPrompt prompt;
        prompt.answer_input(std::nullopt).answer_input(std::nullopt);
        test::UsePrompt use(prompt);
        const SystemQuery query(Sysroot(fixture(std::string("sysroots/") + m.base)));
        const auto ini = dir / "DariDozodaz.dat";
        SystemFacts facts;
        SysInfo(facts, query, query.online_processors(), ini);
        std::string text = RenderSystemFactsText(facts);
        const std::string written = test::read_file(ini);
        size_t last = 0;
        for (const auto& line : text::lines(text)) {
            const std::string key = line.substr(0, line.find(':'));
            EXPECT_EQ(text::trim(line.substr(14)), ReadINI(ini, "Settings", key)) << key;
            const size_t at = written.find(key + "=");
            EXPECT_TRUE(at != std::string::npos && at >= last) << key << " missing or out of order";
            last = at;
        }
        for (const auto& p : prompt.shown()) text += "Asked: " + p.title + ": " + p.text + "\n";
        expect_golden(std::string(m.name) + ".sysinfo.txt", text);
    }
}

// Answers of a machine without DMI are stored as given (cancelled ones: vm.sysinfo.txt above).
TEST(InventoryFixtures, MachineWithoutDmiStoresTheAnswers) {
    const std::pair<const char*, const char*> answers[] = {
        {"Unknown", "Unkn"},  // the defaults taken
        {"QEMU Q35", "3200 Mhz"}};
    for (const auto& [board, memory] : answers) {
        test::TempDir dir;
        test::ScriptedPrompt prompt;
        prompt.answer_input(board).answer_input(memory);
        test::UsePrompt use(prompt);
        SystemFacts facts;
        SysInfo(facts, SystemQuery(Sysroot(fixture("sysroots/vm"))), 2, dir / "w.dat");
        EXPECT_EQ(board, ReadINI(dir / "w.dat", "Settings", "MB"));
        EXPECT_EQ(memory, ReadINI(dir / "w.dat", "Settings", "MEMS"));
    }
}

// Each Get function fills its facts only while they are empty.
TEST(InventoryFixtures, GetFunctionsKeepWhatIsThere) {
    const SystemQuery sata(Sysroot(fixture("sysroots/sata-desktop")));
    SystemFacts facts, empty;
    facts.CPUSpeed = "3401 Mhz";
    facts.BIOS = "1.0";
    GetCPU(facts, sata);
    GetBIOS(facts, sata);
    GetCPU(empty, sata);
    EXPECT_EQ("3401 Mhz", facts.CPUSpeed);
    EXPECT_EQ("1.0", facts.BIOS);
    EXPECT_EQ("3900", empty.CPUSpeed);  // the rated maximum when the report had none
}

// A lower-case letter is that volume's; a letter without a volume is clean and says so. The drive
// report: figures of a mounted volume, an optical drive without a disc, no such letter.
TEST(InventoryFixtures, DirtyCheckAndReportByLetter) {
    SystemQuery query(Sysroot(fixture("sysroots/sata-desktop")));
    auto map = BuildVolumeMap(query, {});
    expect_golden("sata-desktop.reports.txt",
                  dirty_check('d', query, map) + dirty_check('Q', query, map) + "\n" +
                      DriveCInfo('C', query, map) + "\n" + DriveCInfo('F', query, map) + "\n" +
                      DriveCInfo('Q', query, map));
}

// A volume that is away keeps its letter from a newcomer; one that is back gets it again.
TEST(InventoryFixtures, LettersAreRememberedByUuidAcrossRuns) {
    test::TempDir prefs_dir;
    const auto prefs = prefs_dir / "DariDozodaz.dat";
    const struct {
        std::vector<std::pair<char, const char*>> mounts;  // partition 1 of sd<char> at a folder
        const char* letters;
    } runs[] = {
        {{{'b', "/a"}, {'c', "/b"}}, "C=sda1 D=sdb1 E=sdc1 "},
        {{{'c', "/b"}, {'d', "/0-first-by-name"}}, "C=sda1 E=sdc1 F=sdd1 "},
        {{{'b', "/z"}, {'c', "/b"}, {'d', "/a"}}, "C=sda1 D=sdb1 E=sdc1 F=sdd1 "},
    };
    for (const auto& run : runs) {
        std::vector<std::string> lines = {"8:1 / / rw - ext4 /dev/sda1 rw"};
        for (const auto& [disk, at] : run.mounts)
            lines.push_back("8:" + std::to_string(16 * (disk - 'a') + 1) + " / " + at +
                            " rw - ext4 /dev/sd" + disk + "1 rw");
        test::TempDir dir;
        const Files files = {{"/proc/self/mountinfo", mountinfo(lines)}};
        std::string out;
        for (const auto& v :
             BuildVolumeMap(SystemQuery{Sysroot(variant(dir, "many-disks", files))}, prefs).volumes)
            out += std::string(1, v.letter ? v.letter : '-') + "=" + v.device_name + " ";
        EXPECT_EQ(run.letters, out);
    }
    EXPECT_EQ("UUID=44444444-0000-4000-8000-000000000001",
              ReadINI(prefs, kDriveLetterSection, "D"));
}

InventoryRun run_fixture(const std::string& machine, const InventoryRunOptions& options = {}) {
    return TakeInventory(SystemQuery(Sysroot(fixture("sysroots/" + machine))), options);
}

// The Drive<i> sections and the decoded interface of every slot (Interface0 to Interface25); a
// slot without a disk shows what the table held, so the table starts empty.
TEST(InventoryFixtures, WritesTheDiskSectionsAndInterfaceSlots) {
    test::TempDir dir;
    DriveSpecTable() = {};
    auto run = run_fixture("sata-desktop", {{}, dir / "DariDozodaz.dat", "1600 Mhz"});
    EXPECT_EQ((std::vector<std::string>{"C512", "D512", "E512"}), run.inv.ClusterList2);
    expect_golden("sata-desktop.ini", test::read_file(dir / "DariDozodaz.dat"));
}

TEST(InventoryFixtures, TwoDigitDiskNumbersAndNoSlotFromTwentySix) {
    auto run = run_fixture("many-disks");
    const SystemQuery query(Sysroot(fixture("sysroots/many-disks")));
    // The entries of PD 1, PD 10 and PD 26 (tests/golden/drives/many-disks.txt).
    const std::pair<int, const char*> picks[] = {{1, "1 "}, {10, "10"}, {13, "26"}};
    DriveSelection sel;
    for (const auto& [index, disk] : picks) {
        sel = DriveListClick(run.inv, index, query, run.map);
        EXPECT_EQ(disk, run.inv.selected_disk) << run.inv.DriveList.at(index);
    }
    // Disk 26 has no slot: selecting its entry shows no decoded drive details.
    EXPECT_EQ("", sel.label7);
    EXPECT_EQ("4,001GB", sel.space.total_text);  // 4.0e12 bytes stay below 9.99e12
}

TEST(InventoryFixtures, CounterLayerGetsTheSameNumbersAndLetters) {
    SystemQuery query(Sysroot(fixture("sysroots/sata-desktop")));
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
