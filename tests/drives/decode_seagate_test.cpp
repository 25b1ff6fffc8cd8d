// Seagate model decoding: classic numbers (plain and retail), Seagate-built Maxtor numbers,
// family-coded numbers and retail kits.
#include "decode_expect.h"

namespace bw::test {
namespace {

constexpr const char* kClassic = "DecodeSeagateClassic";
constexpr const char* kStm = "DecodeSeagateMaxtor";
constexpr const char* kFamily = "DecodeSeagateFamily";
constexpr const char* kKit = "DecodeSeagateRetailKit";

class Seagate : public ::testing::TestWithParam<DecodeCase> {};
TEST_P(Seagate, Decodes) {
    ExpectDecode(GetParam());
}

const DecodeCase kClassicPlain[] = {
    // Character 7 "4" is 16 MG; character 8 "1" names no speed.
    {"ST3500418AS", kClassic,
     "Case=3.5 inch|Size=500|SizeUnit=GB|Cache=16 MG|Interface=SATA"
     "|SpecLine1=  Size: 500 GB|SpecLine2=Cache: 16 MG  Interface: SATA  Case: 3.5 inch"},
    // Three characters from position 4 even for a 1 TB number; "5" at 8 reads as 15000. The
    // interface letters follow the longer digit run.
    {"ST31000528AS", kClassic,
     "Case=3.5 inch|Size=100|SizeUnit=GB|Cache=2 MG|Rpm=15000|Interface=SATA"
     "|SpecLine1=  Size: 100 GB|SpecLine2=Cache: 2 MG  RPM: 15000  Interface: SATA  Case: 3.5 "
     "inch"},
    // As the system reports it: the words after the number do not change the interface.
    {"ST3500418AS ATA Device", kClassic,
     "Case=3.5 inch|Size=500|SizeUnit=GB|Cache=16 MG|Interface=SATA"
     "|SpecLine1=  Size: 500 GB|SpecLine2=Cache: 16 MG  Interface: SATA  Case: 3.5 inch"},
    // A lone "A" after the digits is a parallel ATA drive.
    {"ST3200822A", kClassic,
     "Case=3.5 inch|Size=200|SizeUnit=GB|Cache=8 MG|Interface=ATA"
     "|SpecLine1=  Size: 200 GB|SpecLine2=Cache: 8 MG  Interface: ATA  Case: 3.5 inch"},
    {"ST3200822A ATA Device", kClassic,
     "Case=3.5 inch|Size=200|SizeUnit=GB|Cache=8 MG|Interface=ATA"
     "|SpecLine1=  Size: 200 GB|SpecLine2=Cache: 8 MG  Interface: ATA  Case: 3.5 inch"},
    // "ASG" before "AS"; ST9 is a 2.5 inch drive.
    {"ST9500420ASG", kClassic,
     "Case=2.5 inch|Size=500|SizeUnit=GB|Cache=16 MG|Interface=SATA w/ Free Fall Protection"
     "|SpecLine1=  Size: 500 GB"
     "|SpecLine2=Cache: 16 MG  Interface: SATA w/ Free Fall Protection  Case: 2.5 inch"},
    {"ST3146855LW", kClassic,
     "Case=3.5 inch|Size=146|SizeUnit=GB|Cache=8 MG|Rpm=15000|Interface=68 Pin SCSI"
     "|SpecLine1=  Size: 146 GB"
     "|SpecLine2=Cache: 8 MG  RPM: 15000  Interface: 68 Pin SCSI  Case: 3.5 inch"},
    {"ST3300655SS", kClassic,
     "Case=3.5 inch|Size=300|SizeUnit=GB|Cache=16 MG|Rpm=15000|Interface=Serial SCSI"
     "|SpecLine1=  Size: 300 GB"
     "|SpecLine2=Cache: 16 MG  RPM: 15000  Interface: Serial SCSI  Case: 3.5 inch"},
    {"ST3750640NS", kClassic,
     "Case=3.5 inch|Size=750|SizeUnit=GB|Cache=16 MG|Interface=SATA/SAS"
     "|SpecLine1=  Size: 750 GB|SpecLine2=Cache: 16 MG  Interface: SATA/SAS  Case: 3.5 inch"},
    // "0" at 8 is 10000; "7" at 7 names no cache.
    {"ST3146707FC", kClassic,
     "Case=3.5 inch|Size=146|SizeUnit=GB|Rpm=10000|Interface=Fiber Channel"
     "|SpecLine1=  Size: 146 GB|SpecLine2=  RPM: 10000  Interface: Fiber Channel  Case: 3.5 inch"},
    // No letters after the digits: the last resort.
    {"ST3", kClassic,
     "Case=3.5 inch|SizeUnit=GB|Interface=IDE|SpecLine2=  Interface: IDE  Case: 3.5 inch"},
};
INSTANTIATE_TEST_SUITE_P(ClassicPlain, Seagate, ::testing::ValuesIn(kClassicPlain));

const DecodeCase kClassicRetail[] = {
    // Suffix "RK" at the end: four size characters, cache digits 8 then 9 (9 wins).
    {"ST3500641A-RK", kClassic,
     "Case=3.5 inch|Size=5006|SizeUnit=GB|Cache=2 MG"
     "|SpecLine1=  Size: 5006 GB|SpecLine2=Cache: 2 MG  Case: 3.5 inch"},
    // Suffix at 13-14: the interface comes from it.
    {"ST3320620AS0RK", kClassic,
     "Case=3.5 inch|Size=3206|SizeUnit=GB|Cache=2 MG|Interface=Retail Kit"
     "|SpecLine1=  Size: 3206 GB|SpecLine2=Cache: 2 MG  Interface: Retail Kit  Case: 3.5 inch"},
    {"ST305004FPA1E2-RK", kClassic,
     "Case=3.5 inch|Size=0500|SizeUnit=GB|Cache=16 MG|Family=FreeAgentPor|Interface=USB / eSATA"
     "|SpecLine1=  Size: 0500 GB"
     "|SpecLine2=Cache: 16 MG  Interface: USB / eSATA  Case: 3.5 inch  FreeAgentPor"},
    // "5" is 32 MG in the retail layout.
    {"ST310005FDA1E1-RK", kClassic,
     "Case=3.5 inch|Size=1000|SizeUnit=GB|Cache=32 MG|Family=FreeAgent Desktop|Interface=USB"
     "|SpecLine1=  Size: 1000 GB"
     "|SpecLine2=Cache: 32 MG  Interface: USB  Case: 3.5 inch  FreeAgent Desktop"},
    // Family at 10 and the network word one position later.
    {"ST3100005LSA10E", kClassic,
     "Case=3.5 inch|Size=1000|SizeUnit=GB|Cache=32 MG|Family=BlackArmor NAS 220"
     "|Interface=Ethernet|SpecLine1=  Size: 1000 GB"
     "|SpecLine2=Cache: 32 MG  Interface: Ethernet  Case: 3.5 inch  BlackArmor NAS 220"},
};
INSTANTIATE_TEST_SUITE_P(ClassicRetail, Seagate, ::testing::ValuesIn(kClassicRetail));

const DecodeCase kSeagateMaxtor[] = {
    // Case digit "3" gives the 3.5 inch, one inch high text; no interface code at 9.
    {"STM3500320AS", kStm,
     "Case=3.5 inch - 1 inch H|Size=500|SizeUnit=GB|Cache=8 MG|SpecLine1=  Size: 500 GB"
     "|SpecLine2=Cache: 8 MG  Case: 3.5 inch - 1 inch H"},
    // The longer code is tried before its beginning.
    {"STM32508LCV", kStm,
     "Case=3.5 inch - 1 inch H|Size=250|SizeUnit=GB|Cache=8 MG"
     "|Interface=Low Voltage Differential, 80-pin SCA Large Cache|SpecLine1=  Size: 250 GB"
     "|SpecLine2=Cache: 8 MG  Interface: Low Voltage Differential, 80-pin SCA Large Cache  Case: "
     "3.5 inch - 1 inch H"},
    {"STM91604N", kStm,
     "Case=2.5 inch - 0.75-inch H|Size=160|SizeUnit=GB|Cache=16 MG"
     "|Interface=SCSI, 50-pin Narrow SCSI Connector|SpecLine1=  Size: 160 GB"
     "|SpecLine2=Cache: 16 MG  Interface: SCSI, 50-pin Narrow SCSI Connector  Case: 2.5 inch - "
     "0.75-inch H"},
};
INSTANTIATE_TEST_SUITE_P(SeagateMaxtor, Seagate, ::testing::ValuesIn(kSeagateMaxtor));

const DecodeCase kFamilyCoded[] = {
    {"ST1000DM003", kFamily,
     "Size=1000|SizeUnit=GB|ProductName=Mainstream|SpecLine1=Mainstream  Size: 1000 GB"},
    {"ST2000DM001-1CH164 ATA Device", kFamily,
     "Size=2000|SizeUnit=GB|ProductName=Mainstream|SpecLine1=Mainstream  Size: 2000 GB"},
    // "L" at 6, then "M" at 7 (tested later): four digits and no product name.
    {"ST500LM012", kFamily, "Size=500L|SizeUnit=GB|SpecLine1=  Size: 500L GB"},
    {"ST2000VX000", kFamily,
     "Size=2000|SizeUnit=GB|ProductName=Surveillance|SpecLine1=Surveillance  Size: 2000 GB"},
    {"ST2000LX001", kFamily,
     "Size=2000|SizeUnit=GB|ProductName=Laptop Premium|SpecLine1=Laptop Premium  Size: 2000 GB"},
    // "D" at 6 and "M" at 7: the later letter in the search order decides.
    {"ST500DM002", kFamily, "Size=500D|SizeUnit=GB|SpecLine1=  Size: 500D GB"},
    // No family letter at 5 to 7.
    {"ST8000AS0002", kFamily, "Size=8000|SizeUnit=GB|SpecLine1=  Size: 8000 GB"},
    {"MX123DX0", kFamily,
     "Size=123|SizeUnit=GB|ProductName=Desktop Premium|SpecLine1=Desktop Premium  Size: 123 GB"},
    {"ST", kFamily, "SizeUnit=GB"},
};
INSTANTIATE_TEST_SUITE_P(Family, Seagate, ::testing::ValuesIn(kFamilyCoded));

const DecodeCase kRetailKits[] = {
    {"AA3500100", kKit,
     "ProductName=FreeAgent GoFlex|Case=3.5 inch|Size=5001|SizeUnit=GB"
     "|SpecLine1=FreeAgent GoFlex  Size: 5001 GB|SpecLine2=  Case: 3.5 inch"},
    {"DS9250", kKit,
     "ProductName=FreeAgent DockStar|Case=2.5 inch|Size=250|SizeUnit=GB"
     "|SpecLine1=FreeAgent DockStar  Size: 250 GB|SpecLine2=  Case: 2.5 inch"},
    // A USB bridge that reports its own name lands here too.
    {"ASMT 2105 USB Device", kKit,
     "ProductName=FreeAgent Desk|Case=2.5 inch|Size=T 21|SizeUnit=GB"
     "|SpecLine1=FreeAgent Desk  Size: T 21 GB|SpecLine2=  Case: 2.5 inch"},
};
INSTANTIATE_TEST_SUITE_P(RetailKit, Seagate, ::testing::ValuesIn(kRetailKits));

}  // namespace
}  // namespace bw::test
