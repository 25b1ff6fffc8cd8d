#include "standalone/ui/BasicTestUi.h"

#include "core/AppState.h"
#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "drives/DriveInventory.h"
#include "platform/prompt.h"
#include "standalone/BasicPlan.h"
#include "standalone/ui/FrmBasic.h"

namespace bw {

void RunBasicTest(MenuContext& ctx) {
    const std::string entry = ctx.state.options.selected_drive();
    const char letter = entry.empty() ? 0 : entry.front();
    const basic::BasicTarget target = basic::ResolveTarget(letter);
    const auto params = basic::PlanBasicTest(
        ctx.state.options, basic::MachinePlanFacts(letter, target, drive_inventory().ClusterList2));
    if (!params) return;
    const bool needs_folder =
        params->write || (params->read && params->read_source == basic::ReadSource::File);
    if (needs_folder && target.test_folder.empty()) {
        MsgBox(target.reason, PromptIcon::Exclamation, "Basic Test");
        return;
    }
    FrmBasic window(
        *params, basic::make_direct_drive(app().working_folder, target.test_folder, target.device),
        basic::steady_seconds(), entry, ctx.main_window);
    window.exec();
}

void register_basic_test_ui(UiRegistry& registry) {
    registry.add_action(kMnuBasicTest, [](MenuContext& ctx) { RunBasicTest(ctx); });
}

}  // namespace bw
