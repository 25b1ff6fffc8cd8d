// The entry point that picks a decoder, the stores it fills and the copies to drive letters.
#include <string>

#include "decode_expect.h"

namespace bw::test {
namespace {

struct Route {
    const char* model;
    const char* decoder;  // "" when no rule takes the model
};

class Dispatch : public ::testing::TestWithParam<Route> {};

TEST_P(Dispatch, PicksTheDecoder) {
    std::string model = GetParam().model;
    DecodeDriveModel(model, 3);
    EXPECT_EQ(LastDecoderName(), GetParam().decoder) << GetParam().model;
}

const Route kRoutes[] = {
    // Solid-state first, on the text as reported.
    {"Samsung SSD 840 PRO Series", "DecodeSolidState"},
    {"KINGSTON SV300S37A120G", "DecodeSolidState"},
    {"Crucial_CT256MX100SSD1 ATA Device", "DecodeSolidState"},
    {"st3500418as-ssd", "DecodeSolidState"},
    {"WDC WD10EZEX kingston", "DecodeSolidState"},
    {"AMD kingston", "DecodeSolidState"},
    // RAID volumes: exact case only.
    {"AMD-RAID Array", ""},
    {"AMD", ""},
    {"amd-raid array", "DecodeSeagateRetailKit"},
    {"Amd-Raid", "DecodeSeagateRetailKit"},
    // "HITACHI " is dropped before the prefix rules.
    {"Hitachi HDS721010CLA332", "DecodeHitachiDeskstar"},
    {"HITACHI HTS545050B9A300", "DecodeHitachi"},
    {"HITACHI", ""},
    {"Hitachi", ""},
    {"HITACHIxHDS7", "DecodeHitachiDeskstar"},
    // The prefix rules in their order.
    {"HDS721010CLA332", "DecodeHitachiDeskstar"},
    {"MAX3147FC", "DecodeFujitsuEnterprise"},
    {"MAXTOR 6L250R0", "DecodeFujitsuEnterprise"},
    {"ST3500418AS", "DecodeSeagateClassic"},
    {"ST9500325AS", "DecodeSeagateClassic"},
    {"STM3500320AS", "DecodeSeagateMaxtor"},
    {"ST1000DM003", "DecodeSeagateFamily"},
    {"MX500", "DecodeSeagateFamily"},
    {"AA1000", "DecodeSeagateRetailKit"},
    {"DS2000", "DecodeSeagateRetailKit"},
    {"AT1000", "DecodeMaxtorQuantum"},  // "AT" is no retail-kit key
    {"HX-MU064DA", "DecodeSamsungExternal"},
    {"HZ-1", "DecodeSamsungExternal"},
    {"HN-M101MBB", "DecodeSamsungHN"},
    {"HD103SJ", "DecodeSamsung"},
    {"HUA722010CLA330", "DecodeSamsung"},
    {"SP2504C", "DecodeSamsungSpinPoint"},
    {"HTS545050B9A300", "DecodeHitachi"},
    {"HGST HTS721010A9E630 ATA Device", "DecodeHitachi"},
    {"IC35L060AVV207-0", "DecodeIbm"},
    {"MHV2080AH", "DecodeFujitsuMobile"},
    {"MU1234", "DecodeMaxtorQuantum"},
    {"MAW3073NC", "DecodeFujitsu"},
    {"WDC WD10EZEX-00BN5A0 ATA Device", "DecodeWesternDigital"},
    {"WD800JB", "DecodeWesternDigital"},
    {"6Y080L0", "DecodeMaxtor"},
    {"7Y250M0", "DecodeMaxtor"},
    {"8E073L0", "DecodeMaxtorQuantum"},
    {"XC1800", "DecodeMaxtorQuantum"},
    {"Z16IZF2E-200UCU", "DecodeZeus"},
    // No rule.
    {"", ""},
    {"6G160E0", ""},
    {"TOSHIBA MQ01ABD100 ATA Device", ""},
    {"SAMSUNG HD103SJ ATA Device", ""},
    {"VirtIO Block Device", ""},
    {" WDC WD800JB", ""},
    {"\xC3\xA9WD", ""},
};
INSTANTIATE_TEST_SUITE_P(Rules, Dispatch, ::testing::ValuesIn(kRoutes));

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
        for (const auto& [name, value] : RecordFields(slot)) EXPECT_EQ(*value, "") << name;

    std::string model = "WD10EZEX";
    DecodeDriveModel(model, 25);
    EXPECT_EQ(DriveSpecTable()[25].ProductName, "WD Blue");
}

// One drive's decode never shows in the record of the next drive decoded, whatever the order.
TEST(DecodeDriveModel, NothingLeaksFromOneDriveToTheNext) {
    const char* earlier[] = {"6B2000M",         "WD2500BEVS",       "HDS728080PLA380",
                             "Z16IZF2E-200UCU", "SSD-D0128SI-7100", "ST305004FPA1E2-RK",
                             "HD103SJ",         "MHV2080AH"};
    const char* later[] = {"MAW3073NC",         "WDC WD800JB-00JJC0 ATA Device",
                           "HTS545050B9A300",   "TN18J011",
                           "MAX3147FC",         "IC35L060AVV207-0",
                           "Samsung SSD 840",   "HX-MU064DA",
                           "ST1000DM003",       "AMD-RAID Array",
                           "TOSHIBA DT01ACA100"};
    for (const char* second : later) {
        std::string alone = second;
        DecodeDriveModel(alone, 1);
        const DriveSpec reference = DriveSpecTable()[1];
        for (const char* first : earlier) {
            for (int slot : {1, 2}) {  // the earlier drive in the same slot and in another one
                SCOPED_TRACE(std::string(first) + " then " + second + ", slot " +
                             std::to_string(slot));
                std::string a = first, b = second;
                DecodeDriveModel(a, slot);
                DecodeDriveModel(b, 1);
                auto got = RecordFields(DriveSpecTable()[1]);
                auto want = RecordFields(reference);
                for (std::size_t i = 0; i < got.size(); ++i)
                    EXPECT_EQ(*got[i].second, *want[i].second) << got[i].first;
            }
        }
    }
}

struct VendorCase {
    const char* model;
    bool vendor;
};
class VendorWords : public ::testing::TestWithParam<VendorCase> {};
TEST_P(VendorWords, AreFoundAnywhereInAnyCase) {
    EXPECT_EQ(IsSsdVendorModel(GetParam().model), GetParam().vendor) << GetParam().model;
}
const VendorCase kVendorCases[] = {
    {"CORSAIR Force GT", true},
    {"OCZ-VERTEX4", true},
    {"Crucial_CT256MX100SSD1", true},
    {"kingston sa400", true},
    {"SanDisk SDSSDHP128G", true},
    {"Mushkin MKNSSDCR120GB", true},
    {"ADATA SP900", true},
    {"Patriot Pyro", true},
    {"PLEXTOR PX-256M5S", true},
    {"ZALMAN Z", true},
    {"BIWIN", true},
    {"TS128GSSD370S Transcend", true},
    {"G.SKILL FM", true},
    {"PNY CS900", true},
    {"pny cs900", true},
    {"WINTEC", true},
    {"Verbatim Vi500", true},
    {"AXIOM", true},
    {"PNY", false},
    {"PNYCS900", false},
    {"Samsung SSD 850", false},
    {"WDC WD10EZEX", false},
    {"", false},
    {"G-SKILL", false},
};
INSTANTIATE_TEST_SUITE_P(Vendors, VendorWords, ::testing::ValuesIn(kVendorCases));

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
