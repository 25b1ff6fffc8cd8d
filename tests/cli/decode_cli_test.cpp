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
    for (const char* key : {"drive", "check", "facts_line"}) expected.emplace_back(key);
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

// The check of a model that is not in this machine, against the capacity and speed given.
TEST(DecodeCli, CapacityAndRpmCheckTheDecodedRecord) {
    struct Run {
        std::vector<std::string> args;
        std::vector<std::string> says;
    };
    const Run runs[] = {
        {{"decode", "WDC WD5000AAKS-00A7B0", "--capacity", "500107862016", "--rpm", "7200"},
         {"Check size:        disagrees (900 % off)\n", "Check rpm:         agrees\n",
          "The drive: 500 GB, 7200 rpm. Decoded size 5000 GB does not match the drive (500 GB).\n"}},
        {{"decode", "ST31000528AS", "--capacity", "1000204886016"},
         {"Decoded size 100 GB does not match the drive (1 TB)", "Check rpm:         cannot tell"}},
        {{"decode", "ST3000DM001", "--capacity", "3000592982016"},
         {"Check size:        disagrees (not a number)",
          "Decoded size 000D GB does not match the drive (3 TB)"}},
        {{"decode", "WD10EZEX", "--capacity", "1000204886016"}, {"Check size:        agrees"}},
        // Nothing given: every field says it cannot tell, and why.
        {{"decode", "ST3500418AS"},
         {"Check size:        cannot tell (the drive's capacity is unknown)", "The drive: nothing known."}},
    };
    for (const auto& run : runs) {
        const auto [status, out, err] = run_cli(run.args);
        ASSERT_EQ(status, 0) << err;
        for (const auto& s : run.says) EXPECT_NE(out.find(s), std::string::npos) << s << "\n" << out;
    }
    const auto json = nlohmann::json::parse(
        run_cli({"decode", "--json", "Samsung SSD 850 EVO 500GB", "--capacity", "500107862016",
                 "--rpm", "1"})
            .out);
    EXPECT_EQ(json["drive"]["capacity_bytes"], 500107862016ULL);
    EXPECT_EQ(json["drive"]["solid_state"], true);
    EXPECT_TRUE(json["drive"]["rpm"].is_null());
    ASSERT_EQ(json["check"].size(), 3u);
    EXPECT_EQ(json["check"][2]["field"], "solid state");
    EXPECT_EQ(json["check"][2]["verdict"], "agrees");
    // A speed word 217 cannot hold and a capacity of no bytes are usage errors.
    for (const auto& bad : {std::vector<std::string>{"decode", "X", "--rpm", "500"},
                            std::vector<std::string>{"decode", "X", "--capacity", "0"},
                            std::vector<std::string>{"decode", "X", "--capacity", "lots"}})
        EXPECT_NE(run_cli(bad).status, 0) << bad[2] << " " << bad[3];
}

}  // namespace
}  // namespace bw::test
