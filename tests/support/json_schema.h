#pragma once

// Validation of brantwell-cli's JSON against the schema files in schema/cli (JSON Schema 2020-12),
// by python3-jsonschema: a complete, maintained validator, where one of our own would need tests
// of its own.

#include <string>

namespace bw::test {

struct SchemaCheck {
    bool available = true;  // false: no validator on this machine (`errors` says so)
    std::string errors;     // "" when the output validates
};

// Checks `output` against schema/cli/<verb>.schema.json: one document, or one per line.
SchemaCheck check_against_schema(const std::string& verb, const std::string& output,
                                 bool one_per_line = false);

}  // namespace bw::test
