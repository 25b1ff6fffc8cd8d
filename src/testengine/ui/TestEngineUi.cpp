// The start button's action and the windows it opens.
#include "core/AppState.h"
#include "core/ui/MainMenu.h"
#include "platform/prompt.h"
#include "results/ui/GraphUi.h"
#include "testengine/ProgramTestEnv.h"
#include "testengine/ui/TestForm.h"

namespace bw {

using namespace testengine;

namespace {

inline constexpr std::string_view kBasicTestMissing =
    "The basic test is not available in this version, and \"Basic Test ONLY\" is ticked: untick "
    "it to run the main test.";

}  // namespace

void register_testengine_ui(UiRegistry& registry) {
    registry.add_action(kCommand1, [&registry](MenuContext& ctx) {
        StartEnv env = program_start_env(ctx.state, ctx.steps);
        env.show_status = ctx.hooks.show_status;
        env.open_test_window = [&ctx](const TestParameters& p) {
            TestForm form(p, program_run_env(p), ctx.main_window);
            form.exec();
            return form.run_state();
        };
        env.open_basic_test = [&registry, &ctx] {
            if (const MenuAction* basic = registry.action(kMnuBasicTest))
                (*basic)(ctx);
            else
                MsgBox(kBasicTestMissing, PromptIcon::Exclamation);
        };
        env.show_overall = [&registry, &ctx] {
            if (!registry.open_window(kFrmOverall, ctx.main_window))
                MsgBox("The overall report window is not available in this version: the reports "
                       "of all drives are in Overall.txt in the program folder.",
                       PromptIcon::Information);
        };
        Command1_Click(ctx.state.options, env);
        if (ctx.hooks.show_state) ctx.hooks.show_state();
    });
}

}  // namespace bw
