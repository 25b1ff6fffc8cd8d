// The system facts: the twelve keys of a first start, the input boxes of a machine without DMI,
// the derived values, the dirty check and the drive report on captured machines.
#include <gtest/gtest.h>

#include "core/INIReadWrite.h"
#include "drives/DosApp.h"
#include "drives/DriveStartup.h"
#include "platform/SystemQueryText.h"
#include "support/fakes.h"

namespace bw {
namespace {

using test::fixture;

SystemQuery machine(const std::string& name) {
    return SystemQuery(Sysroot(fixture("sysroots/" + name)));
}

// The facts themselves are pinned by the golden files (sata-desktop's board stands in for a
// placeholder system model); a first start must write them as keys in that order.
TEST(SysInfo, FirstStartWritesTheTwelveKeysInOrder) {
    test::TempDir dir;
    const auto ini = dir / "DariDozodaz.dat";
    test::ScriptedPrompt prompt;  // a machine with DMI asks nothing
    test::UsePrompt use(prompt);
    SystemFacts facts;
    SysInfo(facts, machine("sata-desktop"), 8, ini);
    EXPECT_TRUE(prompt.shown().empty());
    const std::string text = test::read_file(ini);
    size_t last = 0, keys = 0;
    for (const auto& line : text::lines(test::read_file(
             test::source_dir() / "tests/golden/drives/sata-desktop.sysinfo.txt"))) {
        const std::string key = line.substr(0, line.find(':'));
        EXPECT_EQ(line.substr(14), ReadINI(ini, "Settings", key)) << key;
        const size_t at = text.find(key + "=");
        ASSERT_NE(std::string::npos, at) << key;
        EXPECT_GE(at, last) << key << " out of order";
        last = at;
        ++keys;
    }
    EXPECT_EQ(12u, keys);
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

TEST(SysInfo, WindowsTypeFromTheVersionText) {
    const std::pair<const char*, const char*> win_types[] = {
        {"Microsoft Windows 7 Professional", "2"}, {"Windows Server 2003", "1"},
        {"windows xp", "1"}, {"Windows Vista Business", "2"}, {"Windows Server 2008 R2", "2"},
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

// A device that cannot be read, a filesystem without a superblock check or a letter that is not
// there counts as clean and says why.
TEST(DirtyCheck, CapturedSuperblocks) {
    const struct {
        const char* machine;
        char letter;
        bool dirty;
        const char* says;  // in the detail when dirty, else in the reason
    } cases[] = {
        {"sata-desktop", 'C', false, ""},       {"sata-desktop", 'd', true, "3 errors"},
        {"sata-desktop", 'E', false, "XFS"},    {"sata-desktop", 'Q', false, "not a drive letter"},
        {"vm", 'C', false, "/dev/vda"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + " " + c.letter);
        auto query = machine(c.machine);
        CheckDirty(c.letter, query, BuildVolumeMap(query, {}));
        EXPECT_EQ(c.dirty, DirtyFlag());
        EXPECT_EQ(*c.says == 0, (c.dirty ? LastDirtyCheck().detail : LastDirtyCheck().reason).empty());
        EXPECT_NE(std::string::npos,
                  (c.dirty ? LastDirtyCheck().detail : LastDirtyCheck().reason).find(c.says));
    }
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
