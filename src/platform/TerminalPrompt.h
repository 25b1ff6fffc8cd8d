#pragma once

// The command-line program's prompt: the questions a window would ask are answered by a flag,
// asked on the terminal, or, when there is no terminal to ask, given the answer the window's
// default button gives (Yes, OK). Every answer is said on standard error with how it came, so a
// log of an unattended run shows what was decided for the user.

#include <cstdio>

#include "platform/prompt.h"

namespace bw {

enum class AnswerMode {
    Yes,       // a flag (--yes) answered every question Yes / OK
    Ask,       // a person at the terminal answers
    Defaults,  // no terminal: the default button's answer
    Refuse,    // no terminal, and the question is about changing the machine: the second button
};

// Ask when both standard input and standard error are terminals (the question must be seen and
// answered), else the defaults; --yes wins over both.
AnswerMode answer_mode(bool yes_flag);
// The same for verbs that write to a volume or unmount it: unasked, such a question is answered
// No, never by default.
AnswerMode answer_mode_for_changes(bool yes_flag);

class TerminalPrompt : public Prompt {
  public:
    // `in` is read for answers in Ask mode; everything is said on `out`.
    explicit TerminalPrompt(AnswerMode mode, std::FILE* in = stdin, std::FILE* out = stderr)
        : mode_(mode), in_(in), out_(out) {}

    void message(std::string_view text, std::string_view title, PromptIcon icon) override;
    bool yes_no(std::string_view text, std::string_view title, PromptIcon icon) override;
    bool ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) override;
    std::optional<std::string> input(std::string_view text, std::string_view title,
                                     std::string_view default_value) override;

  private:
    // The question with its buttons; true for the first (default) button.
    bool choose(std::string_view text, std::string_view title, std::string_view first,
                std::string_view second);

    AnswerMode mode_;
    std::FILE* in_;
    std::FILE* out_;
};

}  // namespace bw
