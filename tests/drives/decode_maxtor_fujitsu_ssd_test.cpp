// Maxtor, Maxtor-Quantum, Fujitsu and solid-state model decoding.
#include "decode_expect.h"

namespace bw::test {
namespace {

class MaxtorFujitsuSsd : public ::testing::TestWithParam<DecodeCase> {};
TEST_P(MaxtorFujitsuSsd, Decodes) {
    ExpectDecode(GetParam());
}

const DecodeCase kMaxtor[] = {
    // Position 7 is "0" in the seven-character numbers: no cache, interface or motor.
    {"6Y080L0", "DecodeMaxtor",
     "Brand=DiamondMax(DM) Plus 9|Rpm=7200|Size=80|SizeUnit=GB|SpecLine1=Maxtor 80 GB Cache: "
     "|SpecLine2=Interface:  DiamondMax(DM) Plus 9  "},
    {"6B2000M", "DecodeMaxtor",
     "Brand=DM10|Rpm=7200|Size=200|SizeUnit=GB|Cache=8 MB|Interface=SATA 150"
     "|Feature=Fluid Dynamic Bearing (FDB) motor|SpecLine1=Maxtor 200 GB Cache: 8 MB"
     "|SpecLine2=Interface: SATA 150 DM10  Fluid Dynamic Bearing (FDB) motor"},
    // A family without a speed; only one leading zero goes.
    {"4R0060J", "DecodeMaxtor",
     "Brand=DM16|Size=06|SizeUnit=GB|Cache=2 MB|Interface=PATA 133|Feature=Ball-Bearing motor"
     "|SpecLine1=Maxtor 06 GB Cache: 2 MB|SpecLine2=Interface: PATA 133 DM16  Ball-Bearing motor"},
};
INSTANTIATE_TEST_SUITE_P(Maxtor, MaxtorFujitsuSsd, ::testing::ValuesIn(kMaxtor));

const DecodeCase kMaxtorQuantum[] = {
    {"8E073L0", "DecodeMaxtorQuantum",
     "Rpm=15,000|Brand=ATLAS 15K II|Size=073|SizeUnit=GB"
     "|Interface=SCSI Wide, 68-pin Low Voltage Differential (LVD)"
     "|SpecLine1=Maxtor-Quantum 073 GB  RPM: 15,000 Cache: "
     "|SpecLine2=Interface: SCSI Wide, 68-pin Low Voltage Differential (LVD)  ATLAS 15K II"},
    // Letter at 5 when 6 holds none.
    {"TN18J011", "DecodeMaxtorQuantum",
     "Rpm=10,000|Brand=ATLAS 10K|Size=18J|SizeUnit=GB|Interface=SCSI SCA, 80-pin"
     "|SpecLine1=Maxtor-Quantum 18J GB  RPM: 10,000 Cache: "
     "|SpecLine2=Interface: SCSI SCA, 80-pin  ATLAS 10K"},
    // No letter: two capacity characters and the unknown speed.
    {"XC1800", "DecodeMaxtorQuantum",
     "Rpm=UNK|Brand=ATLAS V|Size=18|SizeUnit=GB|SpecLine1=Maxtor-Quantum 18 GB  RPM: UNK Cache: "
     "|SpecLine2=Interface:   ATLAS V"},
    {"MU1234", "DecodeMaxtorQuantum",
     "Rpm=UNK|Brand=PRODRIVE|Size=12|SizeUnit=GB|SpecLine1=Maxtor-Quantum 12 GB  RPM: UNK Cache: "
     "|SpecLine2=Interface:   PRODRIVE"},
};
INSTANTIATE_TEST_SUITE_P(MaxtorQuantum, MaxtorFujitsuSsd, ::testing::ValuesIn(kMaxtorQuantum));

const DecodeCase kFujitsu[] = {
    // "W" names no speed, "NC" no interface; the capacity is read in tenths.
    {"MAW3073NC", "DecodeFujitsu",
     "Brand=AL Series|Case=3.5 inch|Size=7.3|SizeUnit=GB"
     "|SpecLine1=Fujitsu 7.3 GB  RPM:  Cache: |SpecLine2=Interface: "},
    {"MAS3735FC", "DecodeFujitsu",
     "Brand=AL Series|Rpm=15,000|Case=3.5 inch|Size=73.5|SizeUnit=GB|Interface=Fibre Channel"
     "|SpecLine1=Fujitsu 73.5 GB  RPM: 15,000 Cache: |SpecLine2=Interface: Fibre Channel"},
    // "SC" is listed twice: the later text stands.
    {"MAP3147SC", "DecodeFujitsu",
     "Brand=AL Series|Rpm=10,000|Case=3.5 inch|Size=14.7|SizeUnit=GB|Interface=SCSI 68 pin"
     "|SpecLine1=Fujitsu 14.7 GB  RPM: 10,000 Cache: |SpecLine2=Interface: SCSI 68 pin"},
    {"MPG2409AT", "DecodeFujitsu",
     "Brand=PB Series|Rpm=10,000|Case=2.5 inch|Size=40.9|SizeUnit=GB"
     "|SpecLine1=Fujitsu 40.9 GB  RPM: 10,000 Cache: |SpecLine2=Interface: "},
    // Not every "M" model is a Fujitsu drive, but every one is decoded as such.
    {"Msft Virtual Disk SCSI Disk Device", "DecodeFujitsu",
     "Case=3.5 inch|Size=0|SizeUnit=GB|SpecLine1=Fujitsu 0 GB  RPM:  Cache: "
     "|SpecLine2=Interface: "},
    // The enterprise decoder takes every text that begins with "MAX", Maxtor's name included.
    {"MAX3147FC", "DecodeFujitsuEnterprise",
     "Case=3.5 inch|Size=147|SizeUnit=GB|Interface=Fibre Channel 2G"
     "|SpecLine1=Fujitsu Mobile Enterprise147 GB  RPM:  Cache: "
     "|SpecLine2=Interface: Fibre Channel 2G"},
    {"MAXTOR 6L250R0", "DecodeFujitsuEnterprise",
     "Case=3.5 inch|Size=OR |SizeUnit=GB|SpecLine1=Fujitsu Mobile EnterpriseOR  GB  RPM:  Cache: "
     "|SpecLine2=Interface: "},
    {"MHV2080AH", "DecodeFujitsuMobile",
     "Case=2.5 inch|Size=080|SizeUnit=GB|Interface=ATA|Rpm=5400"
     "|SpecLine1=Fujitsu Mobile Enterprise080 GB  RPM: 5400 Cache: |SpecLine2=Interface: ATA"},
    {"MHZ2250BS", "DecodeFujitsuMobile",
     "Case=2.5 inch|Size=250|SizeUnit=GB|Interface=SATA Extended Duty|Rpm=5400"
     "|SpecLine1=Fujitsu Mobile Enterprise250 GB  RPM: 5400 Cache: "
     "|SpecLine2=Interface: SATA Extended Duty"},
};
INSTANTIATE_TEST_SUITE_P(Fujitsu, MaxtorFujitsuSsd, ::testing::ValuesIn(kFujitsu));

const DecodeCase kSolidState[] = {
    // Exact product numbers, case-sensitive; 0128 with build 7100 is a 120 GB drive.
    {"SSD-D0128SI-7100", "DecodeSolidState",
     "ProductName=WD SSD|Interface=SATA 3G|Case=2.5 Inch|Rpm=N/A|Cache=N/A|SizeUnit=GB|Size=120"
     "|SpecLine1=WD SSD  Size: 120 GB"
     "|SpecLine2=Cache: N/A  RPM: N/A  Interface: SATA 3G  Case: 2.5 Inch"},
    {"SSD-D0128SC-7150", "DecodeSolidState",
     "ProductName=WD SSD|Interface=SATA 3G|Case=2.5 Inch|Rpm=N/A|Cache=N/A|SizeUnit=GB|Size=128"
     "|SpecLine1=WD SSD  Size: 128 GB"
     "|SpecLine2=Cache: N/A  RPM: N/A  Interface: SATA 3G  Case: 2.5 Inch"},
    {"SSD-M0008SC-7100", "DecodeSolidState",
     "ProductName=WD SSD A100|Interface=mSATA 3G|Case=2.5 Inch|Rpm=N/A|Cache=N/A|SizeUnit=GB"
     "|Size=8|SpecLine1=WD SSD A100  Size: 8 GB"
     "|SpecLine2=Cache: N/A  RPM: N/A  Interface: mSATA 3G  Case: 2.5 Inch"},
    {"SSD-C0002SI-7150", "DecodeSolidState",
     "ProductName=WD SSD CFast A100|Interface=SATA 3G|Case=2.5 Inch|Rpm=N/A|Cache=N/A"
     "|SizeUnit=GB|Size=2|SpecLine1=WD SSD CFast A100  Size: 2 GB"
     "|SpecLine2=Cache: N/A  RPM: N/A  Interface: SATA 3G  Case: 2.5 Inch"},
    // Not keys: lower case, a capacity the series lacks, another build.
    {"ssd-d0128si-7100", "DecodeSolidState",
     "Interface=SATA|Rpm=N/A|SpecLine2=  RPM: N/A  Interface: SATA"},
    {"SSD-D0002SI-7100", "DecodeSolidState",
     "Interface=SATA|Rpm=N/A|SpecLine2=  RPM: N/A  Interface: SATA"},
    {"SSD-D0128SI-7200", "DecodeSolidState",
     "Interface=SATA|Rpm=N/A|SpecLine2=  RPM: N/A  Interface: SATA"},
    {"KINGSTON SV300S37A120G", "DecodeSolidState",
     "ProductName=KINGSTON|Interface=SATA III|Rpm=N/A|SpecLine1=KINGSTON"
     "|SpecLine2=  RPM: N/A  Interface: SATA III"},
    // Several vendor words: the later one in the list stands.
    {"OCZ ADATA mix", "DecodeSolidState",
     "ProductName=ADATA|Interface=SATA|Rpm=N/A|SpecLine1=ADATA|SpecLine2=  RPM: N/A  Interface: "
     "SATA"},
    {"Samsung SSD 840 PRO Series", "DecodeSolidState",
     "Interface=SATA|Rpm=N/A|SpecLine2=  RPM: N/A  Interface: SATA"},
    // "PNY" only with its blank; "SSD" anywhere still makes it a solid-state drive.
    {"PNY CS900 240GB SSD", "DecodeSolidState",
     "ProductName=PNY|Interface=SATA|Rpm=N/A|SpecLine1=PNY|SpecLine2=  RPM: N/A  Interface: SATA"},
    {"PNYCS900SSD", "DecodeSolidState",
     "Interface=SATA|Rpm=N/A|SpecLine2=  RPM: N/A  Interface: SATA"},
    // "S3" is looked for before "S2".
    {"G.SKILL FM-25S2S3", "DecodeSolidState",
     "ProductName=G.SKILL|Interface=SATA III|Rpm=N/A|SpecLine1=G.SKILL"
     "|SpecLine2=  RPM: N/A  Interface: SATA III"},
    {"Patriot Pyro S2", "DecodeSolidState",
     "ProductName=PATRIOT|Interface=SATA II|Rpm=N/A|SpecLine1=PATRIOT"
     "|SpecLine2=  RPM: N/A  Interface: SATA II"},
};
INSTANTIATE_TEST_SUITE_P(SolidState, MaxtorFujitsuSsd, ::testing::ValuesIn(kSolidState));

const DecodeCase kZeus[] = {
    {"Z16IZF2E-200UCU", "DecodeZeus",
     "ProductName=Zeus16 IOps|Interface=SAS (Serial Attached SCSI)|Case=2.5-Inch|Feature=4.0Gb"
     "|Rpm=N/A|Size=200|SizeUnit=GB|SpecLine1=Zeus16 IOps  Size: 200 GB"
     "|SpecLine2=  RPM: N/A  Interface: SAS (Serial Attached SCSI)  Case: 2.5-Inch"},
    {"Z4RSF1A", "DecodeZeus",
     "ProductName=Zeus4 Standard|Interface=SATA (Serial ATA)|Case=1.8-Inch|Feature=1.0Gb"
     "|Rpm=N/A|SpecLine1=Zeus4 Standard"
     "|SpecLine2=  RPM: N/A  Interface: SATA (Serial ATA)  Case: 1.8-Inch"},
    {"Z", "DecodeZeus",
     "ProductName=Zeus Standard|Rpm=N/A|SpecLine1=Zeus Standard|SpecLine2=  RPM: N/A"},
};
INSTANTIATE_TEST_SUITE_P(Zeus, MaxtorFujitsuSsd, ::testing::ValuesIn(kZeus));

}  // namespace
}  // namespace bw::test
