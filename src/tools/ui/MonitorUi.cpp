#include "tools/ui/MonitorUi.h"

#include <QComboBox>

#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "platform/prompt.h"
#include "tools/ui/frmLogicalDrive.h"

namespace bw {

void show_monitor(const UiRegistry& registry, MenuContext& ctx) {
    const MainOptions& o = ctx.state.options;
    // The basic test opens over the monitor, so the always-on-top monitor does not hide it, and
    // the monitor keeps ticking: it shows the basic test's reads and writes as they happen.
    frmLogicalDrive* shown = nullptr;
    auto basic_test = [&registry, &ctx, &shown] {
        const MenuAction* action = registry.action(kMnuBasicTest);
        if (!action) {
            MsgBox(kNoBasicTest, PromptIcon::Information);
            return;
        }
        // On the drive the monitor shows (the user is watching it), without moving the main
        // window's own selection.
        MainWindowState on_monitored = ctx.state;
        on_monitored.options.DriveListIndex = shown->Combo1()->currentIndex();
        MenuContext over_monitor{shown, on_monitored, ctx.steps, ctx.hooks};
        (*action)(over_monitor);
    };
    frmLogicalDrive window(o.DriveList, o.selected_drive(), basic_test, ctx.main_window);
    shown = &window;
    window.exec();
}

void register_monitor_ui(UiRegistry& registry) {
    // Both rest the main window's display while the monitor is shown: two readers collecting the
    // one shared query a few milliseconds apart would each get rates over those milliseconds.
    const auto open = [&registry](MenuContext& ctx) {
        if (ctx.hooks.pause_display) ctx.hooks.pause_display();
        show_monitor(registry, ctx);
        if (ctx.hooks.resume_display) ctx.hooks.resume_display();
    };
    registry.add_action(kMnuMonitor, open);
    registry.add_action(kCommand3, open);
}

}  // namespace bw
