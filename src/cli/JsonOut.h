#pragma once

// The one shape of every verb's --json output: a JSON document on standard output whose first
// field `schema` names the verb and the version of its fields ("brantwell.drives/1"), so a script
// can refuse a version it does not know. Units are in the field names (bytes_per_s, ms, percent,
// bytes, seconds). Messages never go to standard output while JSON does. The fields of each verb
// are described by schema/cli/<verb>.schema.json.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace bw::cli {

// "brantwell.<verb>/<version>". A verb raises its own version when it renames or removes a field
// or changes what one means (adding a field does not), and updates its schema file with it.
std::string schema_name(std::string_view verb, int version = 1);

// `body` with `schema` put first.
nlohmann::ordered_json with_schema(std::string_view verb, const nlohmann::ordered_json& body,
                                   int version = 1);

// Prints `doc` and a newline on standard output: indented, or on one line for the verbs that
// print one document per sample. Texts from the machine may hold any bytes (model names, labels):
// invalid UTF-8 is replaced rather than ending the program.
void print_json(const nlohmann::ordered_json& doc, bool one_line = false);

}  // namespace bw::cli
