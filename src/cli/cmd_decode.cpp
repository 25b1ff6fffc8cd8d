// decode MODEL [--capacity BYTES] [--rpm N] [--json]: what the drive model decoders make of a model
// text, field by field, and which decoder took it; then the decoded record checked against a
// drive's capacity and rotation rate given here (1 = solid state), so that the check can be tried
// on any table of drives. The model may be given as one quoted argument or as several words.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/JsonOut.h"
#include "cli/Verbs.h"
#include "drives/DecodeCheck.h"
#include "drives/DriveReport.h"
#include "drives/ModHDDetails.h"

namespace bw::cli {
namespace {

struct DecodeArgs {
    std::vector<std::string> words;
    bool json = false;
    std::optional<std::uint64_t> capacity_bytes;
    std::optional<unsigned> rpm;
};

void Run(const DecodeArgs& args) {
    std::string model;
    for (const std::string& word : args.words) model += (model.empty() ? "" : " ") + word;
    const std::string given = model;
    DriveSpec spec;
    const std::string decoder(DecodeModelText(model, spec));
    const DriveOwnFacts drive = GivenDriveFacts(args.capacity_bytes, args.rpm);
    const std::vector<FieldCheck> checks = CheckDecodedSpec(spec, drive);

    if (args.json) {
        nlohmann::ordered_json out;
        out["model"] = given;
        out["decoder"] =
            decoder.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(decoder);
        for (const auto& [name, value] : DriveSpecFields(spec)) out[name] = *value;
        out["drive"] = OwnFactsJson(drive);
        out["check"] = DecodeCheckJson(checks);
        out["facts_line"] = DriveFactsLine(drive, checks);
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
    for (const FieldCheck& c : checks) {
        const std::string why = c.why.empty() ? "" : " (" + c.why + ")";
        std::printf("Check %-12s %s%s\n", (std::string(c.field) + ":").c_str(),
                    std::string(VerdictName(c.verdict)).c_str(), why.c_str());
    }
    std::printf("%s\n", DriveFactsLine(drive, checks).c_str());
}

const RegisterVerb kDecode([](CLI::App& app) {
    auto args = std::make_shared<DecodeArgs>();
    CLI::App* cmd =
        app.add_subcommand("decode", "Decode a drive model text into its specification fields");
    cmd->add_option("MODEL", args->words,
                    "Model text as the system reports it, e.g. \"WDC WD10EZEX-00BN5A0 ATA Device\"")
        ->required();
    cmd->add_option("--capacity", args->capacity_bytes,
                    "The drive's capacity in bytes, to check the decoded size against")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--rpm", args->rpm,
                    "The drive's rotation rate, 1 for solid state, to check the decoded speed")
        ->check([](const std::string& text) -> std::string {
            // The values IDENTIFY word 217 can hold: 1, or a speed from 1025 to 65534.
            const unsigned long v = std::strtoul(text.c_str(), nullptr, 10);
            return v == 1 || (v >= 1025 && v <= 65534)
                       ? std::string()
                       : "--rpm takes 1 (solid state) or a speed from 1025 to 65534";
        });
    cmd->add_flag("--json", args->json,
                  "Print the fields as one JSON document (schema brantwell.decode/1)");
    cmd->callback([args] { Run(*args); });
});

}  // namespace
}  // namespace bw::cli
