#include "core/ui/CoreUi.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

#include "core/AppState.h"
#include "core/MainMenuActions.h"
#include "core/StartSteps.h"
#include "core/Startup.h"
#include "core/TrimAdvice.h"
#include "core/ui/MainMenu.h"
#include "core/ui/frmPref.h"
#include "platform/SystemQuery.h"
#include "platform/prompt.h"

namespace bw {

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

std::vector<SataController> sata_controllers() {
    std::vector<SataController> out;
    for (const auto& c : system_query().ide_controllers())
        if (c.description.find("ATA") != std::string::npos) out.push_back({c.device_id, c.name});
    return out;
}

}  // namespace

void register_core_ui(UiRegistry& registry) {
    registry.add_action(kMnnExit, [](MenuContext& ctx) { ctx.main_window->close(); });
    registry.add_action(kMnuAbout, [](MenuContext& ctx) {
        MsgBox(about_text(ctx.steps), PromptIcon::Information, "About");
    });
    registry.add_action(kMnuPref, [](MenuContext& ctx) {
        frmPref w(app().prefs_ini(), ctx.main_window);
        w.exec();
        ctx.state.options.apply_always_ignore(app().always_ignore);
        ctx.hooks.show_state();
    });
    registry.add_action(kMnuWeb, [](MenuContext&) {
        if (!QDesktopServices::openUrl(QUrl(q(kWebsite))))
            MsgBox("No web browser could be started. The Brantwell website is " +
                       std::string(kWebsite),
                   PromptIcon::Exclamation, "Website");
    });
    registry.add_action(kMnuAHCI, [](MenuContext&) {
        MsgBox(ahci_report(sata_controllers()), PromptIcon::Information, "AHCI Mode");
    });
}

}  // namespace bw
