#pragma once

// The built brantwell-cli, run as a script runs it.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace bw::test {

std::filesystem::path cli_path();  // the brantwell-cli of this build

struct CliRun {
    int status = -1;  // exit status; 128 + signal when killed; -1 when it could not be started
    std::string out, err;
};

// What a run cost, for tests that bound it.
struct CliCost {
    std::chrono::milliseconds took{0};
    long max_rss_kb = 0;  // the child's peak memory
};

// Runs brantwell-cli with these arguments (no shell in between, so any bytes pass as they are),
// standard input from /dev/null and its two outputs caught in files, so neither can block it.
// With a limit, a run still going then is killed (status 128 + SIGKILL) instead of hanging the test.
CliRun run_cli(const std::vector<std::string>& args,
               std::chrono::milliseconds limit = std::chrono::milliseconds::zero(),
               CliCost* cost = nullptr);
// The letter ("D:") that `brantwell-cli drives` gives the volume mounted at `mount`; "" when none.
std::string cli_letter_of(const std::filesystem::path& mount);

// The same for another program: a path, or a name looked up in PATH.
CliRun run_program(const std::filesystem::path& exe, const std::vector<std::string>& args,
                   std::chrono::milliseconds limit = std::chrono::milliseconds::zero(),
                   CliCost* cost = nullptr);

}  // namespace bw::test
