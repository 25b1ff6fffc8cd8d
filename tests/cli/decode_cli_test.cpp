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

// Each argument single-quoted, so the shell passes any bytes through as they are: status, output.
std::pair<int, std::string> RunCli(const std::vector<std::string>& args) {
    std::string command = (binary_dir() / "src/cli/brantwell-cli").string();
    for (const std::string& a : args) {
        command += " '";
        for (char c : a) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    std::string out;
    const int status = run_shell(command, &out);
    return {status, out};
}

class DecodeCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(binary_dir() / "src/cli/brantwell-cli"))
            GTEST_SKIP() << "brantwell-cli is not built";
    }
};

TEST_F(DecodeCli, TextNamesTheDecoderAndEveryField) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> runs[] = {
        // Several words are one model text, joined by single blanks.
        {{"decode", "WDC", "WD5000AAKS-00A7B2", "ATA", "Device"},
         {"Model:        \"WDC WD5000AAKS-00A7B2 ATA Device\"\n",
          "Decoder:      DecodeWesternDigital\n", "Size:         \"5000\"\n",
          "Interface:    \"SATA 3 Gb/s 22-pin SATA\"\n"}},
        {{"decode", "AMD-RAID Array"}, {"Decoder:      none"}},
    };
    for (const auto& [args, says] : runs) {
        const auto [status, out] = RunCli(args);
        ASSERT_EQ(status, 0) << out;
        for (const std::string& s : says) EXPECT_NE(out.find(s), std::string::npos) << out;
        for (const auto& [name, value] : DriveSpecFields(DriveSpec{}))
            EXPECT_NE(out.find("\n" + std::string(name) + ":"), std::string::npos) << name;
    }
}

TEST_F(DecodeCli, JsonCarriesTheRecordInOrder) {
    const auto [status, out] = RunCli({"decode", "--json", "ST3500418AS"});
    ASSERT_EQ(status, 0);
    auto json = nlohmann::ordered_json::parse(out);
    EXPECT_EQ(json["model"], "ST3500418AS");
    EXPECT_EQ(json["decoder"], "DecodeSeagateClassic");
    EXPECT_EQ(json["Cache"], "16 MG");
    EXPECT_EQ(json["SpecLine2"], "Cache: 16 MG  Interface: SATA  Case: 3.5 inch");
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    std::vector<std::string> expected{"model", "decoder"};
    for (const auto& [name, value] : DriveSpecFields(DriveSpec{})) expected.emplace_back(name);
    EXPECT_EQ(keys, expected);

    const auto none = RunCli({"decode", "--json", "TOSHIBA DT01ACA100 ATA Device"}).second;
    EXPECT_TRUE(nlohmann::json::parse(none)["decoder"].is_null());

    // Bytes that are no text still give valid JSON (parse throws on invalid UTF-8).
    auto bytes = nlohmann::json::parse(RunCli({"decode", "--json", "WD\xFF\xFE kingston"}).second);
    EXPECT_EQ(bytes["decoder"], "DecodeSolidState");
    EXPECT_EQ(bytes["ProductName"], "KINGSTON");
}

TEST_F(DecodeCli, MissingModelIsAUsageError) {
    EXPECT_NE(RunCli({"decode"}).first, 0);
}

}  // namespace
}  // namespace bw::test
