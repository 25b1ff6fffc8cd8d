// The report's "Drive Specifications:" block: after the decoded lines of the tested disk's slot,
// the disk's own facts, with each disagreement named.
#include <gtest/gtest.h>

#include "drives/ModHDDetails.h"
#include "support/fakes.h"
#include "testengine/ReportFacts.h"

namespace bw::testengine {
namespace {

TEST(ReportDriveFacts, TheFactsLineFollowsTheDecodedLinesAndNamesWhatDisagrees) {
    // sata-desktop: D: is sdb1 on the 2 TB, 5400 rpm disk of slot 1.
    const SystemQuery query(Sysroot(test::fixture("sysroots/sata-desktop")));
    const DriveSpec saved = DriveSpecTable()[1];
    DriveSpecTable()[1].Size = "20";
    DriveSpecTable()[1].SizeUnit = "TB";
    DriveSpecTable()[1].Rpm = "7200";
    CurrentDriveSpecs() = {"Western Digital 20 TB", "RPM: 7200", "7200", "", "", ""};
    TestParameters p;
    p.drive = "D:";
    p.device = "/dev/sdb1";
    p.drive_entry = "D:  2.00TB HDD [PD 1 (Partition)]  WDC WD20EZRX-00D8PB0 ATA Device";
    const ReportFacts f = gather_report_facts(p, query, {});
    DriveSpecTable()[1] = saved;
    CurrentDriveSpecs() = {};
    ASSERT_EQ(f.spec_lines.size(), 3u);
    EXPECT_EQ(f.spec_lines[0], "Western Digital 20 TB");  // the decoded lines stay as they were
    EXPECT_EQ(f.spec_lines[1], "RPM: 7200");
    const std::string& line = f.spec_lines[2];
    EXPECT_EQ(line.rfind("The drive: 2 TB, 5400 rpm, firmware 01.01A01", 0), 0u) << line;
    EXPECT_NE(line.find("Decoded size 20 TB does not match the drive (2 TB)."), std::string::npos);
    EXPECT_NE(line.find("Decoded RPM 7200 does not match the drive (5400 rpm)."),
              std::string::npos);
    // A device that names no disk adds no facts line.
    p.device = "../../etc/passwd";
    EXPECT_EQ(gather_report_facts(p, query, {}).spec_lines.size(), 0u);
}

}  // namespace
}  // namespace bw::testengine
