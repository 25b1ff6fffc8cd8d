#include <filesystem>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/Startup.h"
#include "core/modGeneral.h"
#include "platform/prompt.h"

namespace bw {

void FrmMainUnload(const StartSteps& steps, MainWindowState& state) {
    AppState& a = app();
    const MainOptions& o = state.options;
    StepContext ctx{state};
    const auto work = a.working_ini();
    WriteINI(work, keys::kSettings, keys::kRunStatus, "2");
    steps.run(StepId::CloseCounterQuery, ctx);
    WriteINI(work, keys::kSettings, keys::kLastDrive, std::string_view(o.selected_drive()));
    save_options(o);
    WriteINI(work, keys::kSettings, keys::kOpen, "0");
    StopTesters();
    clean_exit_record_at_exit();

    const auto peak = a.program_folder / "PeakResults.Dat";
    if (std::filesystem::exists(peak)) {
        MsgBox("If you would like to participate in Global Results and help the Brantwell "
               "Cummunity, email: \n" +
               peak.string() + "\n" + (a.program_folder / "AverageResults.Dat").string() + "\n" +
               std::string(kResultsMailbox) + "   Subject: Brantwell Results");
    }
    if (a.pass_counter > 4) steps.run(StepId::Starter, ctx);
}

}  // namespace bw
