#pragma once

#include "platform/prompt.h"

class QWidget;

namespace bw {

// Prompts as Qt dialogs, parented to the window that is active when they are shown.
class QtPrompt : public Prompt {
public:
    void message(std::string_view text, std::string_view title, PromptIcon icon) override;
    bool yes_no(std::string_view text, std::string_view title, PromptIcon icon) override;
    bool ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) override;
    std::optional<std::string> input(std::string_view text, std::string_view title,
                                     std::string_view default_value) override;
};

}  // namespace bw
