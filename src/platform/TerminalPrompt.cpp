#include "platform/TerminalPrompt.h"

#include <unistd.h>

#include <cctype>
#include <string>

#include <fmt/format.h>

namespace bw {

namespace {

// A line from `in` without its line end; nullopt at end of input.
std::optional<std::string> read_line(std::FILE* in) {
    std::string line;
    for (int c; (c = std::fgetc(in)) != EOF;) {
        if (c == '\n') return line;
        line += static_cast<char>(c);
    }
    if (line.empty()) return std::nullopt;
    return line;
}

std::string lower_trimmed(std::string s) {
    const auto first = s.find_first_not_of(" \t\r");
    const auto last = s.find_last_not_of(" \t\r");
    s = first == std::string::npos ? "" : s.substr(first, last - first + 1);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// An answer typed for a button: its name or its first letter, in any case.
bool names(const std::string& answer, std::string_view button) {
    const std::string b = lower_trimmed(std::string(button));
    return answer == b || (answer.size() == 1 && answer[0] == b[0]);
}

}  // namespace

AnswerMode answer_mode(bool yes_flag) {
    if (yes_flag) return AnswerMode::Yes;
    return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO) ? AnswerMode::Ask
                                                             : AnswerMode::Defaults;
}

AnswerMode answer_mode_for_changes(bool yes_flag) {
    const AnswerMode mode = answer_mode(yes_flag);
    return mode == AnswerMode::Defaults ? AnswerMode::Refuse : mode;
}

void TerminalPrompt::message(std::string_view text, std::string_view title, PromptIcon) {
    fmt::print(out_, "{}: {}\n", title, text);
    std::fflush(out_);
}

bool TerminalPrompt::choose(std::string_view text, std::string_view title, std::string_view first,
                            std::string_view second) {
    switch (mode_) {
        case AnswerMode::Yes:
            fmt::print(out_, "{}: {} [answered {}: --yes]\n", title, text, first);
            return true;
        case AnswerMode::Defaults:
            fmt::print(out_, "{}: {} [answered {}: the default, no terminal to ask]\n", title, text,
                       first);
            return true;
        case AnswerMode::Refuse:
            fmt::print(out_, "{}: {} [answered {}: give --yes to proceed]\n", title, text, second);
            return false;
        case AnswerMode::Ask:
            break;
    }
    // Asked again until the answer names a button; Enter takes the default, the end of input
    // (Ctrl-D) the other button, as closing the window would.
    for (;;) {
        fmt::print(out_, "{}: {} [{}/{}, Enter: {}] ", title, text, first, second, first);
        std::fflush(out_);
        const auto line = read_line(in_);
        if (!line) {
            fmt::print(out_, "\n[answered {}: end of input]\n", second);
            return false;
        }
        const std::string answer = lower_trimmed(*line);
        if (answer.empty() || names(answer, first)) return true;
        if (names(answer, second)) return false;
        fmt::print(out_, "Please answer {} or {}.\n", first, second);
    }
}

bool TerminalPrompt::yes_no(std::string_view text, std::string_view title, PromptIcon) {
    return choose(text, title, "Yes", "No");
}

bool TerminalPrompt::ok_cancel(std::string_view text, std::string_view title, PromptIcon) {
    return choose(text, title, "OK", "Cancel");
}

std::optional<std::string> TerminalPrompt::input(std::string_view text, std::string_view title,
                                                 std::string_view default_value) {
    if (mode_ == AnswerMode::Refuse) {
        fmt::print(out_, "{}: {} [not answered: give --yes to proceed]\n", title, text);
        return std::nullopt;
    }
    if (mode_ != AnswerMode::Ask) {
        fmt::print(out_, "{}: {} [answered \"{}\": the default]\n", title, text, default_value);
        return std::string(default_value);
    }
    fmt::print(out_, "{}: {} [Enter: \"{}\"] ", title, text, default_value);
    std::fflush(out_);
    const auto line = read_line(in_);
    if (!line) return std::nullopt;
    return line->empty() ? std::string(default_value) : *line;
}

}  // namespace bw
