#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// Runs a command and captures what it prints (standard output and error through one pipe), handing
// it out in chunks of at most 256 bytes, in order, as they arrive.
class DOSOutputs {
public:
    inline static constexpr size_t kChunkBytes = 256;

    void set_CommandLine(std::string_view command) { command_line_ = command; }
    const std::string& CommandLine() const { return command_line_; }
    const std::string& Outputs() const { return outputs_; }
    // Exit status of the last command (-1 when it did not run or was ended by a signal).
    int ExitStatus() const { return exit_status_; }

    // Runs `command` (or CommandLine when empty) and returns everything it printed. Failures are
    // told by message box and return "".
    std::string ExecuteCommand(std::string_view command = {});

    // Raised once per chunk read.
    std::function<void(std::string_view chunk)> ReceiveOutputs;

    // Splits a command line into arguments: blanks separate, double or single quotes group,
    // a backslash escapes the next character outside single quotes.
    static std::vector<std::string> split_command_line(std::string_view command);

private:
    std::string command_line_;
    std::string outputs_;
    int exit_status_ = -1;
};

inline constexpr std::string_view kCommandLineEmpty = "Command Line empty";
inline constexpr std::string_view kCreatePipeFailed = "CreatePipe failed. Error: ";
inline constexpr std::string_view kCommandNotFound = "File or command not found";

}  // namespace bw
