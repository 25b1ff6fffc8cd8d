// Western Digital model decoding: known numbers, the current, earlier, old short and external
// layouts, and the normalisation of the text the system reports.
#include "decode_expect.h"
#include "drives/decoder_tables/WesternDigitalTables.h"

namespace bw::test {
namespace {

constexpr const char* kWd = "DecodeWesternDigital";

class WesternDigital : public ::testing::TestWithParam<DecodeCase> {};
TEST_P(WesternDigital, Decodes) {
    ExpectDecode(GetParam());
}

const DecodeCase kKnownModels[] = {
    // The whole text must equal a key; the standard composition follows.
    {"WD10EZEX", kWd,
     "ProductName=WD Blue|Interface=SATA 6G|Case=3.5 Inch|Rpm=7200|Size=1|SizeUnit=TB|Cache=64 MB"
     "|SpecLine1=WD Blue  Size: 1 TB"
     "|SpecLine2=Cache: 64 MB  RPM: 7200  Interface: SATA 6G  Case: 3.5 Inch"},
    {"WD1200BEVE PATA", kWd,
     "ProductName=Mobile WD Blue|Interface=PATA 100|Case=2.5 Inch|Rpm=5400|Size=120|SizeUnit=GB"
     "|Cache=8 MB|SpecLine1=Mobile WD Blue  Size: 120 GB"
     "|SpecLine2=Cache: 8 MB  RPM: 5400  Interface: PATA 100  Case: 2.5 Inch"},
    // Retail numbers have no case; this one is listed with 500 GB although it reads 0010.
    {"WDBBEP0010BRD", kWd,
     "ProductName=My Passport|Interface=USB 3.0|Rpm=7200|Size=500|SizeUnit=GB|Cache=UKN"
     "|SpecLine1=My Passport  Size: 500 GB|SpecLine2=Cache: UKN  RPM: 7200  Interface: USB 3.0"},
    {"WDH2Q60000", kWd,
     "ProductName=My Book Studio II|Interface=Quad Interface|Rpm=7200|Size=6|SizeUnit=TB"
     "|Cache=UKN|SpecLine1=My Book Studio II  Size: 6 TB"
     "|SpecLine2=Cache: UKN  RPM: 7200  Interface: Quad Interface"},
    {"WDBUWZ0020JBK", kWd,
     "ProductName=My Book VelociRaptor|Interface=Thunderbolt|Rpm=10,000|Size=2|SizeUnit=TB"
     "|Cache=UKN|SpecLine1=My Book VelociRaptor  Size: 2 TB"
     "|SpecLine2=Cache: UKN  RPM: 10,000  Interface: Thunderbolt"},
};
INSTANTIATE_TEST_SUITE_P(Known, WesternDigital, ::testing::ValuesIn(kKnownModels));

const DecodeCase kCurrentLayout[] = {
    // Cut to ten characters at the dash; "S" is the desktop SATA interface for a desktop brand.
    {"WDC WD5000AAKS-00A7B2 ATA Device", kWd,
     "Size=5000|SizeUnit=GB|Case=3.5|Brand=Desktop WD Blue; WD Green; WD Black; WD Caviar"
     "|Rpm=7200|Cache=16 MB|Interface=SATA 3 Gb/s 22-pin SATA"
     "|SpecLine1=Western Digital 5000 GB RPM: 7200 Cache: 16 MB"
     "|SpecLine2=Interface: SATA 3 Gb/s 22-pin SATA   Case: 3.5 Desktop WD Blue; WD Green; WD "
     "Black; WD Caviar"},
    // The same text in other letter cases decodes the same.
    {"wdc wd5000aaks-00a7b2 ata device", kWd,
     "Size=5000|SizeUnit=GB|Case=3.5|Brand=Desktop WD Blue; WD Green; WD Black; WD Caviar"
     "|Rpm=7200|Cache=16 MB|Interface=SATA 3 Gb/s 22-pin SATA"
     "|SpecLine1=Western Digital 5000 GB RPM: 7200 Cache: 16 MB"
     "|SpecLine2=Interface: SATA 3 Gb/s 22-pin SATA   Case: 3.5 Desktop WD Blue; WD Green; WD "
     "Black; WD Caviar"},
    // "1002" reads as 1000; E is a terabyte 3.5 inch unit.
    {"WDC WD1002FAEX-00Z3A0 ATA Device", kWd,
     "Size=1000|SizeUnit=TB|Case=3.5|Brand=Desktop WD Blue; WD Green; WD Black; WD Caviar"
     "|Rpm=7200|Cache=64 MB|Interface=SATA 6 Gb/s 22-pin SATA"
     "|SpecLine1=Western Digital 1000 TB RPM: 7200 Cache: 64 MB"
     "|SpecLine2=Interface: SATA 6 Gb/s 22-pin SATA   Case: 3.5 Desktop WD Blue; WD Green; WD "
     "Black; WD Caviar"},
    // A mobile brand turns "S" into the 1.5 Gb/s interface.
    {"WD2500BEVS", kWd,
     "Size=2500|SizeUnit=GB|Case=2.5|Brand=Mobile WD Blue; WD Green; WD Black; WD Scorpio"
     "|Rpm=5400|Cache=8 MB|Interface=ATA 1.5 Gb/s 22-pin SATA"
     "|SpecLine1=Western Digital 2500 GB RPM: 5400 Cache: 8 MB"
     "|SpecLine2=Interface: ATA 1.5 Gb/s 22-pin SATA   Case: 2.5 Mobile WD Blue; WD Green; WD "
     "Black; WD Scorpio"},
    // Seven-character number with its serial suffix: cut to "WD800JB-00"; 8 to 10 match nothing.
    {"WDC WD800JB-00JJC0 ATA Device", kWd,
     "Size=8000|SizeUnit=GB|Case=2.5|SpecLine1=Western Digital 8000 GB RPM:  Cache: "
     "|SpecLine2=Interface:    Case: 2.5 "},
};
INSTANTIATE_TEST_SUITE_P(Current, WesternDigital, ::testing::ValuesIn(kCurrentLayout));

const DecodeCase kEarlierLayout[] = {
    // Twelve characters ("0" at the 11th keeps them; "-" there would cut them to ten): cut to ten
    // and read with the older words;
    // character 9 replaces the brand, here with the empty text.
    {"WD5000AAKS00", kWd,
     "Size=5000|SizeUnit=GB|Case=3.5|Rpm=7200|Cache=16 MB"
     "|Interface=SATA 3 Gb/s with 22-pin SATA connector"
     "|SpecLine1=Western Digital 5000 GB  RPM: 7200  Cache: 16 MB"
     "|SpecLine2=Interface: SATA 3 Gb/s with 22-pin SATA connector  Case: 3.5 "},
    // Character 9 "V" names the brand "Mobile", so "S" is the 1.5 Gb/s interface.
    {"WD1600GEVS00", kWd,
     "Size=1600|SizeUnit=GB|Case=2.5|Brand=Mobile|Rpm=5400|Cache=8 MB"
     "|Interface=ATA 1.5 Gb/s with 22-pin SATA connector"
     "|SpecLine1=Western Digital 1600 GB  RPM: 5400  Cache: 8 MB"
     "|SpecLine2=Interface: ATA 1.5 Gb/s with 22-pin SATA connector  Case: 2.5 Mobile"},
    // Character 9 in no row keeps the brand of character 8, leading blank and all.
    {"WD1600GEXS00", kWd,
     "Size=1600|SizeUnit=GB|Case=2.5|Brand= Mobile WD Scorpio"
     "|Interface=ATA 1.5 Gb/s with 22-pin SATA connector"
     "|SpecLine1=Western Digital 1600 GB  RPM:   Cache: "
     "|SpecLine2=Interface: ATA 1.5 Gb/s with 22-pin SATA connector  Case: 2.5  Mobile WD Scorpio"},
    // Seventh character "B" goes to the external drives before the length is looked at.
    {"WD1600BEVS00", kWd, "Size=1600|SizeUnit=GB|SpecLine1=Western Digital External1600 GB"},
    // Fifteen characters as the system reports an old number: "J" is a 2.5 inch TB unit here.
    {"WDC WD1200JB-00GVA0 ATA Device", kWd,
     "Size=1200|SizeUnit=TB|Case=2.5|Brand=Enterprise WD RE3; WD RE2 3-Platter"
     "|SpecLine1=Western Digital 1200 TB  RPM:   Cache: "
     "|SpecLine2=Interface:   Case: 2.5 Enterprise WD RE3; WD RE2 3-Platter"},
};
INSTANTIATE_TEST_SUITE_P(Earlier, WesternDigital, ::testing::ValuesIn(kEarlierLayout));

const DecodeCase kOldShortLayout[] = {
    {"WD800JB", kWd,
     "Size=80|SizeUnit=GB|Rpm=7200|Cache=8 MB|Interface=ATA/100 with 40-pin IDE connector"
     "|SpecLine1=Western Digital 80 GB  RPM: 7200  Cache: 8 MB"
     "|SpecLine2=Interface: ATA/100 with 40-pin IDE connector"},
    // Two digits: 6.4 shows as "6"; "UNK" as the table spells it.
    {"WD64AA", kWd,
     "Size=6|SizeUnit=GB|Rpm=5400|Cache=UNK|Brand=Multi-Platter"
     "|Interface=ATA/66 with 40-pin IDE connector"
     "|SpecLine1=Western Digital 6 GB  RPM: 5400  Cache: UNK"
     "|SpecLine2=Interface: ATA/66 with 40-pin IDE connector"},
    // 20.5 rounds half away from zero.
    {"WD205BA", kWd,
     "Size=21|SizeUnit=GB|Rpm=7200|Cache=2 MB|Interface=ATA/66 with 40-pin IDE connector"
     "|SpecLine1=Western Digital 21 GB  RPM: 7200  Cache: 2 MB"
     "|SpecLine2=Interface: ATA/66 with 40-pin IDE connector"},
    // Four digits; the brand word with its en dash.
    {"WD2500MS", kWd,
     "Size=250|SizeUnit=GB|Rpm=5400|Cache=UKN|Brand=Fluid Dynamic Bearings–FDB"
     "|Interface=SATA 300 MB/s with 22-pin SATA connector"
     "|SpecLine1=Western Digital 250 GB  RPM: 5400  Cache: UKN"
     "|SpecLine2=Interface: SATA 300 MB/s with 22-pin SATA connector"},
    // A zero capacity shows as nothing at all.
    {"WD00AB", kWd,
     "SizeUnit=GB|Rpm=5400|Cache=UNK|Brand=Multi-Platter"
     "|Interface=ATA/100 with 40-pin IDE connector"
     "|SpecLine1=Western Digital  GB  RPM: 5400  Cache: UNK"
     "|SpecLine2=Interface: ATA/100 with 40-pin IDE connector"},
};
INSTANTIATE_TEST_SUITE_P(OldShort, WesternDigital, ::testing::ValuesIn(kOldShortLayout));

const DecodeCase kExternal[] = {
    // Seventh character "B", longer than eleven: capacity code and the enclosure code.
    {"WD2500B01100", kWd,
     "Size=2500|SizeUnit=GB|Brand=FireWire USB 2.0|SpecLine1=Western Digital External2500 GB"
     "|SpecLine2=FireWire USB 2.0"},
    {"WD1600B01900", kWd,
     "Size=1600|SizeUnit=GB|Brand= USB 2.0/Ethernet external drive"
     "|SpecLine1=Western Digital External1600 GB|SpecLine2= USB 2.0/Ethernet external drive"},
    // External products: key after "WD", capacity, speed/cache letter, interface letter.
    {"WDXB1200JBBNN", kWd,
     "Brand=WD Dual-option Combo|Size=1200|SizeUnit=GB|Rpm=7200|Cache=8 MB"
     "|Interface=ATA/100 40-pin IDE|SpecLine1=Western Digital 1200 GB  RPM: 7200  Cache: 8 MB"
     "|SpecLine2=Interface: ATA/100 40-pin IDE  WD Dual-option Combo"},
    // Three-letter keys win over their two-letter beginnings ("XUL" is not "XU").
    {"WDXUL1200BBRNN", kWd,
     "Brand=WD Essential USB|Size=1200|SizeUnit=GB|Rpm=7200|Cache=2 MB"
     "|Interface=ATA/100 40-pin IDE|SpecLine1=Western Digital 1200 GB  RPM: 7200  Cache: 2 MB"
     "|SpecLine2=Interface: ATA/100 40-pin IDE  WD Essential USB"},
    {"WDXU2500JBRNN", kWd,
     "Brand=External USB 2.0|Size=2500|SizeUnit=GB|Rpm=7200|Cache=8 MB"
     "|Interface=ATA/100 40-pin IDE|SpecLine1=Western Digital 2500 GB  RPM: 7200  Cache: 8 MB"
     "|SpecLine2=Interface: ATA/100 40-pin IDE  External USB 2.0"},
    // An unknown product key writes nothing.
    {"WDXQ2500JBRNN", kWd, ""},
};
INSTANTIATE_TEST_SUITE_P(External, WesternDigital, ::testing::ValuesIn(kExternal));

const DecodeCase kNothingDecoded[] = {
    // "0" at the 11th character keeps all sixteen characters: no layout has that length.
    {"WDC WD10EZEX-00BN5A0 ATA Device", kWd, ""},
    {"WD5000AAK", kWd, ""},       // nine characters
    {"WD5000AAKS0", kWd, ""},     // eleven characters
    {"WD5000AAKS0000", kWd, ""},  // fourteen
    {"WD1A", kWd, ""},            // too short for the old layout
    {"WDC ", kWd, ""},
    {"WD", kWd, ""},
    // The system words at the very start of the text are not cut.
    {"WDC ATA DEVICE", kWd, ""},
};
INSTANTIATE_TEST_SUITE_P(Nothing, WesternDigital, ::testing::ValuesIn(kNothingDecoded));

TEST(WesternDigitalTables, KnownModelTableKeepsEveryRow) {
    EXPECT_EQ(std::size(wd::kKnownModels), 173u);
    // Keys are unique: an exact-match table with a repeated key would hide its later row.
    for (std::size_t i = 0; i < std::size(wd::kKnownModels); ++i)
        for (std::size_t j = i + 1; j < std::size(wd::kKnownModels); ++j)
            EXPECT_NE(wd::kKnownModels[i].code, wd::kKnownModels[j].code);
}

}  // namespace
}  // namespace bw::test
