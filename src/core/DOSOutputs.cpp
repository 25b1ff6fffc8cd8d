#include "core/DOSOutputs.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/UniqueFd.h"
#include "platform/clock.h"
#include "platform/prompt.h"

extern char** environ;

namespace bw {

std::vector<std::string> DOSOutputs::split_command_line(std::string_view command) {
    std::vector<std::string> args;
    std::string current;
    bool in_arg = false;
    char quote = 0;
    for (size_t i = 0; i < command.size(); ++i) {
        char c = command[i];
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < command.size()) {
                current += command[++i];
            } else {
                current += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            in_arg = true;
        } else if (c == '\\' && i + 1 < command.size()) {
            current += command[++i];
            in_arg = true;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (in_arg) args.push_back(std::move(current));
            current.clear();
            in_arg = false;
        } else {
            current += c;
            in_arg = true;
        }
    }
    if (in_arg) args.push_back(std::move(current));
    return args;
}

std::string DOSOutputs::ExecuteCommand(std::string_view command) {
    if (!command.empty()) command_line_ = command;
    exit_status_ = -1;
    auto args = split_command_line(command_line_);
    if (args.empty()) {
        MsgBox(kCommandLineEmpty, PromptIcon::Critical);
        return "";
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        MsgBox(std::string(kCreatePipeFailed) + std::to_string(errno), PromptIcon::Critical);
        return "";
    }
    UniqueFd read_end(fds[0]), write_end(fds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        MsgBox(kCommandNotFound, PromptIcon::Critical);
        return "";
    }
    write_end.reset();  // only the child holds it now: the reads end when the child is done
    outputs_.clear();
    char buf[kChunkBytes];
    for (;;) {
        pollfd p{read_end.get(), POLLIN, 0};
        int ready = ::poll(&p, 1, 50);
        if (ready == 0) {
            clock().do_events();  // keep the windows alive while a long command runs
            continue;
        }
        if (ready < 0 && errno == EINTR) continue;
        ssize_t n = ::read(read_end.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        std::string_view chunk(buf, static_cast<size_t>(n));
        outputs_.append(chunk);
        if (ReceiveOutputs) ReceiveOutputs(chunk);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outputs_;
}

}  // namespace bw
