// The settings store as the rest of the program sees it: cINI, ReadINI/WriteINI and the lenient
// numbers.
#include "core/cINI.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "core/INIReadWrite.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

cINI at(const fs::path& file, std::string_view section, std::string_view key) {
    cINI ini;
    ini.set_Path(file.string());
    ini.set_Section(section);
    ini.set_Key(key);
    return ini;
}

TEST(cINI, ValueWriteRemovesNulsAndReadCutsAt1023) {
    TempDir dir;
    cINI ini = at(dir / "DariDozodaz.dat", "Settings", "Block");
    ini.set_Value(std::string("A\0B", 3));
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(ini.Value(), "AB");
    EXPECT_EQ(read_file(dir / "DariDozodaz.dat"), "[Settings]\nBlock=AB\n");

    const std::string long_value(1100, '7');
    ini.set_Value(long_value);
    EXPECT_EQ(ini.Value(), long_value.substr(0, 1023));
    // The file keeps what was written; only the read is cut.
    EXPECT_NE(read_file(dir / "DariDozodaz.dat").find(long_value), std::string::npos);
}

TEST(cINI, DefaultIsReturnedOnlyForMissingKeys) {
    TempDir dir;
    cINI ini = at(dir / "f.dat", "Settings", "Test Time");
    ini.set_Default("30");
    EXPECT_EQ(ini.Value(), "30");
    EXPECT_FALSE(fs::exists(dir / "f.dat"));
    ini.set_Value("");
    EXPECT_EQ(ini.Value(), "") << "an empty value is present, not missing";
}

TEST(cINI, LastReturnCodeFollowsWritesOnly) {
    TempDir dir;
    fs::create_directory(dir / "folder.dat");
    cINI bad = at(dir / "folder.dat", "S", "K");
    bad.set_Value("1");
    EXPECT_EQ(bad.LastReturnCode(), 0);

    cINI ini = at(dir / "f.dat", "S", "K");
    ini.set_Value("1");
    EXPECT_EQ(ini.LastReturnCode(), 1);
    ini.set_Path((dir / "folder.dat").string());
    (void)ini.Value();
    EXPECT_EQ(ini.LastReturnCode(), 1) << "a read leaves the code alone";
    ini.DeleteSection();
    EXPECT_EQ(ini.LastReturnCode(), 0);
}

TEST(cINI, DeleteValueKeepsTheKeyEmpty) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[Settings]\nSortDrive=3\nOther=1\n");
    cINI ini = at(file, "settings", "sortdrive");
    ini.DeleteValue();
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(read_file(file), "[Settings]\nSortDrive=\nOther=1\n");
    EXPECT_EQ(ini.INISection(), std::string("SortDrive\0Other\0", 16));
}

TEST(cINI, DeleteSectionRemovesAllItsKeys) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[Drive0]\nSize=1\nCaption=x\n[Drive1]\nSize=2\n");
    cINI ini = at(file, "DRIVE0", "");
    ini.DeleteSection();
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(read_file(file), "[Drive1]\nSize=2\n");
    EXPECT_EQ(ini.INISection(), "");
}

TEST(cINI, INISectionListsKeysEachEndedByNul) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[Hard Drive Test 1]\nRun=0\nDrive=0\nBlocks=X\n");
    EXPECT_EQ(at(file, "hard drive test 1", "").INISection(),
              std::string("Run\0Drive\0Blocks\0", 17));
    EXPECT_EQ(at(file, "Missing", "").INISection(), "");
    EXPECT_EQ(at(dir / "none.dat", "S", "").INISection(), "");
}

TEST(cINI, INISectionIsCutToTheClassicBuffer) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    std::string text = "[Many]\n";
    std::string full;
    for (int i = 0; i < 40; ++i) {
        std::string key = "Interface" + std::to_string(i);
        text += key + "=SATA\n";
        full += key + '\0';
    }
    write_file(file, text);
    ASSERT_GT(full.size(), 255u);
    const std::string list = at(file, "Many", "").INISection();
    // 253 characters of the list, then the terminator of the cut name.
    ASSERT_EQ(list.size(), 254u);
    EXPECT_EQ(list.substr(0, 253), full.substr(0, 253));
    EXPECT_EQ(list.back(), '\0');
}

TEST(cINI, INISectionThatJustFitsIsWhole) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    // Two names of 126 characters: 2 x 127 = 254 characters with their NULs, plus the list's own
    // terminator makes 255.
    const std::string a(126, 'a'), b(126, 'b');
    write_file(file, "[S]\n" + a + "=1\n" + b + "=2\n");
    EXPECT_EQ(at(file, "S", "").INISection(), a + '\0' + b + '\0');
    write_file(file, "[S]\n" + a + "=1\n" + b + "b=2\n");
    EXPECT_EQ(at(file, "S", "").INISection().size(), 254u);
}

TEST(INIReadWrite, ReadsAndWritesThroughOneStore) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "");
    EXPECT_FALSE(fs::exists(file));
    WriteINI(file, "Settings", "Read", "1");
    WriteINI(file, "Settings", "Test Time", 30);
    WriteINI(file, "Settings", "Skip Usage", false);
    WriteINI(file, "Settings", "Adjust Test Time", true);
    WriteINI(file, "Settings", "Ratio", 0.5);
    WriteINI(file, "Settings", "Big", 123456789012LL);
    EXPECT_EQ(read_file(file),
              "[Settings]\nRead=1\nTest Time=30\nSkip Usage=0\nAdjust Test Time=1\nRatio=0.5\n"
              "Big=123456789012\n");
    EXPECT_EQ(ReadINI(file, "SETTINGS", "test time"), "30");
    EXPECT_EQ(ValInt(ReadINI(file, "Settings", "Big")), 123456789012LL);
}

TEST(INIReadWrite, BothFilesHoldTheSameKeyIndependently) {
    TempDir working, program;
    const fs::path w = working / "DariDozodaz.dat", p = program / "DariDozodaz.dat";
    WriteINI(p, "Settings", "Shutdown", "0");
    WriteINI(w, "Settings", "Shutdown", "1");
    WriteINI(p, "Settings", "Bad Shutdown", 2);
    WriteINI(w, "Settings", "Bad Shutdown", "0");
    EXPECT_EQ(ReadINI(p, "Settings", "Shutdown"), "0");
    EXPECT_EQ(ReadINI(w, "Settings", "Shutdown"), "1");
    EXPECT_EQ(ReadINI(p, "Settings", "Bad Shutdown"), "2");
    EXPECT_EQ(ReadINI(w, "Settings", "Bad Shutdown"), "0");
}

// The lenient reading of numbers: the leading decimal number of the text, else 0.
struct ValCase {
    const char* text;
    double value;
    long long integer;
};

constexpr ValCase kValCases[] = {
    {"30", 30, 30},
    {"", 0, 0},
    {"   ", 0, 0},
    {"x", 0, 0},
    {"X", 0, 0},  // the "not yet set" marker of the tester sections
    {" 12abc", 12, 12},
    {"\t8", 8, 8},
    {"-5", -5, -5},
    {"+7", 7, 7},
    {"3.75", 3.75, 3},
    {"-2.5", -2.5, -2},
    {".5", 0.5, 0},
    {"1e3", 1000, 1000},
    {"5e", 5, 5},
    {"1,000", 1, 1},
    {"0x10", 0, 0},  // no hex
    {"inf", 0, 0},
    {"nan", 0, 0},
    {"1e999", 0, 0},  // out of range reads as not a number
    {"-", 0, 0},
    {"64KB", 64, 64},
    {"4096000", 4096000, 4096000},
    {"123456789012", 123456789012.0, 123456789012LL},
    {"1e30", 1e30, 0},  // beyond a 64-bit integer
};

TEST(Val, LenientConversionTable) {
    for (const auto& c : kValCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_DOUBLE_EQ(Val(c.text), c.value);
        EXPECT_EQ(ValInt(c.text), c.integer);
    }
}

TEST(Val, RoundTripsWhatWriteIniStores) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    for (double v : {0.0, 1.0, -3.0, 0.1, 1234.5678, 4096000.0, 1e-7}) {
        WriteINI(file, "N", "v", v);
        EXPECT_DOUBLE_EQ(Val(ReadINI(file, "N", "v")), v);
    }
}

}  // namespace
}  // namespace bw
