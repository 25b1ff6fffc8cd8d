#pragma once

// The built brantwell-cli, run as a script runs it.

#include <filesystem>
#include <string>
#include <vector>

namespace bw::test {

std::filesystem::path cli_path();  // the brantwell-cli of this build

struct CliRun {
    int status = -1;  // exit status; 128 + signal when killed; -1 when it could not be started
    std::string out, err;
};

// Runs brantwell-cli with these arguments (no shell in between, so any bytes pass as they are),
// standard input from /dev/null and its two outputs caught in files, so neither can block it.
CliRun run_cli(const std::vector<std::string>& args);

}  // namespace bw::test
