#include "tools/ui/TweaksUi.h"

#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "platform/Mounts.h"
#include "tools/ui/frmTweaks.h"

namespace bw {

namespace {

// The running system, with the kernel's own mount calls.
TweakMachine live_machine() {
    return TweakMachine{Sysroot("/"), &live_mount_runner(), {}, {}};
}

}  // namespace

void register_tweaks_ui(UiRegistry& registry) {
    registry.add_action(kMnuTuning, [](MenuContext& ctx) {
        frmTweaks window(ctx.state.options.DriveList, live_machine(), ctx.main_window);
        window.exec();
    });
}

}  // namespace bw
