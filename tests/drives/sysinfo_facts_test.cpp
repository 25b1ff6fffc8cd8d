// The system facts: the twelve keys of a first start, the input boxes of a machine without DMI,
// the derived values, the dirty check and the drive report on captured machines.
#include <gtest/gtest.h>

#include "core/INIReadWrite.h"
#include "drives/DosApp.h"
#include "drives/DriveStartup.h"
#include "support/fakes.h"

namespace bw {
namespace {

using test::fixture;

SystemQuery machine(const std::string& name) {
    return SystemQuery(Sysroot(fixture("sysroots/" + name)));
}

TEST(SysInfo, FirstStartWritesTheTwelveKeysInOrder) {
    test::TempDir dir;
    const auto ini = dir / "DariDozodaz.dat";
    test::ScriptedPrompt prompt;  // a machine with DMI asks nothing
    test::UsePrompt use(prompt);
    SystemFacts facts;
    SysInfo(facts, machine("sata-desktop"), 8, ini);
    EXPECT_TRUE(prompt.shown().empty());
    const std::pair<const char*, const char*> expected[] = {
        {"Win Ver", "Debian GNU/Linux 12 (bookworm)"},
        {"Win Type", "1"},
        {"MEMS", "1600 Mhz"},
        {"BIOS", "2104"},
        {"MB", "P8Z77-V LX"},  // the system model is a placeholder, so the board answers
        {"CPU", "1"},
        {"Cores", "8"},
        {"CPU Speed", "3401 Mhz"},
        {"CPU Name", "Intel(R) Core(TM) i7-3770 CPU @ 3.40GHz"},
        {"Socket", "LGA1155"},
        {"CPU Man", "GenuineIntel"},
        {"CPU Descript", "x86_64 Family 6 Model 58 Stepping 9"},
    };
    std::string text = test::read_file(ini);
    size_t last = 0;
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(value, ReadINI(ini, "Settings", key)) << key;
        const size_t at = text.find(std::string(key) + "=");
        ASSERT_NE(std::string::npos, at) << key;
        EXPECT_GE(at, last) << key << " out of order";
        last = at;
    }
}

TEST(SysInfo, MachineWithoutDmiAsksForBoardAndMemory) {
    struct Case {
        std::optional<std::string> board, memory;
        const char *mb, *mems;
    };
    const Case cases[] = {
        {"Unknown", "Unkn", "Unknown", "Unkn"},  // the defaults taken
        {"QEMU Q35", "3200 Mhz", "QEMU Q35", "3200 Mhz"},
        {std::nullopt, std::nullopt, "", ""},  // cancelled: the empty answer is stored
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::ScriptedPrompt prompt;
        prompt.answer_input(c.board).answer_input(c.memory);
        test::UsePrompt use(prompt);
        SystemFacts facts;
        SysInfo(facts, machine("vm"), 2, dir / "w.dat");
        ASSERT_EQ(2u, prompt.shown().size());
        EXPECT_EQ(kMotherBoardPrompt, prompt.shown()[0].text);
        EXPECT_EQ(kMotherBoardTitle, prompt.shown()[0].title);
        EXPECT_EQ(kMemorySpeedPrompt, prompt.shown()[1].text);
        EXPECT_EQ("Momory Speed", prompt.shown()[1].title);
        EXPECT_EQ(c.mb, ReadINI(dir / "w.dat", "Settings", "MB"));
        EXPECT_EQ(c.mems, ReadINI(dir / "w.dat", "Settings", "MEMS"));
        EXPECT_EQ("Debian GNU/Linux 12 (bookworm)", ReadINI(dir / "w.dat", "Settings", "Win Ver"));
        EXPECT_EQ("", ReadINI(dir / "w.dat", "Settings", "BIOS"));
    }
}

TEST(SysInfo, DerivedValues) {
    test::ScriptedPrompt prompt;
    test::UsePrompt use(prompt);
    SystemFacts facts;
    SysInfo(facts, machine("usb-external"), 12, {});
    EXPECT_EQ("AMD Ryzen 5 3600 6-Core ", facts.CPUName);  // "Processor" goes, the blank stays
    SysInfo(facts, machine("many-disks"), 32, {});
    EXPECT_EQ("2", facts.CPU);  // two packages
    EXPECT_EQ("SYS-6028R-E1CR12L", facts.MB);
    SysInfo(facts, machine("nvme-laptop"), 8, {});
    EXPECT_EQ("2133 Mhz", facts.MEMS);  // from the udev record of the DMI device

    const std::pair<const char*, const char*> win_types[] = {
        {"Microsoft Windows 7 Professional", "2"},
        {"Windows Server 2003", "1"},
        {"windows xp", "1"},
        {"Windows Vista Business", "2"},
        {"Windows Server 2008 R2", "2"},
        {"Debian GNU/Linux 12 (bookworm)", "1"},
    };
    for (const auto& [ver, type] : win_types) EXPECT_EQ(type, WinTypeOf(ver)) << ver;
}

TEST(SysInfo, GetFunctionsKeepWhatIsThere) {
    SystemFacts facts;
    facts.CPUSpeed = "3401 Mhz";
    facts.BIOS = "1.0";
    GetCPU(facts, machine("sata-desktop"));
    GetBIOS(facts, machine("sata-desktop"));
    EXPECT_EQ("3401 Mhz", facts.CPUSpeed);
    EXPECT_EQ("1.0", facts.BIOS);
    SystemFacts empty;
    GetCPU(empty, machine("sata-desktop"));
    EXPECT_EQ("3900", empty.CPUSpeed);  // the rated maximum when the report had none
}

TEST(DirtyCheck, CapturedSuperblocks) {
    auto query = machine("sata-desktop");
    auto map = BuildVolumeMap(query, {});
    CheckDirty('C', query, map);
    EXPECT_FALSE(DirtyFlag());
    EXPECT_TRUE(LastDirtyCheck().checked);
    CheckDirty('d', query, map);
    EXPECT_TRUE(DirtyFlag());
    EXPECT_NE(std::string::npos, LastDirtyCheck().detail.find("3 errors"));
    CheckDirty('E', query, map);  // XFS: clean, with the reason
    EXPECT_FALSE(DirtyFlag());
    EXPECT_FALSE(LastDirtyCheck().reason.empty());
    CheckDirty('Q', query, map);
    EXPECT_FALSE(DirtyFlag());
    EXPECT_FALSE(LastDirtyCheck().reason.empty());

    // A device that cannot be read counts as clean and says why.
    auto vm = machine("vm");
    auto vm_map = BuildVolumeMap(vm, {});
    CheckDirty('C', vm, vm_map);
    EXPECT_FALSE(DirtyFlag());
    EXPECT_NE(std::string::npos, LastDirtyCheck().reason.find("/dev/vda"));
}

TEST(DriveReport, HeadingsAndFigures) {
    auto query = machine("sata-desktop");
    auto map = BuildVolumeMap(query, {});
    const std::string text = DriveCInfo('C', query, map);
    for (const char* part :
         {"***** Drive Size *****", "Total: 491.52 GB", "Free: 344.06 GB",
          "   Cluster Size: 4096 Bytes", "   Sectors Per Cluster: 8", "   Bytes Per Sector: 512",
          "   Total Clusters: 120000000", "   Free Cluster: 90000000", "***** Volume Info *****",
          "***** File Repair Status *****",
          "File Repair is only available on an NTFS Formated Drive", "***** Drive Statistics *****",
          "Lifetime Writes (KB) : 1234567", "***** NTFS Data *****"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << "\n" << text;
    EXPECT_NE(std::string::npos, DriveCInfo('Q', query, map).find("not a drive letter"));
    // Optical drive without a disc: headings, no figures, no crash.
    EXPECT_NE(std::string::npos, DriveCInfo('F', query, map).find("nothing is mounted"));
}

}  // namespace
}  // namespace bw
