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

// Texts of five kinds: short or long random bytes, a dispatch key with model characters after
// it, a prefix of a golden or key text, and such a text with a few random edits.
class Inputs {
  public:
    Inputs() : seeds_(kDispatchKeys, std::end(kDispatchKeys)) {
        std::ifstream in(source_dir() / "tests/golden/models.tsv");
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#') seeds_.push_back(line.substr(0, line.find('\t')));
    }

    std::string next() {
        std::string s = seeds_[pick(seeds_.size())];
        const std::size_t kind = pick(6);
        if (kind == 0) return chars(pick(24), true);
        if (kind == 1) return chars(pick(501), true);
        if (kind == 2) return kDispatchKeys[pick(std::size(kDispatchKeys))] + chars(pick(24));
        if (kind == 3) return s.substr(0, pick(s.size() + 1));
        for (std::size_t edits = 1 + pick(4); edits > 0; --edits) {
            const std::size_t at = pick(s.size() + 1), edit = pick(5);
            if (edit == 0) s.insert(at, chars(1 + pick(3)));
            if (edit == 1 && at < s.size()) s.erase(at, 1 + pick(3));
            if (edit == 2 && at < s.size()) s[at] = static_cast<char>(pick(256));
            if (edit == 3) s.resize(at);
            if (edit == 4) s += s.substr(0, pick(s.size() + 1));
        }
        return s;
    }

  private:
    std::size_t pick(std::size_t n) { return n == 0 ? 0 : rng_() % n; }
    // Any bytes, or the characters model texts are made of plus a few that are not.
    std::string chars(std::size_t n, bool any_byte = false) {
        static constexpr std::string_view kChars =
            "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz -_./\xC3\xA9\t";
        std::string s(n, ' ');
        for (char& c : s) c = any_byte ? static_cast<char>(pick(256)) : kChars[pick(kChars.size())];
        return s;
    }

    std::mt19937_64 rng_{0x5EEDu};
    std::vector<std::string> seeds_;
};

void CheckDecode(const std::string& text, int drive, std::size_t run) {
    std::string model = text;
    DecodeDriveModel(model, drive);
    const std::string decoder = LastDecoderName();
    ASSERT_TRUE(decoder.empty() || decoder.rfind("Decode", 0) == 0) << decoder;
    if (drive < 0 || drive >= kDriveSlots || run % 16 != 0) return;

    // The same text into another slot, after another drive, gives the same record.
    const int other = (drive + 7) % kDriveSlots;
    std::string again = text, filler = "HDS728080PLA380";
    DecodeDriveModel(filler, other);
    DecodeDriveModel(again, other);
    auto a = DriveSpecFields(DriveSpecTable()[drive]);
    auto b = DriveSpecFields(DriveSpecTable()[other]);
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(*a[i].second, *b[i].second) << a[i].first << " of \"" << text << "\"";
}

// Fixed edge texts first (every byte alone, every key cut short, overlong texts), into drive 0
// and as letters; then the random ones into drives a few past either end of the table.
TEST(DecodeFuzz, EdgeThenMillionRandomAndMutatedModels) {
    std::vector<std::string> edges = {"", std::string(500, 'W'), std::string(500, '\xFF'),
                                      "WD" + std::string(498, '0')};
    for (int byte = 0; byte < 256; ++byte) edges.emplace_back(1, static_cast<char>(byte));
    for (const std::string k : kDispatchKeys) {
        for (std::size_t n = 0; n <= k.size(); ++n) edges.push_back(k.substr(0, n));
        edges.push_back("HITACHI " + k);
        edges.push_back(k + std::string(40, '9'));
    }
    Inputs inputs;
    std::mt19937 drives(7);
    const char* env = std::getenv("BW_DECODE_FUZZ_RUNS");
    const std::size_t runs = edges.size() + (env ? std::strtoull(env, nullptr, 10) : 1'000'000);
    for (std::size_t run = 0; run < runs; ++run) {
        const bool edge = run < edges.size();
        const std::string text = edge ? edges[run] : inputs.next();
        const int drive = edge ? 0 : static_cast<int>(drives() % 30) - 2;
        CheckDecode(text, drive, run);
        if (HasFatalFailure()) return;
        IsSsdVendorModel(text);
        if (edge || run % 64 == 0) {
            MapDriveLetterSpecs(edge ? text : text.substr(0, 1), drive);
            SelectDriveSpecs(edge ? text : text.substr(0, 1));
        }
    }
}

}  // namespace
}  // namespace bw::test
