// The two findings: the port limit over sysroot trees of each kind of link, and the cache check
// on a test whose reads were answered from the page cache against a normal one.
#include <gtest/gtest.h>

#include "platform/LinkFacts.h"
#include "support/fakes.h"
#include "support/recorded_run.h"
#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "testengine/ReportFacts.h"
#include "testengine/ReportFinish.h"
#include "testengine/ReportFindings.h"

namespace bw::testengine {
namespace {

namespace fs = std::filesystem;

struct Tree {
    const char* disk;
    const char* device_path;  // /sys/block/<disk> points here (below /sys/devices)
    std::vector<std::pair<const char*, const char*>> files;  // below the sysroot
};

void plant(const fs::path& root, const Tree& t) {
    const fs::path dev = root / "sys/devices" / t.device_path;
    fs::create_directories(dev);
    fs::create_directories(root / "sys/block");
    fs::create_directory_symlink(fs::path("../devices") / t.device_path,
                                 root / "sys/block" / t.disk);
    for (const auto& [path, text] : t.files) {
        fs::create_directories((root / path).parent_path());
        test::write_file(root / path, std::string(text) + "\n");
    }
}

constexpr const char* kAta = "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda";
constexpr const char* kSpd = "sys/devices/pci0000:00/0000:00:1f.2/ata1/link1/ata_link/link1/sata_spd";
constexpr const char* kNvme = "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1";
constexpr const char* kPci = "sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/";
constexpr const char* kUsb =
    "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
constexpr const char* kUsbSpeed = "sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/speed";

TEST(PortLimit, LinksOverSysrootTrees) {
    struct Case {
        const char* what;
        Tree tree;
        double best_bytes_per_s;
        const char* line;  // "" when silent
    };
    const Case cases[] = {
        {"SATA 1.5 at its ceiling", {"sda", kAta, {{kSpd, "1.5 Gbps"}}}, 140e6,
         "Port Limit: SATA 1.5 Gb/s carries at most 150.00 MBps and the best speed was 140.00 "
         "MBps: the drive is limited by its port, not by itself. A SATA 6 Gb/s port would let "
         "the drive run faster."},
        {"SATA 1.5 at exactly 85 %", {"sda", kAta, {{kSpd, "1.5 Gbps"}}}, 127.5e6, ""},
        {"SATA 3 below", {"sda", kAta, {{kSpd, "3.0 Gbps"}}}, 250e6, ""},
        {"SATA 3 above", {"sda", kAta, {{kSpd, "3.0 Gbps"}}}, 280e6,
         "Port Limit: SATA 3.0 Gb/s carries at most 300.00 MBps and the best speed was 280.00 "
         "MBps: the drive is limited by its port, not by itself. A SATA 6 Gb/s port would let "
         "the drive run faster."},
        {"SATA 6 above", {"sda", kAta, {{kSpd, "6.0 Gbps"}}}, 550e6,
         "Port Limit: SATA 6.0 Gb/s carries at most 600.00 MBps and the best speed was 550.00 "
         "MBps: the drive is limited by its port, not by itself. SATA 6 Gb/s is the fastest SATA "
         "link; only a PCIe (NVMe) drive goes faster."},
        {"parallel ATA: no ceiling known", {"sda", kAta, {{kSpd, "<unknown>"}}}, 130e6, ""},
        {"NVMe PCIe 3 x4 below",
         {"nvme0n1", kNvme,
          {{"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/current_link_speed", "8.0 GT/s PCIe"},
           {"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/current_link_width", "4"},
           {"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/max_link_speed", "8.0 GT/s PCIe"},
           {"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/max_link_width", "4"}}},
         3.3e9, ""},
        {"NVMe PCIe 3 x4 above",
         {"nvme0n1", kNvme,
          {{"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/current_link_speed", "8.0 GT/s PCIe"},
           {"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/current_link_width", "4"},
           {"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/max_link_speed", "16.0 GT/s PCIe"},
           {"sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/max_link_width", "4"}}},
         3.5e9,
         "Port Limit: PCIe 3 x4 carries at most 3938.40 MBps and the best speed was 3500.00 MBps: "
         "the drive is limited by its port, not by itself. The drive can do PCIe 4 x4: a slot "
         "that gives it that would let it run faster."},
        {"USB 2 on a machine with USB 3",
         {"sdb", kUsb, {{kUsbSpeed, "480"}, {"sys/bus/usb/devices/usb1/speed", "5000"}}}, 46e6,
         "Port Limit: USB at 480 Mb/s (USB 2.0 speed) carries at most 53.25 MBps and the best "
         "speed was 46.00 MBps: the drive is limited by its port, not by itself. This machine has "
         "a USB 3.0 port: connected there, a USB 3.0 drive runs faster."},
        {"USB 2 without USB 3",
         {"sdb", kUsb, {{kUsbSpeed, "480"}, {"sys/bus/usb/devices/usb1/speed", "480"}}}, 46e6,
         "Port Limit: USB at 480 Mb/s (USB 2.0 speed) carries at most 53.25 MBps and the best "
         "speed was 46.00 MBps: the drive is limited by its port, not by itself. A USB 3.0 port "
         "would let a USB 3.0 drive run faster."},
        {"USB 3 below", {"sdb", kUsb, {{kUsbSpeed, "5000"}}}, 400e6, ""},
        {"USB 3 above", {"sdb", kUsb, {{kUsbSpeed, "5000"}}}, 430e6,
         "Port Limit: USB at 5000 Mb/s (USB 3.0 speed) carries at most 500.00 MBps and the best "
         "speed was 430.00 MBps: the drive is limited by its port, not by itself. A faster USB "
         "port (10 Gb/s) would let a drive that supports it run faster."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir root;
        plant(root.path(), c.tree);
        const LinkFacts link = link_facts(Sysroot(root.path()), c.tree.disk);
        const PortLimit p = port_limit(link, c.best_bytes_per_s);
        EXPECT_EQ(p.line, c.line) << link.reason;
        EXPECT_EQ(p.limited, !std::string(c.line).empty());
    }
}

TEST(PortLimit, NamesThatAreNoDiskFindNoLink) {
    test::TempDir root;
    for (const char* name : {"", "../etc", "sda/../../x", "nosuch"}) {
        const LinkFacts link = link_facts(Sysroot(root.path()), name);
        EXPECT_EQ(link.kind, LinkKind::Unknown) << name;
        EXPECT_FALSE(link.reason.empty()) << name;
        EXPECT_FALSE(port_limit(link, 1e12).limited);
    }
}

TEST(CacheCheck, FiresOnReadsFromTheCacheAndStaysSilentOtherwise) {
    struct Case {
        const char* run;
        bool from_cache;
    };
    for (const Case c : {Case{"cached", true}, Case{"hdd-sata", false}, Case{"ssd-sata", false},
                         Case{"nvme", false}}) {
        const auto run = test::load_recorded_run(c.run);
        const CacheCheck check = cache_check(evaluate(run.samples), tested_blocks(run.params));
        EXPECT_TRUE(check.checked) << c.run;
        EXPECT_EQ(check.from_cache, c.from_cache) << c.run;
        EXPECT_EQ(check.line.empty(), !c.from_cache) << c.run;
    }
    // Without the testers' byte counts there is nothing to compare: silent, and said so.
    const auto run = test::load_recorded_run("usb3");  // write only
    const CacheCheck none = cache_check(evaluate(run.samples), tested_blocks(run.params));
    EXPECT_FALSE(none.checked);
    EXPECT_TRUE(none.line.empty());
}

}  // namespace
}  // namespace bw::testengine

namespace bw::testengine {
namespace {

TEST(ReportFacts, FromACapturedMachine) {
    // sata-desktop: D: is sdb1 on an AHCI controller; the capture holds no ATA link speeds.
    const SystemQuery query(Sysroot(test::fixture("sysroots/sata-desktop")));
    TestParameters p;
    p.drive = "D:";
    p.device = "/dev/sdb1";
    const ReportFacts f = gather_report_facts(p, query, ReportTime{2026, 12, 7, 12, 0, 0});
    EXPECT_EQ(f.link.kind, LinkKind::Unknown);
    EXPECT_NE(f.link.reason.find("sata_spd"), std::string::npos) << f.link.reason;
    EXPECT_FALSE(f.parallel_drive);  // unknown is no evidence of a parallel drive
    EXPECT_FALSE(f.usb3_port);
    EXPECT_NE(f.link.device_path.find("/ata2/"), std::string::npos);
    EXPECT_EQ(f.tag.controller, "Serial ATA AHCI Controller");
    EXPECT_FALSE(f.system.controllers.empty());
    // A device outside /dev names no disk.
    p.device = "../../etc/passwd";
    EXPECT_EQ(gather_report_facts(p, query, {}).link.kind, LinkKind::Unknown);
}

}  // namespace
}  // namespace bw::testengine

namespace bw::testengine {
namespace {

TEST(ReportFinish, TheTestersAreToldAndEveryFileLandsInTheProgramsFolders) {
    test::TempDir dir;
    const AppState saved = app();
    app().program_folder = dir / "program";
    app().working_folder = dir / "working";
    std::filesystem::create_directories(app().program_folder);
    std::filesystem::create_directories(app().working_folder);
    set_system_query(std::make_shared<SystemQuery>(Sysroot(test::fixture("sysroots/sata-desktop"))));
    test::RecordedRun run = test::load_recorded_run("hdd-sata");
    run.params.device = "/dev/sdb1";
    const FinishedTest done = finish_main_test(
        run.params, run.samples, gather_report_facts(run.params, system_query(), local_time_now()));
    set_system_query(nullptr);
    EXPECT_TRUE(done.files.ok());
    EXPECT_EQ(done.files.written.size(), 10u);  // HDPerfData, Baseline, Overall, 4 result files, 3 reports
    for (int tester = 1; tester <= 3; ++tester)
        EXPECT_EQ(ReadINI(dir / "working/DariDozodaz.dat", keys::hard_drive_test(tester),
                          keys::kFinished),
                  "2");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "working/HDPerfData.Dat"));
    EXPECT_EQ(test::read_file(dir / "program/Specs.txt"), done.report.OverallText);
    // The controller comes from the disk's place in the captured machine.
    EXPECT_NE(done.report.lines.peak.at(0).find(" Cntrl:Serial ATA AHCI Controller] (64KB)"),
              std::string::npos)
        << done.report.lines.peak.at(0);
    app() = saved;
}

}  // namespace
}  // namespace bw::testengine
