// The drive's own facts read from captured machines, and the decoded record checked against them:
// every kind of disk the program meets, decoded records that agree, are off by ten, are no number
// or are empty, and a table of real drives whose decoded sizes are compared with their real ones.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <string>

#include "drives/DecodeCheck.h"
#include "drives/DriveReport.h"
#include "drives/DriveStartup.h"
#include "platform/SystemQueryText.h"
#include "support/fakes.h"

namespace bw {
namespace {

DiskInfo disk_named(const SystemQuery& query, const std::string& name) {
    for (const auto& d : query.disks())
        if (d.name == name) return d;
    ADD_FAILURE() << "no disk " << name;
    return {};
}

DriveOwnFacts captured(const std::string& machine, const std::string& disk, bool root = true) {
    const SystemQuery query(Sysroot(test::fixture("sysroots/" + machine)));
    return ReadDriveOwnFacts(query, disk_named(query, disk), root);
}

std::string unread_text(const DriveOwnFacts& f) {
    std::string all;
    for (const auto& u : f.unread) all += u + "\n";
    return all;
}

// --- The drive's own facts of each kind of disk ------------------------------------------------

struct FactsCase {
    const char* machine;
    const char* disk;
    bool root;
    const char* capacity;  // CapacityText
    const char* rotation;  // RotationText
    const char* source;    // where the rotation came from
    const char* serial;
    const char* firmware;
    const char* wwn;
    const char* unread;  // a piece of what could not be read, "" when all was read
};

const FactsCase kFactsCases[] = {
    // SATA hard disk: the kernel's IDENTIFY page gives speed, serial, firmware and WWN to anyone.
    {"sata-desktop", "sdb", false, "2 TB", "5400 rpm", "IDENTIFY word 217", "WD-WCC4E0000000",
     "01.01A01", "50014ee2b5a1c2d3", "link: ATA link without a speed file"},
    // SATA solid-state drive: word 217 = 1.
    {"sata-desktop", "sda", false, "500 GB", "solid state", "IDENTIFY word 217",
     "S2RBNX0H000000", "01.01A01", "5002538d40a1b2c3", "link:"},
    // NVMe: sysfs has serial, firmware and the EUI; only the kernel's flag tells rotation.
    {"nvme-laptop", "nvme0n1", false, "1 TB", "solid state", "queue/rotational",
     "S4EWNX0R123456A", "2B2QEXM7", "0025385b91b2c3d4", ""},
    // A disk behind a USB bridge: only a pass-through reaches the drive, and that needs root.
    {"usb-external", "sdb", false, "2 TB", "rotating", "queue/rotational", "", "", "",
     "serial, firmware, WWN and rotation rate: asking the drive (ATA IDENTIFY through SG_IO) "
     "needs root"},
    {"usb-external", "sdb", true, "2 TB", "5400 rpm", "IDENTIFY word 217", "WD-WX11A0000000",
     "01.01A01", "", ""},
    // A USB stick that does not answer IDENTIFY at all.
    {"usb-external", "sdc", true, "512 MB", "solid state", "queue/rotational", "", "", "",
     "the drive did not answer IDENTIFY"},
    // Virtual disks: no link, and a rotational flag that says nothing about a drive.
    {"vm", "vda", true, "275 GB", "", "", "BRANTWELL-VM-01", "", "",
     "rotation: a virtual disk's rotational flag is a default"},
    {"vm", "zram0", true, "268 MB", "solid state", "RAM disk", "", "", "", ""},
    {"vm", "loop0", true, "67.1 MB", "", "", "", "", "",
     "rotation: a loop device turns as the disk of its backing file does"},
};

TEST(DriveOwnFacts, EachKindOfDiskSaysWhatItKnowsAndWhatItCouldNotRead) {
    for (const auto& c : kFactsCases) {
        SCOPED_TRACE(std::string(c.machine) + " " + c.disk + (c.root ? " as root" : ""));
        const DriveOwnFacts f = captured(c.machine, c.disk, c.root);
        ASSERT_TRUE(f.capacity_bytes);
        EXPECT_EQ(CapacityText(*f.capacity_bytes), c.capacity);
        EXPECT_EQ(RotationText(f), c.rotation);
        EXPECT_EQ(f.rotation_source, c.source);
        EXPECT_EQ(f.serial, c.serial);
        EXPECT_EQ(f.firmware, c.firmware);
        EXPECT_EQ(f.wwn, c.wwn);
        if (std::string(c.unread).empty())
            EXPECT_EQ(unread_text(f), "") << "link " << f.link;
        else
            EXPECT_NE(unread_text(f).find(c.unread), std::string::npos) << unread_text(f);
    }
}

TEST(DriveOwnFacts, TheLinkIsNamedAsAPersonReadsIt) {
    // The fixtures' USB disks hang on a 5000 Mb/s port; the NVMe fixture has no link files.
    EXPECT_EQ(captured("usb-external", "sdb").link, "USB 5000 Mb/s");
    EXPECT_EQ(captured("nvme-laptop", "nvme0n1").link, "PCIe");
}

// --- The check over captured facts and decoded records -----------------------------------------

DriveSpec decoded(const char* size, const char* unit, const char* rpm) {
    DriveSpec s;
    s.Size = size;
    s.SizeUnit = unit;
    s.Rpm = rpm;
    return s;
}

constexpr Verdict A = Verdict::Agrees, D = Verdict::Disagrees, N = Verdict::CannotTell;

struct CheckCase {
    const char* machine;
    const char* disk;
    DriveSpec spec;
    Verdict size, rpm, solid_state;
};

const CheckCase kCheckCases[] = {
    // SATA hard disk of 2 TB at 5400 rpm.
    {"sata-desktop", "sdb", decoded("2", "TB", "5400"), A, A, N},
    {"sata-desktop", "sdb", decoded("2000", "GB", "5,400"), A, A, N},
    {"sata-desktop", "sdb", decoded("20", "TB", "7200"), D, D, N},   // off by ten
    {"sata-desktop", "sdb", decoded("200", "GB", ""), D, N, N},      // off by ten, no speed
    {"sata-desktop", "sdb", decoded("20E0", "", "IntelliPower"), D, N, N},  // not a number
    {"sata-desktop", "sdb", decoded("000", "GB", ""), D, N, N},             // zero
    {"sata-desktop", "sdb", decoded("", "", ""), N, N, N},                  // nothing decoded
    {"sata-desktop", "sdb", decoded("2", "", "N/A"), D, N, D},  // no unit; solid state vs 5400
    {"sata-desktop", "sdb", decoded("1.9", "TB", ""), A, N, N},  // 5 % off is within 10 %
    {"sata-desktop", "sdb", decoded("1.75", "TB", ""), D, N, N},  // 12.5 % off is not
    // SATA solid-state drive of 500 GB.
    {"sata-desktop", "sda", decoded("500", "GB", "N/A"), A, N, A},
    {"sata-desktop", "sda", decoded("5000", "GB", "7200"), D, D, N},
    {"sata-desktop", "sda", decoded("", "", "SSD"), N, N, A},
    // NVMe of 1 TB.
    {"nvme-laptop", "nvme0n1", decoded("1", "TB", "N/A"), A, N, A},
    {"nvme-laptop", "nvme0n1", decoded("10", "TB", "N/A"), D, N, A},
    // A USB bridge read without root: rotating by the kernel's flag, speed unknown.
    {"usb-external", "sdb", decoded("2", "TB", "7200"), A, N, N},
    {"usb-external", "sdb", decoded("2", "TB", "N/A"), A, N, D},
    // Virtual disks: rotation cannot be told; size can.
    {"vm", "vda", decoded("275", "GB", "7200"), A, N, N},
    {"vm", "vda", decoded("", "", "N/A"), N, N, N},
    {"vm", "zram0", decoded("268", "MB", "7200"), A, D, N},
    {"vm", "loop0", decoded("6.7", "MB", ""), D, N, N},
};

TEST(DecodeCheck, CapturedFactsAgainstDecodedRecords) {
    for (const auto& c : kCheckCases) {
        SCOPED_TRACE(std::string(c.machine) + " " + c.disk + " decoded \"" + c.spec.Size + "\" \"" +
                     c.spec.SizeUnit + "\" rpm \"" + c.spec.Rpm + "\"");
        const auto checks = CheckDecodedSpec(c.spec, captured(c.machine, c.disk, false));
        ASSERT_EQ(checks.size(), 3u);
        EXPECT_EQ(checks[0].field, "size");
        EXPECT_EQ(checks[0].verdict, c.size) << checks[0].why;
        EXPECT_EQ(checks[1].verdict, c.rpm) << checks[1].why;
        EXPECT_EQ(checks[2].verdict, c.solid_state) << checks[2].why;
        for (const auto& check : checks)
            EXPECT_EQ(DisagreementText(check).empty(), check.verdict != Verdict::Disagrees);
    }
}

TEST(DecodeCheck, EachDisagreementIsNamedWithBothValuesOnTheFactsLine) {
    DriveSpec spec;
    std::string model = "WDC WD5000AAKS-00A7B0";
    DecodeModelText(model, spec);
    const DriveOwnFacts drive = GivenDriveFacts(500107862016, 1);
    const std::string line = DriveFactsLine(drive, CheckDecodedSpec(spec, drive));
    EXPECT_EQ(line,
              "The drive: 500 GB, solid state. Decoded size 5000 GB does not match the drive "
              "(500 GB). Decoded RPM 7200 does not match the drive (solid state).");
    // Without facts the line says so rather than staying silent.
    EXPECT_EQ(DriveFactsLine(DriveOwnFacts{}, {}), "The drive: nothing known.");
    EXPECT_EQ(DriveFactsLine(captured("usb-external", "sdb", false), {}),
              "The drive: 2 TB, rotating, USB 5000 Mb/s. Not read: serial, firmware, WWN and "
              "rotation rate: asking the drive (ATA IDENTIFY through SG_IO) needs root.");
}

// --- Real drives -------------------------------------------------------------------------------

struct RealDrive {
    std::string model;
    std::uint64_t bytes = 0;
};

std::vector<RealDrive> real_drives() {
    std::ifstream in(test::fixture("models/real-capacities.tsv"));
    std::vector<RealDrive> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto tab = line.find('\t');
        rows.push_back({line.substr(0, tab), *text::to_u64(line.substr(tab + 1))});
    }
    return rows;
}

// The decoded size in bytes read independently of the check: a whole decimal text and a unit.
std::optional<double> decoded_bytes(const DriveSpec& s) {
    std::size_t used = 0;
    double n = 0;
    try {
        n = std::stod(s.Size, &used);
    } catch (...) {
        return std::nullopt;
    }
    if (used != s.Size.size() || s.Size.find_first_of("eExXpP+-") != std::string::npos)
        return std::nullopt;
    const double unit = s.SizeUnit == "TB" ? 1e12 : s.SizeUnit == "GB" ? 1e9
                                                  : s.SizeUnit == "MB" ? 1e6 : 0;
    if (unit == 0) return std::nullopt;
    return n * unit;
}

TEST(DecodeCheck, RealDrivesDecodedMoreThanTenPercentOffAreReportedAndNoOthers) {
    const auto drives = real_drives();
    ASSERT_GE(drives.size(), 200u);
    int agree = 0, disagree = 0, untold = 0;
    for (const auto& d : drives) {
        SCOPED_TRACE(d.model);
        DriveSpec spec;
        std::string model = d.model;
        DecodeModelText(model, spec);
        const FieldCheck size = CheckDecodedSpec(spec, GivenDriveFacts(d.bytes, std::nullopt))[0];
        if (spec.Size.empty()) {
            EXPECT_EQ(size.verdict, Verdict::CannotTell);
            ++untold;
            continue;
        }
        const auto bytes = decoded_bytes(spec);
        const bool within =
            bytes && std::fabs(*bytes - static_cast<double>(d.bytes)) <= 0.10 * d.bytes;
        EXPECT_EQ(size.verdict, within ? Verdict::Agrees : Verdict::Disagrees)
            << "decoded \"" << spec.Size << "\" \"" << spec.SizeUnit << "\"";
        (within ? agree : disagree)++;
    }
    // The table holds both kinds, so neither half of the rule goes untested.
    EXPECT_GT(agree, 20);
    EXPECT_GT(disagree, 20);
    RecordProperty("agree", agree);
    RecordProperty("disagree", disagree);
    RecordProperty("no_size", untold);
}

}  // namespace
}  // namespace bw

namespace bw {
namespace {

// drives --json: each disk carries its decoded record, its own facts, the check and the line.
TEST(DecodeCheck, TheInventoryCarriesEachDisksFactsAndCheck) {
    const SystemQuery query(Sysroot(test::fixture("sysroots/usb-external")));
    InventoryRunOptions options;
    options.ask_drives = true;  // the captured page of the USB disk is read
    const auto json = InventoryJson(TakeInventory(query, options));
    ASSERT_EQ(json["disks"].size(), 3u);
    const auto& usb = json["disks"][1];
    EXPECT_EQ(usb["name"], "sdb");
    EXPECT_EQ(usb["own_facts"]["rpm"], 5400);
    EXPECT_EQ(usb["own_facts"]["serial"], "WD-WX11A0000000");
    EXPECT_EQ(usb["own_facts"]["link"], "USB 5000 Mb/s");
    EXPECT_EQ(usb["check"][1]["verdict"], "disagrees");  // decoded 7200 for a 5400 rpm drive
    EXPECT_TRUE(usb["decoded"].contains("Rpm"));
    EXPECT_EQ(usb["facts_line"].get<std::string>().rfind("The drive: 2 TB, 5400 rpm", 0), 0u);
}

}  // namespace
}  // namespace bw
