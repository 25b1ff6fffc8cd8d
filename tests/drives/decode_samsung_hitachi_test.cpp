// Samsung, Hitachi and IBM model decoding.
#include "decode_expect.h"

namespace bw::test {
namespace {

class SamsungHitachi : public ::testing::TestWithParam<DecodeCase> {};
TEST_P(SamsungHitachi, Decodes) {
    ExpectDecode(GetParam());
}

const DecodeCase kSamsung[] = {
    // Position 5 "3" is no cache letter; "S" at 6 multiplies the size by ten.
    {"HD103SJ", "DecodeSamsung",
     "ProductName=Desktop|Size=100|SizeUnit=GB|Family=Heads 1-8|Rpm=7200|Interface=SATA II 3G"
     "|SpecLine1=Desktop  Size: 100 GB|SpecLine2=  RPM: 7200  Interface: SATA II 3G  Heads 1-8"},
    {"HM500JI", "DecodeSamsung",
     "ProductName=Mobile|Size=500|SizeUnit=GB|Family=Heads 1-8|Rpm=5400|Interface=SATA II 3G"
     "|SpecLine1=Mobile  Size: 500 GB|SpecLine2=  RPM: 5400  Interface: SATA II 3G  Heads 1-8"},
    // "08" times ten is 80, stored as a number.
    {"HD080HJ", "DecodeSamsung",
     "ProductName=Desktop|Size=80|SizeUnit=GB|Family=Heads 1-8|Rpm=7200|Interface=SATA II 3G"
     "|SpecLine1=Desktop  Size: 80 GB|SpecLine2=  RPM: 7200  Interface: SATA II 3G  Heads 1-8"},
    // Cache letter at 5; a heads letter A to F keeps the size as it stands.
    {"HS08BAF", "DecodeSamsung",
     "ProductName=SFF|Size=08|SizeUnit=GB|Cache=8 MB|Family=Heads 1-6|Rpm=5400"
     "|Interface=SATA 1.5G|SpecLine1=SFF  Size: 08 GB"
     "|SpecLine2=Cache: 8 MB  RPM: 5400  Interface: SATA 1.5G  Heads 1-6"},
    // "O" is neither heads range.
    {"HA250OC", "DecodeSamsung",
     "ProductName=Consumer Electronics|Size=25|SizeUnit=GB|Rpm=5400|Interface=PATA"
     "|SpecLine1=Consumer Electronics  Size: 25 GB|SpecLine2=  RPM: 5400  Interface: PATA"},
    // "HU" and "HD" numbers of another maker still go here.
    {"HUA722010CLA330", "DecodeSamsung",
     "ProductName=Ultra SFF|Size=A7|SizeUnit=GB|SpecLine1=Ultra SFF  Size: A7 GB"},
    {"HDT721010SLA360", "DecodeSamsung",
     "ProductName=Desktop|Size=T7|SizeUnit=GB|SpecLine1=Desktop  Size: T7 GB"},
};
INSTANTIATE_TEST_SUITE_P(Samsung, SamsungHitachi, ::testing::ValuesIn(kSamsung));

const DecodeCase kSamsungHn[] = {
    {"HNM251SXE", "DecodeSamsungHN",
     "ProductName=Internal|Case=2.5 Inch|Size=2500|SizeUnit=GB|Rpm=7200|Interface=SATA III 6G"
     "|Cache=64 MB|SpecLine1=Internal  Size: 2500 GB"
     "|SpecLine2=Cache: 64 MB  RPM: 7200  Interface: SATA III 6G  Case: 2.5 Inch"},
    // "2" at 6 is a TB unit and leaves the size as it stands.
    {"HND022RXC", "DecodeSamsungHN",
     "ProductName=Internal|Case=3.5 Inch|Size=02|SizeUnit=TB|Rpm=5400|Interface=SATA III 6G"
     "|Cache=16 MB|SpecLine1=Internal  Size: 02 TB"
     "|SpecLine2=Cache: 16 MB  RPM: 5400  Interface: SATA III 6G  Case: 3.5 Inch"},
    // The dashed form as sold: "M1" is no number.
    {"HN-M101MBB", "DecodeSamsungHN",
     "ProductName=Internal|Size=0|SizeUnit=GB|Cache=8 MB|SpecLine1=Internal  Size: 0 GB"
     "|SpecLine2=Cache: 8 MB"},
};
INSTANTIATE_TEST_SUITE_P(SamsungHn, SamsungHitachi, ::testing::ValuesIn(kSamsungHn));

const DecodeCase kSamsungExternal[] = {
    // Second scheme: no summary lines.
    {"HX-MU064DA", "DecodeSamsungExternal", "ProductName=External|Size=0|SizeUnit=GB"},
    {"HYA05BT", "DecodeSamsungExternal",
     "ProductName=NAS|Case=Adapter|Size=05|SizeUnit=Dock|Interface=USB 3.0"},
    {"HZM101U", "DecodeSamsungExternal",
     "ProductName=Media Player|Case=2.5 Inch|Size=1000|SizeUnit=GB|Interface=USB 2.0"},
    // First scheme (connection letter at 4) with the standard composition.
    {"HXDE10B", "DecodeSamsungExternal",
     "Interface=USB 2.0 or eSATA|ProductName=External|Case=3.5 Inch|Size=100|SizeUnit=GB"
     "|SpecLine1=External  Size: 100 GB|SpecLine2=  Interface: USB 2.0 or eSATA  Case: 3.5 Inch"},
    {"HXSU50A", "DecodeSamsungExternal",
     "Interface=USB 2.0|ProductName=External|Case=1.3 or 1.8 Inch|Size=50|SizeUnit=GB"
     "|SpecLine1=External  Size: 50 GB|SpecLine2=  Interface: USB 2.0  Case: 1.3 or 1.8 Inch"},
};
INSTANTIATE_TEST_SUITE_P(SamsungExternal, SamsungHitachi, ::testing::ValuesIn(kSamsungExternal));

const DecodeCase kSpinPoint[] = {
    {"SP2504C", "DecodeSamsungSpinPoint",
     "Size=25|Cache=8 MB|SizeUnit=GB|Interface=SATA"
     "|SpecLine1=Samsung 25 GB  Heads: 0 Cache: 8 MB|SpecLine2=Interface: SATA"},
    {"SP0802N", "DecodeSamsungSpinPoint",
     "Size=08|Cache=8 MB|SizeUnit=GB|Interface=SATA"
     "|SpecLine1=Samsung 08 GB  Heads: 0 Cache: 8 MB|SpecLine2=Interface: SATA"},
    {"SP400N", "DecodeSamsungSpinPoint",
     "Size=40|Cache=2 MB|SizeUnit=GB|Interface=PATA"
     "|SpecLine1=Samsung 40 GB  Heads: 0 Cache: 2 MB|SpecLine2=Interface: PATA"},
    {"SP", "DecodeSamsungSpinPoint",
     "Cache=8 MB|SizeUnit=GB|Interface=SATA|SpecLine1=Samsung  GB  Heads:  Cache: 8 MB"
     "|SpecLine2=Interface: SATA"},
};
INSTANTIATE_TEST_SUITE_P(SpinPoint, SamsungHitachi, ::testing::ValuesIn(kSpinPoint));

const DecodeCase kDeskstar[] = {
    {"HDS721010CLA332", "DecodeHitachiDeskstar",
     "Rpm=7200|Size=1000|SizeUnit=GB|Case=3.5 Inch|Interface=SATA 3G|Cache=32 MB"
     "|SpecLine1=Hitachi DeskStar 1000 GB  RPM: 7200  Cache: 32 MB"
     "|SpecLine2=Interface: SATA 3G Case: 3.5 Inch"},
    // The maker's word and its blank are dropped before the prefix rules.
    {"Hitachi HDS721010CLA332 ATA Device", "DecodeHitachiDeskstar",
     "Rpm=7200|Size=1000|SizeUnit=GB|Case=3.5 Inch|Interface=SATA 3G|Cache=32 MB"
     "|SpecLine1=Hitachi DeskStar 1000 GB  RPM: 7200  Cache: 32 MB"
     "|SpecLine2=Interface: SATA 3G Case: 3.5 Inch"},
    {"HDS728080PLA380", "DecodeHitachiDeskstar",
     "Rpm=7200|Size=8000|SizeUnit=GB|Brand=1|Case=3.5 Inch|Interface=SATA 3G|Cache=8 MB"
     "|SpecLine1=Hitachi DeskStar 8000 GB  RPM: 7200  Cache: 8 MB"
     "|SpecLine2=Interface: SATA 3G Case: 3.5 Inch"},
    {"HDS722516VLSA80", "DecodeHitachiDeskstar",
     "Rpm=7200|Size=1600|SizeUnit=GB|Brand=3|Case=3.5 Inch|Interface=SATA|Cache=8 MB"
     "|SpecLine1=Hitachi DeskStar 1600 GB  RPM: 7200  Cache: 8 MB"
     "|SpecLine2=Interface: SATA Case: 3.5 Inch"},
    {"HDS", "DecodeHitachiDeskstar",
     "Rpm=0|Size=0|SizeUnit=GB|SpecLine1=Hitachi DeskStar 0 GB  RPM: 0  Cache: "
     "|SpecLine2=Interface:  Case: "},
};
INSTANTIATE_TEST_SUITE_P(Deskstar, SamsungHitachi, ::testing::ValuesIn(kDeskstar));

const DecodeCase kHitachi[] = {
    // "00" at 14-15 names no cache; the series letters become the brand.
    {"HTS545050B9A300", "DecodeHitachi",
     "Rpm=5400|Size=500|SizeUnit=GB|Case=9.5 mm|Interface=Serial-ATA 3G|Brand=Travelstar Standard"
     "|SpecLine1=Hitachi Ultrastar 500 GB  RPM: 5400  Cache: "
     "|SpecLine2=Interface: Serial-ATA 3G Case: 9.5 mm"},
    // One-character cache code "8" at 14.
    {"HTS541010A9E680", "DecodeHitachi",
     "Rpm=5400|Size=100|SizeUnit=GB|Case=9.5 mm|Cache=8 MB|Brand=Travelstar Standard"
     "|SpecLine1=Hitachi Ultrastar 100 GB  RPM: 5400  Cache: 8 MB"
     "|SpecLine2=Interface:  Case: 9.5 mm"},
    {"HTE725050A9A364", "DecodeHitachi",
     "Rpm=7200|Size=500|SizeUnit=GB|Case=9.5 mm|Interface=Serial-ATA 3G|Cache=64 MB"
     "|Brand=Travelstar Enhanced|SpecLine1=Hitachi Ultrastar 500 GB  RPM: 7200  Cache: 64 MB"
     "|SpecLine2=Interface: Serial-ATA 3G Case: 9.5 mm"},
    {"HCS5C1010CLA382", "DecodeHitachi",
     "Rpm=CoolSpin|Size=100|SizeUnit=GB|Case=1 Inch|Interface=Serial-ATA 3G|Cache=8 MB"
     "|Brand=CinemaStar Standard|SpecLine1=Hitachi Ultrastar 100 GB  RPM: CoolSpin  Cache: 8 MB"
     "|SpecLine2=Interface: Serial-ATA 3G Case: 1 Inch"},
    // A newer maker name: only the kind letter at 3 is known.
    {"HGST HTS721010A9E630 ATA Device", "DecodeHitachi",
     "Size=0|SizeUnit=GB|Brand=Standard|SpecLine1=Hitachi Ultrastar 0 GB  RPM:   Cache: "
     "|SpecLine2=Interface:  Case: "},
    {"H", "DecodeHitachi",
     "Size=0|SizeUnit=GB|SpecLine1=Hitachi Ultrastar 0 GB  RPM:   Cache: "
     "|SpecLine2=Interface:  Case: "},
};
INSTANTIATE_TEST_SUITE_P(Hitachi, SamsungHitachi, ::testing::ValuesIn(kHitachi));

const DecodeCase kIbm[] = {
    // Only "32" at 3-4 is the 3.5 inch class; the height letter is appended.
    {"IC35L060AVV207-0", "DecodeIbm",
     "Case=2.5 X 1 inch - 25.4 mm|Interface=ATA|Rpm=7200|SpecLine1=IBM  RPM: 7200  Cache: "
     "|SpecLine2=Interface: ATA  Case: 2.5 X 1 inch - 25.4 mm"},
    {"IC25N040ATCS04-0", "DecodeIbm",
     "Case=2.5 X .37 inch - 9.5 mm|Rpm=4200|SpecLine1=IBM  RPM: 4200  Cache: "
     "|SpecLine2=Interface:   Case: 2.5 X .37 inch - 9.5 mm"},
    {"IC32T146UCDY10-0", "DecodeIbm",
     "Case=3.5 X .49 inch - 12.5 mm|Interface=Ultra SCSI 80-pin SCA|Rpm=10,000"
     "|SpecLine1=IBM  RPM: 10,000  Cache: "
     "|SpecLine2=Interface: Ultra SCSI 80-pin SCA  Case: 3.5 X .49 inch - 12.5 mm"},
    {"IC", "DecodeIbm", "Case=2.5|SpecLine1=IBM  RPM:   Cache: |SpecLine2=Interface:   Case: 2.5"},
};
INSTANTIATE_TEST_SUITE_P(Ibm, SamsungHitachi, ::testing::ValuesIn(kIbm));

}  // namespace
}  // namespace bw::test
