// The golden table: model texts with the decoder that takes each and all twelve fields, real drives
// and texts that pin one rule each (tests/golden/models.tsv). A mismatch shows the recorded row (-)
// and the decoded one (+); BW_UPDATE_GOLDEN=1 rewrites the table from the decoders' output. Here
// too what the table cannot show: records after other drives, and the tables' shape.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drives/ModHDDetails.h"
#include "drives/decoder_tables/WesternDigitalTables.h"
#include "support/fakes.h"
#include "support/golden.h"

namespace bw::test {
namespace {

const std::filesystem::path kGolden = golden_path("models.tsv");

bool IsRow(const std::string& line) {
    return !line.empty() && line[0] != '#';
}

std::vector<std::string> GoldenLines() {
    std::ifstream in(kGolden);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(GoldenModels, EveryRowDecodesAsRecorded) {
    std::vector<std::string> lines = GoldenLines();
    ASSERT_FALSE(lines.empty()) << "cannot read " << kGolden;
    std::string decoded_table;  // the table as decoded now; comments stay in place
    std::size_t models = 0;
    for (const std::string& line : lines) {
        if (!IsRow(line)) {
            decoded_table += line + "\n";
            continue;
        }
        const std::string name = line.substr(0, line.find('\t'));
        std::string model = name;
        DecodeDriveModel(model, 0);
        std::string decoded = name + "\t" + LastDecoderName();
        for (const auto& [field, value] : DriveSpecFields(DriveSpecTable()[0]))
            decoded += "\t" + *value;
        decoded_table += decoded + "\n";
        ++models;
    }
    EXPECT_GE(models, 350u);
    expect_golden("models.tsv", decoded_table);  // tabs separate the cells
}

// The table decodes each row right after the one above it, so a value left over from the drive
// before would be recorded as golden. Here every row is decoded after drives of each decoder that
// fills many fields, in the same slot and in another one, and must come out as when decoded alone.
TEST(GoldenModels, NoRowShowsTheDriveDecodedBefore) {
    const char* earlier[] = {"6B2000M",         "WD2500BEVS",       "HDS728080PLA380",
                             "Z16IZF2E-200UCU", "SSD-D0128SI-7100", "ST305004FPA1E2-RK",
                             "HD103SJ",         "MHV2080AH"};
    std::vector<std::string> later = {"Samsung SSD 840", "TOSHIBA DT01ACA100"};
    for (const std::string& line : GoldenLines())
        if (IsRow(line)) later.push_back(line.substr(0, line.find('\t')));
    for (const std::string& second : later) {
        std::string alone = second;
        DecodeDriveModel(alone, 1);
        const DriveSpec reference = DriveSpecTable()[1];
        const auto want = DriveSpecFields(reference);
        for (const char* first : earlier) {
            for (int slot : {1, 2}) {
                std::string a = first, b = second;
                DecodeDriveModel(a, slot);
                DecodeDriveModel(b, 1);
                auto got = DriveSpecFields(DriveSpecTable()[1]);
                for (std::size_t i = 0; i < got.size(); ++i)
                    EXPECT_EQ(*got[i].second, *want[i].second)
                        << first << " then " << second << ", slot " << slot << ": " << got[i].first;
            }
        }
    }
}

TEST(WesternDigitalTables, KnownModelTableKeepsEveryRow) {
    EXPECT_EQ(std::size(wd::kKnownModels), 173u);
    // Keys are unique: an exact-match table with a repeated key would hide its later row.
    for (std::size_t i = 0; i < std::size(wd::kKnownModels); ++i)
        for (std::size_t j = i + 1; j < std::size(wd::kKnownModels); ++j)
            EXPECT_NE(wd::kKnownModels[i].code, wd::kKnownModels[j].code);
}

}  // namespace
}  // namespace bw::test
