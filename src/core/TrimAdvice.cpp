// Start-up advice for a solid-state drive: TRIM switched off, AHCI not enabled.
//
// Linux always supports TRIM, so the advice for systems without it never applies; whether TRIM is
// off is the "disabledeletenotify" value, which the TRIM subsystem serves from the volume's
// discard setting.
#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/Startup.h"
#include "core/mdlRegistry.h"
#include "platform/prompt.h"

namespace bw {

namespace {

constexpr std::string_view kFileSystemKey = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";

const std::string kAhciAdvice =
    std::string("You have a Solid State Drive (SSD) but the Advanced Host Controller Interface "
                "(AHCI) is not enabled. ") +
    "This is required for TRIM to work correctly and to utilize the benefits of an SSD. The AHCI "
    "is " +
    "enabled in the BIOS and is supposed to be enabled BEFORE you install windows. It is possible "
    "to " +
    "enable it with windows installed, but does not always work. Got to About for instructions. ";

const std::string kTrimQuestion =
    std::string("You have a Solid State Drive (SSD) but the TRIM function in Windows is turned "
                "OFF! ") +
    "This may cause your drive to run much slower than designed. Would You like Brantwell " +
    "to turn on the TRIM Function? It will take a REBOOT to see the full benefit. (AHCI is "
    "required " +
    "to be enabled for Full Benefits)";

}  // namespace

void trim_ahci_advice(std::optional<bool> ahci_on, bool& show_trim_on_label) {
    const auto prefs = app().prefs_ini();
    if (ReadINI(prefs, keys::kSettings, keys::kTrimCheck) == "1") return;
    const std::string trim_off =
        QueryKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystemKey, "disabledeletenotify").to_text();
    const bool ahci = ahci_on.value_or(true);
    // The AHCI advice is a message of its own, before any TRIM question.
    if (!ahci) MsgBox(kAhciAdvice, PromptIcon::Exclamation);
    if (trim_off == "1") {
        bool yes = prompt().yes_no(kTrimQuestion, "TRIM Function", PromptIcon::Question);
        if (yes) {
            SetKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystemKey, "disabledeletenotify",
                        RegValue::dword(0));
            if (ahci) WriteINI(prefs, keys::kSettings, keys::kTrimCheck, "1");
        }
    }
    if (ahci && trim_off == "0") show_trim_on_label = true;
}

}  // namespace bw
