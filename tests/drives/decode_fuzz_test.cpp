// Seeded random and mutated model texts through every entry point of the decoders. Nothing may
// crash or read outside a text (the sanitizer build checks every read), every record must be the
// same whichever drive was decoded before, and the stores keep their shape.
// BW_DECODE_FUZZ_RUNS overrides the number of inputs (default one million).
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drives/ModHDDetails.h"
#include "support/fakes.h"

namespace bw::test {
namespace {

// Every key of the prefix rules, the words dropped or searched before them, and the solid-state
// vendor words.
const char* const kDispatchKeys[] = {
    "HDS",   "MAX",   "ST3", "ST9",  "STM",      "ST",  "MX",       "AA",   "AB",  "AC",
    "AD",    "AE",    "AF",  "AG",   "AH",       "AJ",  "AK",       "AL",   "AM",  "AN",
    "AR",    "AS",    "AU",  "AV",   "AW",       "AX",  "AY",       "BA",   "BB",  "BC",
    "BD",    "BE",    "BF",  "CE",   "DK",       "DS",  "HX",       "HY",   "HZ",  "HN",
    "HA",    "HE",    "HS",  "HD",   "HM",       "HU",  "SP",       "H",    "IC",  "MH",
    "MU",    "M",     "WD",  "6Y",   "6B",       "6L",  "6H",       "7B",   "7L",  "7H",
    "4R",    "2F",    "6E",  "5A",   "7Y",       "8E",  "8B",       "8C",   "8D",  "AT",
    "EN",    "EP",    "GM",  "KN",   "KW",       "KU",  "PI",       "PX",   "RR",  "TD",
    "TN",    "TY",    "VK",  "XC",   "Z",        "AMD", "HITACHI ", "WDC ", "WDX", "SSD-D",
    "SSD-C", "SSD-M", "SSD", "PNY ", "KINGSTON", "OCZ", "G.SKILL"};

std::vector<std::string> GoldenModels() {
    std::vector<std::string> models;
    std::ifstream in(source_dir() / "tests/golden/models.tsv");
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') models.push_back(line.substr(0, line.find('\t')));
    return models;
}

class Inputs {
  public:
    explicit Inputs(std::uint64_t seed) : rng_(seed), seeds_(GoldenModels()) {
        for (const char* key : kDispatchKeys) seeds_.emplace_back(key);
    }

    std::string next() {
        switch (pick(6)) {
            case 0:
                return random_bytes(short_length());
            case 1:
                return random_bytes(pick(501));  // up to 500 bytes, any byte
            case 2:
                return std::string(kDispatchKeys[pick(std::size(kDispatchKeys))]) +
                       model_chars(short_length());
            case 3:
                return seed().substr(0, pick(seed().size() + 1));  // a prefix of a real text
            default:
                return mutate(seed());
        }
    }

  private:
    std::size_t pick(std::size_t n) { return n == 0 ? 0 : rng_() % n; }
    std::size_t short_length() { return pick(24); }
    const std::string& seed() { return seeds_[pick(seeds_.size())]; }

    std::string random_bytes(std::size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(pick(256));
        return s;
    }
    // The characters model texts are made of, plus a few that are not.
    std::string model_chars(std::size_t n) {
        static constexpr std::string_view kChars =
            "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz -_./\xC3\xA9\t";
        std::string s(n, ' ');
        for (char& c : s) c = kChars[pick(kChars.size())];
        return s;
    }
    std::string mutate(std::string s) {
        for (std::size_t edits = 1 + pick(4); edits > 0; --edits) {
            std::size_t at = pick(s.size() + 1);
            switch (pick(5)) {
                case 0:
                    s.insert(at, model_chars(1 + pick(3)));
                    break;
                case 1:
                    if (at < s.size()) s.erase(at, 1 + pick(3));
                    break;
                case 2:
                    if (at < s.size()) s[at] = static_cast<char>(pick(256));
                    break;
                case 3:
                    s.resize(at);
                    break;
                default:
                    s += s.substr(0, pick(s.size() + 1));
                    break;
            }
        }
        return s;
    }

    std::mt19937_64 rng_;
    std::vector<std::string> seeds_;
};

std::size_t Runs() {
    const char* env = std::getenv("BW_DECODE_FUZZ_RUNS");
    return env ? std::strtoull(env, nullptr, 10) : 1'000'000;
}

void CheckDecode(const std::string& text, int drive, std::size_t run) {
    std::string model = text;
    DecodeDriveModel(model, drive);
    const std::string decoder = LastDecoderName();
    ASSERT_TRUE(decoder.empty() || decoder.rfind("Decode", 0) == 0) << decoder;
    if (drive < 0 || drive >= kDriveSlots) return;

    // The same text into another slot, after another drive, gives the same record.
    if (run % 16 == 0) {
        int other = (drive + 7) % kDriveSlots;
        std::string again = text, filler = "HDS728080PLA380";
        DecodeDriveModel(filler, other);
        DecodeDriveModel(again, other);
        auto a = DriveSpecFields(DriveSpecTable()[drive]);
        auto b = DriveSpecFields(DriveSpecTable()[other]);
        for (std::size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(*a[i].second, *b[i].second) << a[i].first << " of \"" << text << "\"";
    }
}

TEST(DecodeFuzz, FixedEdgeInputs) {
    std::vector<std::string> inputs = {"", std::string(500, 'W'), std::string(500, '\xFF'),
                                       "WD" + std::string(498, '0'), std::string(1, '\0')};
    for (int byte = 0; byte < 256; ++byte) inputs.emplace_back(1, static_cast<char>(byte));
    for (const char* key : kDispatchKeys) {
        std::string k = key;
        for (std::size_t n = 0; n <= k.size(); ++n) inputs.push_back(k.substr(0, n));
        inputs.push_back("HITACHI " + k);
        inputs.push_back(k + std::string(40, '9'));
    }
    std::size_t run = 0;
    for (const std::string& text : inputs) {
        CheckDecode(text, 0, run++);
        IsSsdVendorModel(text);
        MapDriveLetterSpecs(text, 0);
        SelectDriveSpecs(text);
    }
}

TEST(DecodeFuzz, MillionRandomAndMutatedModels) {
    Inputs inputs(0x5EEDu);
    std::mt19937 drives(7);
    const std::size_t runs = Runs();
    for (std::size_t run = 0; run < runs; ++run) {
        std::string text = inputs.next();
        int drive = static_cast<int>(drives() % 30) - 2;  // a few past either end of the table
        CheckDecode(text, drive, run);
        if (HasFatalFailure()) return;
        if (run % 64 == 0) {
            std::string letter = text.substr(0, 1);
            MapDriveLetterSpecs(letter, drive);
            SelectDriveSpecs(letter);
        }
    }
}

}  // namespace
}  // namespace bw::test
