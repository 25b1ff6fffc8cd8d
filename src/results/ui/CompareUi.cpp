// The comparison windows' registration: frmCompare by name, for the test window, and the main
// window's "Compare My Test".
#include "core/AppState.h"
#include "core/MainMenuActions.h"
#include "core/ui/MainMenu.h"
#include "platform/prompt.h"
#include "results/CompareResults.h"
#include "results/MyTests.h"
#include "results/ui/frmCompare.h"
#include "results/ui/frmMyTest.h"

namespace bw {

void register_compare_ui(UiRegistry& registry) {
    registry.add_window("frmCompare", [](QWidget* parent) {
        results::CompareSources sources = results::compare_sources(app().program_folder);
        for (const auto& note : sources.notes) MsgBox(note, PromptIcon::Exclamation, "Compare");
        frmCompare w(std::move(sources.peak), std::move(sources.average), results::current_run(),
                     app().prefs_ini(), parent);
        w.exec();
    });
    registry.add_action(kMnuMyTest, [](MenuContext& ctx) {
        results::OwnTestFiles files = results::read_own_tests(app().program_folder);
        if (!files.any_file || files.tests.empty()) {
            std::string text(kNoDataToCompare);
            for (const auto& note : files.notes) text += "\n" + note;
            MsgBox(text);
            return;
        }
        frmMyTest w(std::move(files), ctx.main_window);
        w.exec();
    });
}

}  // namespace bw
