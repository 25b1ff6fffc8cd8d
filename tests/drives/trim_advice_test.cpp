// The TRIM and AHCI advice over captured machines: what the selected drive's facts make of it (an
// NVMe drive needs no AHCI; a SATA controller in IDE mode does; TRIM is on with a discard mount
// or a periodic trim), the AHCI report, and the facts a Linux user is shown for a drive.
#include <gtest/gtest.h>

#include "core/TrimAdvice.h"
#include "drives/DriveStartup.h"
#include "drives/VolumeFacts.h"
#include "support/fakes.h"
#include "support/sysroot_variant.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSataController = "/sys/bus/pci/devices/0000:00:1f.2";
constexpr const char* kTimerLink = "/etc/systemd/system/timers.target.wants/fstrim.timer";

struct Machine {
    test::TempDir dir;
    SystemQuery query;
    InventoryRun run;
    Machine(const std::string& base, const test::SysrootFiles& files,
            const char* sata_driver = nullptr)
        : query(Sysroot(test::sysroot_variant(dir, base, files))) {
        if (sata_driver) {
            const fs::path link = dir.path() / (std::string(kSataController) + "/driver").substr(1);
            fs::remove(link);
            fs::create_symlink(std::string("../../../bus/pci/drivers/") + sata_driver, link);
        }
        run = TakeInventory(query, {});
    }
    DriveFacts facts(char letter) const {
        return LetterFacts(query, run.map, run.disks, query.ide_controllers(), letter);
    }
};

TEST(TrimAdvice, SelectedDriveOfEachMachine) {
    const struct {
        const char* name;
        const char* base;
        test::SysrootFiles files;
        const char* sata_driver;  // replaces the SATA controller's driver
        TrimAdviceSteps steps;    // for C:
    } kCases[] = {
        {"nvme_only", "nvme-laptop", {}, nullptr, {false, true, false}},
        {"nvme_with_periodic_trim", "nvme-laptop", {{kTimerLink, ""}}, nullptr,
         {false, false, true}},
        {"sata_ssd_on_ahci", "sata-desktop", {}, nullptr, {false, true, false}},
        {"sata_ssd_on_ahci_with_periodic_trim", "sata-desktop", {{kTimerLink, ""}}, nullptr,
         {false, false, true}},
        // A SATA controller in IDE mode shows the IDE class and a legacy driver.
        {"sata_in_ide_mode", "sata-desktop",
         {{std::string(kSataController) + "/class", "0x01018f\n"}}, "ata_piix",
         {true, true, false}},
        {"sata_in_ide_mode_with_periodic_trim", "sata-desktop",
         {{std::string(kSataController) + "/class", "0x01018f\n"}, {kTimerLink, ""}}, "ata_piix",
         {true, false, false}},
        {"no_ssd", "vm", {}, nullptr, {}},  // mounted with discard, but no SSD to advise on
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Machine m(c.base, c.files, c.sata_driver);
        const std::string entry = m.run.inv.DriveList.at(0);
        ASSERT_EQ('C', entry.front());
        const bool ssd = entry.find("SSD") != std::string::npos;
        EXPECT_EQ(c.steps, trim_advice_steps(ssd, false, m.facts('C'))) << entry;
        // Once acted on, the advice is not given again.
        EXPECT_EQ(TrimAdviceSteps{}, trim_advice_steps(ssd, true, m.facts('C')));
    }
}

// A discard mount option is TRIM on for that volume only, "nodiscard" is not.
TEST(TrimAdvice, DiscardMountOption) {
    Machine vm("vm", {});
    EXPECT_TRUE(vm.facts('C').trim_on);   // "/" is mounted with discard
    EXPECT_FALSE(vm.facts('D').trim_on);  // the loop partition is not
    Machine no("vm", {{"/proc/self/mountinfo",
                       "27 1 254:0 / / rw,relatime,nodiscard shared:27 - ext4 /dev/vda rw\n"}});
    EXPECT_FALSE(no.facts('C').trim_on);
}

TEST(TrimAdvice, AhciReport) {
    const struct {
        const char* name;
        std::vector<SataController> controllers;
        std::vector<const char*> says;
        bool firmware_hint;
    } kCases[] = {
        {"none", {}, {"no SATA or ATA controller", "need no AHCI"}, false},
        {"ahci", {{"0000:00:1f.2", "ahci"}}, {"0000:00:1f.2: driver ahci - AHCI mode is ON"},
         false},
        {"ide_mode",
         {{"0000:00:1f.2", "ahci"}, {"0000:00:1f.5", "ata_piix"}},
         {"0000:00:1f.5: driver ata_piix - AHCI mode is OFF", "Nothing has been changed"}, true},
        {"no_driver", {{"0000:00:1f.2", ""}}, {"driver none - AHCI mode is OFF"}, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string report = ahci_report(c.controllers);
        for (const char* s : c.says) EXPECT_NE(std::string::npos, report.find(s)) << report;
        EXPECT_EQ(c.firmware_hint, report.find("firmware (BIOS/UEFI)") != std::string::npos);
    }
}

// What a Linux user is told of a drive: device, mount point, file system, size and free space,
// and a loop device's file.
TEST(TrimAdvice, DriveDetailsForTheUser) {
    Machine vm("vm", {});
    const struct {
        char letter;
        std::vector<const char*> says;
    } kCases[] = {
        {'C', {"Device: /dev/vda", "Mounted on: /", "File system: ext4"}},
        {'D', {"Device: /dev/loop0p1", "Mounted on: /mnt/p1", "Backing file: /tmp/brantwell-scratch.img"}},
        {'Q', {"Q: is not a drive letter of this machine"}},
    };
    for (const auto& c : kCases) {
        const DriveFacts f = vm.facts(c.letter);
        for (const char* s : c.says) EXPECT_NE(std::string::npos, f.details.find(s)) << f.details;
    }
    EXPECT_EQ("/dev/loop0p1", vm.facts('D').device);
    EXPECT_EQ("", vm.facts('Q').device);
}

}  // namespace
}  // namespace bw
