#include "support/cli.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/fakes.h"

extern char** environ;

namespace bw::test {

std::filesystem::path cli_path() {
    return binary_dir() / "src/cli/brantwell-cli";
}

CliRun run_cli(const std::vector<std::string>& args) {
    const std::filesystem::path exe = cli_path();
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
    const int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0 || ::waitpid(pid, &status, 0) != pid) return {-1, "", "cannot run " + exe.string()};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            read_file(outputs / "out"), read_file(outputs / "err")};
}

}  // namespace bw::test
