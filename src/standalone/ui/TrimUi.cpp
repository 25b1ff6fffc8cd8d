#include "standalone/ui/TrimUi.h"

#include <cctype>

#include "core/AppState.h"
#include "core/Startup.h"
#include "core/ui/MainMenu.h"
#include "standalone/TrimMenu.h"
#include "standalone/TrimSteps.h"
#include "standalone/ui/frmData.h"
#include "standalone/ui/frmTRIM.h"

namespace bw {

namespace {

constexpr std::string_view kWhatIsTrim =
    "TRIM lets the system tell a solid-state drive which blocks a deleted file held, so the "
    "drive can erase them ahead of the next write instead of during it. On Linux a volume passes "
    "deletes on at once when it is mounted with the discard option, or in batches when fstrim "
    "runs (fstrim.timer). The TRIM test writes a file, deletes it with discard on and then off, "
    "and compares the write speeds; the discard option is set back to what it was afterwards.";

void open_trim_test(QWidget* parent, char letter) {
    const TrimTarget target = ResolveTrimTarget(letter);
    frmTRIM window(target, target.test_file.empty() ? nullptr : TrimVolumeFor(target),
                   app().prefs_ini(), app().working_folder, parent);
    window.exec();
}

}  // namespace

void register_trim_ui(UiRegistry& registry) {
    registry.add_action(kMnuTRIMTest, [](MenuContext& ctx) {
        const std::string entry = ctx.state.options.selected_drive();
        if (entry.empty()) {
            MsgBox("Select the drive to test first.", PromptIcon::Exclamation,
                   std::string(kTrimTestTitle));
            return;
        }
        if (!ConfirmTrimTest(entry, prompt())) return;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(entry[0])));
        open_trim_test(ctx.main_window, letter);
    });
    registry.add_action(kMnuTRIM, [](MenuContext&) {
        MsgBox(kWhatIsTrim, PromptIcon::Information, "What is TRIM");
    });
    registry.add_window(kFrmData, [](QWidget* parent) {
        frmData window("/", parent);
        window.exec();
    });
}

}  // namespace bw
