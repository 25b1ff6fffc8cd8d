// What the decoders' entry point does besides decoding (the golden table checks that): the
// caller's text it rewrites, the drive slots it fills and the copies to drive letters. The vendor
// words are cases of tests/golden/drive-rules.tsv.
#include <gtest/gtest.h>

#include <string>

#include "drives/ModHDDetails.h"

namespace bw::test {
namespace {

TEST(DecodeDriveModel, UpperCasesTheCallersTextAndDropsHitachi) {
    const std::pair<std::string, const char*> cases[] = {
        {"Hitachi hds721010cla332", "HDS721010CLA332"},
        {"Samsung SSD 840", "Samsung SSD 840"},  // solid-state texts are decoded as reported
        {"AMD-raid", "AMD-raid"},
        {"wd\xC3\xA9", "WD\xC3\xA9"},  // bytes outside ASCII stay as they are
    };
    for (auto [model, expected] : cases) {
        DecodeDriveModel(model, 0);
        EXPECT_EQ(model, expected);
    }
}

TEST(DecodeDriveModel, DrivesPastTheTableGetNoRecord) {
    DriveSpecTable() = {};
    for (int drive : {26, 27, 1000, -1, 25}) {  // every slot still empty before the last one
        for (const DriveSpec& slot : DriveSpecTable())
            for (const auto& [name, value] : DriveSpecFields(slot)) EXPECT_EQ(*value, "") << name;
        std::string model = "WD10EZEX";
        DecodeDriveModel(model, drive);
        EXPECT_EQ(LastDecoderName(), "DecodeWesternDigital");
    }
    EXPECT_EQ(DriveSpecTable()[25].ProductName, "WD Blue");
}

std::string six(const LetterSpec& s) {
    return s.SpecLine1 + "|" + s.SpecLine2 + "|" + s.Rpm + "|" + s.Cache + "|" + s.Interface + "|" +
           s.Brand;
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
    EXPECT_EQ(six(CurrentDriveSpecs()),
              "WD Blue  Size: 1 TB|Cache: 64 MB  RPM: 7200  Interface: SATA 6G  Case: 3.5 Inch"
              "|7200|64 MB|SATA 6G|");
    // A letter never mapped leaves every current value empty, and still asks for free space;
    // what is not a letter clears them without asking.
    for (const char* other : {"E", "", "1", "DD", "\xC3\xA9", ":"}) {
        SelectDriveSpecs("D");
        SelectDriveSpecs(other);
        EXPECT_EQ(six(CurrentDriveSpecs()), "|||||") << other;
    }
    EXPECT_EQ(letters, "DDEDDDDD");
    set_free_space_refresh(nullptr);
    SelectDriveSpecs("D");  // no routine installed: nothing to call
    EXPECT_EQ(CurrentDriveSpecs().Rpm, "7200");

    // Mapping takes only an upper-case letter and a drive that has a slot.
    LetterSpecs() = {};
    for (auto [letter, drive] : {std::pair{"d", 4}, {"D", 26}, {"D", -1}, {"DE", 4}, {"", 4}})
        MapDriveLetterSpecs(letter, drive);
    for (const LetterSpec& letter : LetterSpecs()) EXPECT_EQ(six(letter), "|||||");
    MapDriveLetterSpecs("Z", 4);
    EXPECT_EQ(LetterSpecs()[25].Rpm, "7200");
}

}  // namespace
}  // namespace bw::test
