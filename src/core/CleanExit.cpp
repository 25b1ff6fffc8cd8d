// Clean-exit tracking and the first-start disclaimer.
//
// The clean-exit flag lives in the preferences file: the start checks and resets it there, and a
// clean exit sets it there. The working file is in a temporary folder that a reboot may clear, so
// it could not carry the flag across one; the exit also sets it in the working file, whose empty
// flag is how the splash recognises a new working file.
#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/Startup.h"
#include "platform/prompt.h"

namespace bw {

void clean_exit_check_at_start() {
    const auto prefs = app().prefs_ini();
    if (ReadINI(prefs, keys::kSettings, keys::kShutdown) == "0") {
        long long bad = ValInt(ReadINI(prefs, keys::kSettings, keys::kBadShutdown)) + 1;
        WriteINI(prefs, keys::kSettings, keys::kBadShutdown, bad);
        if (bad > 2) {
            MsgBox(kImproperShutdown);
            WriteINI(prefs, keys::kSettings, keys::kBadShutdown, "0");
        }
    }
    WriteINI(prefs, keys::kSettings, keys::kShutdown, "0");
}

void clean_exit_record_at_exit() {
    const auto prefs = app().prefs_ini();
    WriteINI(prefs, keys::kSettings, keys::kShutdown, "1");
    WriteINI(app().working_ini(), keys::kSettings, keys::kShutdown, "1");
    long long good = ValInt(ReadINI(prefs, keys::kSettings, keys::kGoodShutdown)) + 1;
    WriteINI(prefs, keys::kSettings, keys::kGoodShutdown, good);
    if (good > 5) WriteINI(prefs, keys::kSettings, keys::kBadShutdown, "0");
}

void show_disclaimer() {
    const auto prefs = app().prefs_ini();
    if (ReadINI(prefs, keys::kSettings, keys::kDisclaimer) == "1") return;
    MsgBox(std::string("Brantwell will put your Hard Drives through the most exhausting test. ") +
           "Because of this Brantwell cannot be responsible for loss of data " +
           "or HD Damage. While the risk of this in almost non-existent, it must " +
           "be mentioned for Legal Purposes. Use of program shows acceptance.");
    WriteINI(prefs, keys::kSettings, keys::kDisclaimer, "1");
    MsgBox(std::string("Brantwell will Start a few utilities needed for it to run correctly. ") +
           "If you have an Anti-virus or Windows UAC set medium or higher, it " +
           "may ask you if you want to allow these to run, please click OK, " +
           "the programs are named LOADWorker ....");
}

}  // namespace bw
