// The settings store as the rest of the program sees it: cINI, ReadINI/WriteINI and the lenient
// numbers.
#include "core/cINI.h"

#include <gtest/gtest.h>

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

cINI at(const fs::path& file, std::string_view section, std::string_view key = "") {
    cINI ini;
    ini.set_Path(file.string());
    ini.set_Section(section);
    ini.set_Key(key);
    return ini;
}

TEST(cINI, ValuesDefaultsAndReturnCodes) {
    TempDir dir;
    const fs::path file = dir / "DariDozodaz.dat";
    cINI ini = at(file, "Settings", "Block");
    ini.set_Default("30");
    EXPECT_EQ(ini.Value(), "30");
    ini.set_Value("");
    EXPECT_EQ(ini.Value(), "") << "an empty value is present, not missing";
    // The file keeps a long value whole; only the read is cut.
    const std::string long_value(1100, '7');
    ini.set_Value(long_value);
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(ini.Value(), long_value.substr(0, 1023));
    EXPECT_NE(read_file(file).find(long_value), std::string::npos);

    fs::create_directory(dir / "folder.dat");
    cINI bad = at(dir / "folder.dat", "S", "K");
    bad.set_Value("1");
    EXPECT_EQ(bad.LastReturnCode(), 0);
    ini.set_Path((dir / "folder.dat").string());
    (void)ini.Value();
    EXPECT_EQ(ini.LastReturnCode(), 1) << "a read leaves the code alone";
    ini.DeleteSection();
    EXPECT_EQ(ini.LastReturnCode(), 0);
}

TEST(cINI, DeleteValueKeepsTheKeyAndDeleteSectionRemovesIt) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    write_file(file, "[Settings]\nSortDrive=3\nOther=1\n[Drive0]\nSize=1\n");
    cINI ini = at(file, "settings", "sortdrive");
    ini.DeleteValue();
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(ini.INISection(), std::string("SortDrive\0Other\0", 16));
    cINI drive = at(file, "DRIVE0");
    drive.DeleteSection();
    EXPECT_EQ(drive.LastReturnCode(), 1);
    EXPECT_EQ(read_file(file), "[Settings]\nSortDrive=\nOther=1\n");
    EXPECT_EQ(drive.INISection(), "");
}

// The key list comes in the classic 255-character buffer: names each ended by NUL, cut to fit.
TEST(cINI, INISectionFitsTheClassicBuffer) {
    TempDir dir;
    const fs::path file = dir / "f.dat";
    // Two names of 126: 2 x 127 with their NULs, plus the list's own terminator makes 255.
    const std::string a(126, 'a'), b(126, 'b');
    const struct {
        const char* name;
        std::string text, section, list;
    } kCases[] = {
        {"in_file_order", "[Hard Drive Test 1]\nRun=0\nDrive=0\n", "hard drive test 1",
         std::string("Run\0Drive\0", 10)},
        {"missing_section", "[S]\nK=1\n", "Missing", ""},
        {"just_fits", "[S]\n" + a + "=1\n" + b + "=2\n", "S", a + '\0' + b + '\0'},
        // The second name is cut by one to leave room for the terminators.
        {"one_over", "[S]\n" + a + "=1\n" + b + "b=2\n", "S", a + '\0' + b + '\0'},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        write_file(file, c.text);
        EXPECT_EQ(at(file, c.section).INISection(), c.list);
    }
    EXPECT_EQ(at(dir / "none.dat", "S").INISection(), "");
}

TEST(INIReadWrite, TypedWritesAndOneStorePerFile) {
    TempDir working, program;
    const fs::path file = working / "DariDozodaz.dat", other = program / "DariDozodaz.dat";
    WriteINI(file, "Settings", "Read", "1");
    WriteINI(file, "Settings", "Test Time", 30);
    WriteINI(file, "Settings", "Skip Usage", false);
    WriteINI(file, "Settings", "Adjust Test Time", true);
    WriteINI(file, "Settings", "Ratio", 0.5);
    EXPECT_EQ(read_file(file),
              "[Settings]\nRead=1\nTest Time=30\nSkip Usage=0\nAdjust Test Time=1\nRatio=0.5\n");
    // The program folder's file holds the same key independently.
    WriteINI(other, "Settings", "Read", "0");
    EXPECT_EQ(ReadINI(file, "Settings", "Read"), "1");
    EXPECT_EQ(ReadINI(other, "Settings", "Read"), "0");
    for (double v : {0.0, -3.0, 0.1, 1234.5678, 4096000.0, 1e-7}) {
        WriteINI(file, "N", "v", v);
        EXPECT_DOUBLE_EQ(Val(ReadINI(file, "N", "v")), v);
    }
}

// The lenient reading of numbers: the leading decimal number of the text, else 0.
// "X" is the "not yet set" marker of the tester sections; hex, "inf", "nan" and numbers out of
// range read as no number; ValInt of a number beyond a 64-bit integer is 0.
TEST(Val, LenientConversionTable) {
    constexpr struct {
        const char* text;
        double value;
        long long integer;
    } kCases[] = {
        {"30", 30, 30},     {"", 0, 0},          {"   ", 0, 0},   {"X", 0, 0},
        {" 12abc", 12, 12}, {"\t8", 8, 8},       {"-5", -5, -5},  {"+7", 7, 7},
        {"3.75", 3.75, 3},  {"-2.5", -2.5, -2},  {".5", 0.5, 0},  {"1e3", 1000, 1000},
        {"5e", 5, 5},       {"1,000", 1, 1},     {"0x10", 0, 0},  {"inf", 0, 0},
        {"nan", 0, 0},      {"1e999", 0, 0},     {"-", 0, 0},     {"64KB", 64, 64},
        {"1e30", 1e30, 0},  {"123456789012", 123456789012.0, 123456789012LL},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_DOUBLE_EQ(Val(c.text), c.value);
        EXPECT_EQ(ValInt(c.text), c.integer);
    }
}

}  // namespace
}  // namespace bw
