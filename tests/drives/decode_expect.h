#pragma once

// Expectations for decoded drive records, written compactly: "Field=value|Field=value". Every
// field not named must be empty, so a test also catches a decoder writing where it should not.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "drives/ModHDDetails.h"

namespace bw::test {

inline std::vector<std::pair<std::string, const std::string*>> RecordFields(const DriveSpec& s) {
    std::vector<std::pair<std::string, const std::string*>> out;
    for (const auto& [name, value] : DriveSpecFields(s)) out.emplace_back(name, value);
    return out;
}

struct DecodeCase {
    const char* model;
    const char* decoder;  // "" when no rule takes the model
    const char* fields;   // "Field=value|..."; unnamed fields must be empty
};

inline std::map<std::string, std::string> ParseFields(const std::string& text) {
    std::map<std::string, std::string> out;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('|', begin);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(begin, end - begin);
        std::size_t eq = item.find('=');
        EXPECT_NE(eq, std::string::npos) << "bad expectation: " << item;
        if (eq != std::string::npos) out[item.substr(0, eq)] = item.substr(eq + 1);
        begin = end + 1;
    }
    return out;
}

// Decodes `c.model` into drive slot 0 and compares decoder and all twelve fields.
inline void ExpectDecode(const DecodeCase& c) {
    SCOPED_TRACE(std::string("model \"") + c.model + "\"");
    std::string model = c.model;
    DecodeDriveModel(model, 0);
    EXPECT_EQ(LastDecoderName(), c.decoder);
    auto expected = ParseFields(c.fields);
    for (const auto& [name, value] : RecordFields(DriveSpecTable()[0])) {
        auto it = expected.find(name);
        std::string want = it == expected.end() ? "" : it->second;
        EXPECT_EQ(*value, want) << "field " << name;
        if (it != expected.end()) expected.erase(it);
    }
    for (const auto& [name, value] : expected) ADD_FAILURE() << "no field named " << name;
}

}  // namespace bw::test
