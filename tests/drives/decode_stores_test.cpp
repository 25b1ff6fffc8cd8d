// What the decoders' entry point does besides decoding (the golden table checks that): the
// caller's text it rewrites, the drive slots it fills, the vendor words and the copies to drive
// letters.
#include <gtest/gtest.h>

#include <string>

#include "drives/ModHDDetails.h"

namespace bw::test {
namespace {

TEST(DecodeDriveModel, UpperCasesTheCallersTextAndDropsHitachi) {
    std::string model = "Hitachi hds721010cla332";
    DecodeDriveModel(model, 0);
    EXPECT_EQ(model, "HDS721010CLA332");

    std::string ssd = "Samsung SSD 840";  // solid-state texts are decoded as reported
    DecodeDriveModel(ssd, 0);
    EXPECT_EQ(ssd, "Samsung SSD 840");

    std::string raid = "AMD-raid";
    DecodeDriveModel(raid, 0);
    EXPECT_EQ(raid, "AMD-raid");

    std::string bytes = "wd\xC3\xA9";  // bytes outside ASCII stay as they are
    DecodeDriveModel(bytes, 0);
    EXPECT_EQ(bytes, "WD\xC3\xA9");
}

TEST(DecodeDriveModel, DrivesPastTheTableGetNoRecord) {
    DriveSpecTable() = {};
    for (int drive : {26, 27, 1000, -1}) {
        std::string model = "WD10EZEX";
        DecodeDriveModel(model, drive);
        EXPECT_EQ(LastDecoderName(), "DecodeWesternDigital");
    }
    for (const DriveSpec& slot : DriveSpecTable())
        for (const auto& [name, value] : DriveSpecFields(slot)) EXPECT_EQ(*value, "") << name;

    std::string model = "WD10EZEX";
    DecodeDriveModel(model, 25);
    EXPECT_EQ(DriveSpecTable()[25].ProductName, "WD Blue");
}

TEST(IsSsdVendorModel, FindsTheWordsAnywhereInAnyCase) {
    for (const char* model :
         {"CORSAIR Force GT", "OCZ-VERTEX4", "Crucial_CT256MX100SSD1", "kingston sa400",
          "SanDisk SDSSDHP128G", "Mushkin MKNSSDCR120GB", "ADATA SP900", "Patriot Pyro",
          "PLEXTOR PX-256M5S", "ZALMAN Z", "BIWIN", "TS128GSSD370S Transcend", "G.SKILL FM",
          "PNY CS900", "pny cs900", "WINTEC", "Verbatim Vi500", "AXIOM"})
        EXPECT_TRUE(IsSsdVendorModel(model)) << model;
    // "PNY" only with its blank; "SSD" alone is no vendor word.
    for (const char* model : {"PNY", "PNYCS900", "Samsung SSD 850", "WDC WD10EZEX", "", "G-SKILL"})
        EXPECT_FALSE(IsSsdVendorModel(model)) << model;
}

TEST(DriveLetters, MapAndSelectCarryTheSixValues) {
    DriveSpecTable() = {};
    LetterSpecs() = {};
    std::string model = "WD10EZEX";
    DecodeDriveModel(model, 4);
    std::string letters;
    set_free_space_refresh([&](char letter) { letters += letter; });

    MapDriveLetterSpecs("D", 4);
    SelectDriveSpecs("d");  // the letter is upper-cased before use
    const LetterSpec& current = CurrentDriveSpecs();
    EXPECT_EQ(current.SpecLine1, "WD Blue  Size: 1 TB");
    EXPECT_EQ(current.SpecLine2, "Cache: 64 MB  RPM: 7200  Interface: SATA 6G  Case: 3.5 Inch");
    EXPECT_EQ(current.Rpm, "7200");
    EXPECT_EQ(current.Cache, "64 MB");
    EXPECT_EQ(current.Interface, "SATA 6G");
    EXPECT_EQ(current.Brand, "");
    EXPECT_EQ(letters, "D");

    // A letter never mapped leaves every current value empty, and still asks for free space.
    SelectDriveSpecs("E");
    EXPECT_EQ(CurrentDriveSpecs().SpecLine1, "");
    EXPECT_EQ(CurrentDriveSpecs().Rpm, "");
    EXPECT_EQ(letters, "DE");

    // Not a letter: values cleared, no refresh.
    SelectDriveSpecs("D");
    for (const char* bad : {"", "1", "DD", "\xC3\xA9", ":"}) {
        SelectDriveSpecs(bad);
        EXPECT_EQ(CurrentDriveSpecs().SpecLine1, "") << bad;
    }
    EXPECT_EQ(letters, "DED");
    set_free_space_refresh(nullptr);
    SelectDriveSpecs("D");  // no routine installed: nothing to call
    EXPECT_EQ(CurrentDriveSpecs().Rpm, "7200");
}

TEST(DriveLetters, MapIgnoresBadLettersAndDriveNumbers) {
    DriveSpecTable() = {};
    LetterSpecs() = {};
    std::string model = "WD10EZEX";
    DecodeDriveModel(model, 0);
    MapDriveLetterSpecs("d", 0);   // compared as upper case only
    MapDriveLetterSpecs("D", 26);  // no such drive
    MapDriveLetterSpecs("D", -1);
    MapDriveLetterSpecs("DE", 0);
    MapDriveLetterSpecs("", 0);
    for (const LetterSpec& letter : LetterSpecs()) EXPECT_EQ(letter.SpecLine1, "");
    MapDriveLetterSpecs("Z", 0);
    EXPECT_EQ(LetterSpecs()[25].Rpm, "7200");
}

}  // namespace
}  // namespace bw::test
