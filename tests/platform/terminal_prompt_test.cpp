// The command-line prompt: how each question is answered in each mode, and that every answer is
// said with how it came, so an unattended log shows what was decided for the user.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/TerminalPrompt.h"

namespace bw {
namespace {

enum class Ask { YesNo, OkCancel };

struct Case {
    const char* name;
    AnswerMode mode;
    Ask ask;
    const char* typed;  // what the person types (Ask mode)
    bool answer;
    const char* said;  // a part of what is said on the output
};

constexpr Case kCases[] = {
    {"flag_yes", AnswerMode::Yes, Ask::YesNo, "", true, "[answered Yes: --yes]"},
    {"flag_ok", AnswerMode::Yes, Ask::OkCancel, "", true, "[answered OK: --yes]"},
    {"no_terminal_yes", AnswerMode::Defaults, Ask::YesNo, "n\n", true,
     "[answered Yes: the default, no terminal to ask]"},
    {"no_terminal_ok", AnswerMode::Defaults, Ask::OkCancel, "", true,
     "[answered OK: the default, no terminal to ask]"},
    // A question about changing the machine is never answered Yes unasked.
    {"refused_yes_no", AnswerMode::Refuse, Ask::YesNo, "y\n", false,
     "[answered No: give --yes to proceed]"},
    {"refused_ok_cancel", AnswerMode::Refuse, Ask::OkCancel, "", false,
     "[answered Cancel: give --yes to proceed]"},
    {"enter_takes_default", AnswerMode::Ask, Ask::YesNo, "\n", true, "[Yes/No, Enter: Yes]"},
    {"typed_no", AnswerMode::Ask, Ask::YesNo, "No\n", false, "Would you"},
    {"typed_n_spaces", AnswerMode::Ask, Ask::YesNo, "  n \n", false, "Would you"},
    {"typed_cancel", AnswerMode::Ask, Ask::OkCancel, "c\n", false, "[OK/Cancel, Enter: OK]"},
    {"typed_ok_upper", AnswerMode::Ask, Ask::OkCancel, "OK\n", true, "Would you"},
    {"asked_again", AnswerMode::Ask, Ask::YesNo, "maybe\ny\n", true, "Please answer Yes or No."},
    // No answer can come: the end of input is the window's close, the second button.
    {"end_of_input", AnswerMode::Ask, Ask::YesNo, "", false, "[answered No: end of input]"},
    {"end_of_input_cancel", AnswerMode::Ask, Ask::OkCancel, "", false,
     "[answered Cancel: end of input]"},
};

class TerminalPromptCase : public ::testing::TestWithParam<Case> {};

TEST_P(TerminalPromptCase, AnswersAndSaysHow) {
    const Case& c = GetParam();
    std::string typed = c.typed;
    std::FILE* in = typed.empty() ? nullptr : fmemopen(typed.data(), typed.size(), "r");
    if (!in) in = std::fopen("/dev/null", "r");  // nothing typed: an input that ends at once
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ASSERT_TRUE(in && out);
    TerminalPrompt prompt(c.mode, in, out);
    const bool answer = c.ask == Ask::YesNo
                            ? prompt.yes_no("Would you?", "Title", PromptIcon::Question)
                            : prompt.ok_cancel("Would you?", "Title", PromptIcon::Question);
    std::fclose(out);
    std::fclose(in);
    const std::string said(buffer, size);
    std::free(buffer);
    EXPECT_EQ(answer, c.answer);
    EXPECT_NE(said.find("Title: Would you?"), std::string::npos) << said;
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(Modes, TerminalPromptCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bw
