#include "support/cli.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <thread>

#include <nlohmann/json.hpp>

#include "support/fakes.h"

extern char** environ;

namespace bw::test {

std::filesystem::path cli_path() {
    return binary_dir() / "src/cli/brantwell-cli";
}

CliRun run_cli(const std::vector<std::string>& args, std::chrono::milliseconds limit,
               CliCost* cost) {
    return run_program(cli_path(), args, limit, cost);
}

std::string cli_letter_of(const std::filesystem::path& mount) {
    const CliRun r = run_cli({"drives", "--json"}, std::chrono::seconds(60));
    const auto j = nlohmann::json::parse(r.out, nullptr, false);
    if (j.is_discarded()) return {};
    for (const auto& v : j.value("volumes", nlohmann::json::array()))
        if (v["mount_point"] == mount.string()) return v["letter"].get<std::string>() + ":";
    return {};
}

CliRun run_program(const std::filesystem::path& exe, const std::vector<std::string>& args,
                   std::chrono::milliseconds limit, CliCost* cost) {
    TempDir outputs;
    std::vector<std::string> words{exe.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, (outputs / "out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, (outputs / "err").c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = -1;
    int status = 0;
    rusage usage{};
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawnp(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) return {-1, "", "cannot run " + exe.string()};
    pid_t done = 0;
    while (limit != limit.zero() && (done = ::wait4(pid, &status, WNOHANG, &usage)) == 0) {
        if (std::chrono::steady_clock::now() - start > limit) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (done < 0 || (done == 0 && ::wait4(pid, &status, 0, &usage) != pid))
        return {-1, "", "cannot run " + exe.string()};
    if (cost)
        *cost = {std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - start),
                 usage.ru_maxrss};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            read_file(outputs / "out"), read_file(outputs / "err")};
}

}  // namespace bw::test
