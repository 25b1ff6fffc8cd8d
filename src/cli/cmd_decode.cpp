// decode MODEL [--json]: what the drive model decoders make of a model text, field by field, and
// which decoder took it. The model may be given as one quoted argument or as several words.
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "drives/ModHDDetails.h"

namespace bw::cli {
namespace {

struct DecodeArgs {
    std::vector<std::string> words;
    bool json = false;
};

void Run(const DecodeArgs& args) {
    std::string model;
    for (const std::string& word : args.words) model += (model.empty() ? "" : " ") + word;
    const std::string given = model;
    DriveSpec spec;
    const std::string decoder(DecodeModelText(model, spec));

    if (args.json) {
        nlohmann::ordered_json out;
        out["model"] = given;
        out["decoder"] =
            decoder.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(decoder);
        for (const auto& [name, value] : DriveSpecFields(spec)) out[name] = *value;
        // Model texts may hold any bytes; invalid UTF-8 is replaced rather than refused.
        print_json(with_schema("decode", out));
        return;
    }
    std::printf("Model:        \"%s\"\n", given.c_str());
    if (decoder.empty())
        std::printf("Decoder:      none (no rule takes this model; the drive gets no record)\n");
    else
        std::printf("Decoder:      %s\n", decoder.c_str());
    // Values are quoted: several of them begin or end with blanks that matter.
    for (const auto& [name, value] : DriveSpecFields(spec))
        std::printf("%-13s \"%s\"\n", (std::string(name) + ":").c_str(), value->c_str());
}

const RegisterVerb kDecode([](CLI::App& app) {
    auto args = std::make_shared<DecodeArgs>();
    CLI::App* cmd =
        app.add_subcommand("decode", "Decode a drive model text into its specification fields");
    cmd->add_option("MODEL", args->words,
                    "Model text as the system reports it, e.g. \"WDC WD10EZEX-00BN5A0 ATA Device\"")
        ->required();
    cmd->add_flag("--json", args->json,
                  "Print the fields as one JSON document (schema brantwell.decode/1)");
    cmd->callback([args] { Run(*args); });
});

}  // namespace
}  // namespace bw::cli
