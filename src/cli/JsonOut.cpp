#include "cli/JsonOut.h"

#include <cstdio>

namespace bw::cli {

std::string schema_name(std::string_view verb, int version) {
    return "brantwell." + std::string(verb) + "/" + std::to_string(version);
}

nlohmann::ordered_json with_schema(std::string_view verb, const nlohmann::ordered_json& body,
                                   int version) {
    nlohmann::ordered_json doc{{"schema", schema_name(verb, version)}};
    for (const auto& [key, value] : body.items())
        if (key != "schema") doc[key] = value;
    return doc;
}

void print_json(const nlohmann::ordered_json& doc, bool one_line) {
    const std::string text = doc.dump(one_line ? -1 : 2, ' ', false,
                                      nlohmann::ordered_json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace bw::cli
