// `brantwell-cli decode MODEL [--json]`: the twelve fields by name and the decoder that took the
// model, as text and as JSON. Skips when the command-line program is not built.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "drives/ModHDDetails.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw::test {
namespace {

namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string out;
};

// Each argument single-quoted, so the shell passes any bytes through as they are.
Output RunCli(const std::vector<std::string>& args) {
    std::string command = (binary_dir() / "src/cli/brantwell-cli").string();
    for (const std::string& a : args) {
        command += " '";
        for (char c : a) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    Output r;
    r.status = run_shell(command, &r.out);
    return r;
}

class DecodeCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(binary_dir() / "src/cli/brantwell-cli"))
            GTEST_SKIP() << "brantwell-cli is not built";
    }
};

TEST_F(DecodeCli, TextNamesTheDecoderAndEveryField) {
    // Several words are one model text, joined by single blanks.
    Output r = RunCli({"decode", "WDC", "WD5000AAKS-00A7B2", "ATA", "Device"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Model:        \"WDC WD5000AAKS-00A7B2 ATA Device\"\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("Decoder:      DecodeWesternDigital\n"), std::string::npos);
    EXPECT_NE(r.out.find("Size:         \"5000\"\n"), std::string::npos);
    EXPECT_NE(r.out.find("Interface:    \"SATA 3 Gb/s 22-pin SATA\"\n"), std::string::npos);
    for (const auto& [name, value] : DriveSpecFields(DriveSpec{}))
        EXPECT_NE(r.out.find("\n" + std::string(name) + ":"), std::string::npos) << name;
}

TEST_F(DecodeCli, TextSaysWhenNoRuleTakesTheModel) {
    Output r = RunCli({"decode", "AMD-RAID Array"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Decoder:      none"), std::string::npos) << r.out;
}

TEST_F(DecodeCli, JsonCarriesTheRecordInOrder) {
    Output r = RunCli({"decode", "--json", "ST3500418AS"});
    ASSERT_EQ(r.status, 0);
    auto json = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(json["model"], "ST3500418AS");
    EXPECT_EQ(json["decoder"], "DecodeSeagateClassic");
    EXPECT_EQ(json["Cache"], "16 MG");
    EXPECT_EQ(json["SpecLine2"], "Cache: 16 MG  Interface: SATA  Case: 3.5 inch");
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    std::vector<std::string> expected{"model", "decoder"};
    for (const auto& [name, value] : DriveSpecFields(DriveSpec{})) expected.emplace_back(name);
    EXPECT_EQ(keys, expected);

    Output none = RunCli({"decode", "--json", "TOSHIBA DT01ACA100 ATA Device"});
    EXPECT_TRUE(nlohmann::json::parse(none.out)["decoder"].is_null());
}

TEST_F(DecodeCli, BytesThatAreNoTextStillGiveValidJson) {
    Output r = RunCli({"decode", "--json", "WD\xFF\xFE kingston"});
    ASSERT_EQ(r.status, 0);
    auto json = nlohmann::json::parse(r.out);  // throws on invalid UTF-8
    EXPECT_EQ(json["decoder"], "DecodeSolidState");
    EXPECT_EQ(json["ProductName"], "KINGSTON");
}

TEST_F(DecodeCli, MissingModelIsAUsageError) {
    EXPECT_NE(RunCli({"decode"}).status, 0);
}

}  // namespace
}  // namespace bw::test
