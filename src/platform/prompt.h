#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bw {

enum class PromptIcon { None, Information, Exclamation, Critical, Question };

// Everything that stops and asks a person goes through here: Qt dialogs in the desktop program,
// flags or a refusal in the command-line program, scripted answers in tests. Logic never blocks on
// a person any other way.
class Prompt {
public:
    virtual ~Prompt() = default;
    // A message box with an OK button.
    virtual void message(std::string_view text, std::string_view title, PromptIcon icon) = 0;
    // Yes/No question; true for Yes.
    virtual bool yes_no(std::string_view text, std::string_view title, PromptIcon icon) = 0;
    // OK/Cancel question; true for OK.
    virtual bool ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) = 0;
    // Input box; nullopt when cancelled.
    virtual std::optional<std::string> input(std::string_view text, std::string_view title,
                                             std::string_view default_value) = 0;
};

// Message boxes without an explicit title carry the program's name.
inline constexpr std::string_view kProgramTitle = "Brantwell";

// The program-wide prompt. Until one is installed, a prompt that prints to stderr and answers
// No / Cancel is used, so headless code never hangs waiting for a person.
Prompt& prompt();
void set_prompt(Prompt* p);  // nullptr restores the default

// Shorthands in the shape the program's message boxes are used.
inline void MsgBox(std::string_view text, PromptIcon icon = PromptIcon::None,
                   std::string_view title = kProgramTitle) {
    prompt().message(text, title, icon);
}

}  // namespace bw
