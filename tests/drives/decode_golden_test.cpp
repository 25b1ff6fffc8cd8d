// The golden table: real model texts (bare and as the system reports them) with the decoder that
// takes each and all twelve fields. A mismatch lists every differing field.
// BW_UPDATE_GOLDEN=1 rewrites the table from the decoders' output (review the diff before use).
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "decode_expect.h"
#include "support/fakes.h"

namespace bw::test {
namespace {

std::filesystem::path GoldenPath() {
    return source_dir() / "tests/golden/models.tsv";
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t begin = 0;
    while (true) {
        std::size_t tab = line.find('\t', begin);
        cells.push_back(
            line.substr(begin, tab == std::string::npos ? std::string::npos : tab - begin));
        if (tab == std::string::npos) return cells;
        begin = tab + 1;
    }
}

std::string RowOf(const std::string& model, const std::string& decoder, const DriveSpec& spec) {
    std::string row = model + "\t" + decoder;
    for (const auto& [name, value] : RecordFields(spec)) row += "\t" + *value;
    return row;
}

TEST(GoldenModels, EveryRowDecodesAsRecorded) {
    std::ifstream in(GoldenPath());
    ASSERT_TRUE(in) << "cannot read " << GoldenPath();
    std::vector<std::string> lines_out;  // comments kept in place, rows as decoded now
    std::string line, diff;
    std::size_t models = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            lines_out.push_back(line);
            continue;
        }
        std::vector<std::string> cells = SplitTabs(line);
        ASSERT_EQ(cells.size(), 14u) << "golden row needs 14 tab-separated cells: " << line;
        ++models;
        std::string model = cells[0];
        DecodeDriveModel(model, 0);
        const DriveSpec& spec = DriveSpecTable()[0];
        lines_out.push_back(RowOf(cells[0], LastDecoderName(), spec));
        if (LastDecoderName() != cells[1])
            diff += cells[0] + ": decoder \"" + cells[1] + "\" -> \"" + LastDecoderName() + "\"\n";
        auto fields = RecordFields(spec);
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (*fields[i].second != cells[i + 2])
                diff += cells[0] + ": " + fields[i].first + " \"" + cells[i + 2] + "\" -> \"" +
                        *fields[i].second + "\"\n";
    }
    EXPECT_GE(models, 150u);
    if (std::getenv("BW_UPDATE_GOLDEN")) {
        std::ofstream out(GoldenPath(), std::ios::trunc);
        for (const std::string& l : lines_out) out << l << "\n";
        GTEST_SKIP() << "golden table rewritten: " << GoldenPath();
    }
    EXPECT_TRUE(diff.empty()) << "golden mismatches (expected -> decoded):\n" << diff;
}

}  // namespace
}  // namespace bw::test
