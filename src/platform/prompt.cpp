#include "platform/prompt.h"

#include <cstdio>
#include <string>

namespace bw {

namespace {

// Headless default: say what would have been asked and take the safe answer.
class StderrPrompt : public Prompt {
public:
    void message(std::string_view text, std::string_view title, PromptIcon) override {
        std::fprintf(stderr, "%.*s: %.*s\n", int(title.size()), title.data(), int(text.size()),
                     text.data());
    }
    bool yes_no(std::string_view text, std::string_view title, PromptIcon icon) override {
        message(std::string(text) + " [answered No]", title, icon);
        return false;
    }
    bool ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) override {
        message(std::string(text) + " [answered Cancel]", title, icon);
        return false;
    }
    std::optional<std::string> input(std::string_view text, std::string_view title,
                                     std::string_view) override {
        message(std::string(text) + " [no answer]", title, PromptIcon::Question);
        return std::nullopt;
    }
};

StderrPrompt g_stderr_prompt;
Prompt* g_prompt = &g_stderr_prompt;

}  // namespace

Prompt& prompt() { return *g_prompt; }
void set_prompt(Prompt* p) { g_prompt = p ? p : &g_stderr_prompt; }

}  // namespace bw
