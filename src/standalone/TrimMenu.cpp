#include "standalone/TrimMenu.h"

namespace bw {

std::string TrimQuestionFor(std::string_view entry) {
    if (entry.empty()) return {};
    for (const auto& q : kTrimQuestions) {
        bool holds = false;
        for (std::string_view w : q.words)
            if (!w.empty() && entry.find(w) != std::string_view::npos) holds = true;
        if (holds != q.when_missing) return std::string(1, entry.front()) + std::string(q.text);
    }
    return {};
}

bool ConfirmTrimTest(std::string_view entry, Prompt& prompt, bool warn) {
    const std::string question = TrimQuestionFor(entry);
    if (!question.empty() && !prompt.yes_no(question, kTrimTestTitle, PromptIcon::Question))
        return false;
    if (warn) prompt.message(kFlashWearWarning, kTrimTestTitle, PromptIcon::Critical);
    return true;
}

}  // namespace bw
