#include "core/ui/CoreUi.h"

#include <QWidget>

#include "core/StartSteps.h"
#include "core/ui/MainMenu.h"
#include "platform/prompt.h"

namespace bw {

void register_core_ui(UiRegistry& registry) {
    registry.add_action(kMnnExit, [](MenuContext& ctx) { ctx.main_window->close(); });
    registry.add_action(kMnuAbout, [](MenuContext& ctx) {
        MsgBox(about_text(ctx.steps), PromptIcon::Information, "About");
    });
}

}  // namespace bw
