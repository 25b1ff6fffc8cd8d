#include "support/json_schema.h"

#include <fstream>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw::test {

SchemaCheck check_against_schema(const std::string& verb, const std::string& output,
                                 bool one_per_line) {
    TempDir dir;
    const auto file = dir / "output.json";
    std::ofstream(file, std::ios::binary) << output;
    const std::filesystem::path source(BW_SOURCE_DIR);
    // Debian's python, where the python3-jsonschema package installs.
    const CliRun run = run_program(
        "/usr/bin/python3", {(source / "tests/cli/validate_json.py").string(),
                             (source / "schema/cli" / (verb + ".schema.json")).string(),
                             file.string(), one_per_line ? "lines" : "whole"});
    if (run.status == 3) return {false, run.out};
    if (run.status == 0) return {};
    return {true, run.out + run.err + (run.out.empty() && run.err.empty() ? "validator failed" : "")};
}

}  // namespace bw::test
