#include "core/DOSOutputs.h"

#include "platform/Processes.h"
#include "platform/clock.h"
#include "platform/prompt.h"

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
    const auto args = split_command_line(command_line_);
    if (args.empty()) {
        MsgBox(kCommandLineEmpty, PromptIcon::Critical);
        return "";
    }
    // The last command's output stays until this one has started and prints.
    bool cleared = false;
    const auto clear_once = [&] {
        if (!cleared) outputs_.clear();
        cleared = true;
    };
    const proc::CapturedRun run = proc::run_captured(
        args, kChunkBytes,
        [&](std::string_view chunk) {
            clear_once();
            outputs_.append(chunk);
            if (ReceiveOutputs) ReceiveOutputs(chunk);
        },
        [] { clock().do_events(); });  // keep the windows alive while a long command runs
    switch (run.start) {
        case proc::CapturedRun::Start::PipeFailed:
            MsgBox(std::string(kCreatePipeFailed) + std::to_string(run.error),
                   PromptIcon::Critical);
            return "";
        case proc::CapturedRun::Start::NotFound:
            MsgBox(kCommandNotFound, PromptIcon::Critical);
            return "";
        case proc::CapturedRun::Start::Ran:
            break;
    }
    clear_once();
    exit_status_ = run.exit_status;
    return outputs_;
}

}  // namespace bw
