// `brantwell-cli decode MODEL [--json]`: the twelve fields by name and the decoder that took the
// model, as text and as JSON.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "drives/ModHDDetails.h"
#include "support/cli.h"

namespace bw::test {
namespace {

TEST(DecodeCli, TextNamesTheDecoderAndEveryField) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> runs[] = {
        // Several words are one model text, joined by single blanks.
        {{"decode", "WDC", "WD5000AAKS-00A7B2", "ATA", "Device"},
         {"Model:        \"WDC WD5000AAKS-00A7B2 ATA Device\"\n",
          "Decoder:      DecodeWesternDigital\n", "Size:         \"5000\"\n",
          "Interface:    \"SATA 3 Gb/s 22-pin SATA\"\n"}},
        {{"decode", "AMD-RAID Array"}, {"Decoder:      none"}},
    };
    for (const auto& [args, says] : runs) {
        const auto [status, out, err] = run_cli(args);
        ASSERT_EQ(status, 0) << err;
        for (const std::string& s : says) EXPECT_NE(out.find(s), std::string::npos) << out;
        for (const auto& [name, value] : DriveSpecFields(DriveSpec{}))
            EXPECT_NE(out.find("\n" + std::string(name) + ":"), std::string::npos) << name;
    }
}

TEST(DecodeCli, JsonCarriesTheRecordInOrder) {
    const auto [status, out, err] = run_cli({"decode", "--json", "ST3500418AS"});
    ASSERT_EQ(status, 0) << err;
    auto json = nlohmann::ordered_json::parse(out);
    EXPECT_EQ(json["model"], "ST3500418AS");
    EXPECT_EQ(json["decoder"], "DecodeSeagateClassic");
    EXPECT_EQ(json["Cache"], "16 MG");
    EXPECT_EQ(json["SpecLine2"], "Cache: 16 MG  Interface: SATA  Case: 3.5 inch");
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    std::vector<std::string> expected{"schema", "model", "decoder"};
    for (const auto& [name, value] : DriveSpecFields(DriveSpec{})) expected.emplace_back(name);
    EXPECT_EQ(keys, expected);

    const auto none = run_cli({"decode", "--json", "TOSHIBA DT01ACA100 ATA Device"}).out;
    EXPECT_TRUE(nlohmann::json::parse(none)["decoder"].is_null());

    // Bytes that are no text still give valid JSON (parse throws on invalid UTF-8).
    auto bytes = nlohmann::json::parse(run_cli({"decode", "--json", "WD\xFF\xFE kingston"}).out);
    EXPECT_EQ(bytes["decoder"], "DecodeSolidState");
    EXPECT_EQ(bytes["ProductName"], "KINGSTON");
}

TEST(DecodeCli, MissingModelIsAUsageError) {
    EXPECT_NE(run_cli({"decode"}).status, 0);
}

}  // namespace
}  // namespace bw::test
