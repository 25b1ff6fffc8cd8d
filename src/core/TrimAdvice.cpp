// Start-up advice for a solid-state drive: TRIM switched off, AHCI not enabled.
//
// The facts are the real ones of the selected volume: TRIM is on when the volume is mounted with
// discard or the system trims on a timer; AHCI matters only for a disk on a SATA/ATA controller
// (an NVMe, USB or virtual disk has no AHCI mode), and is off when that controller's driver is
// not ahci. Turning TRIM on goes through "disabledeletenotify", which the TRIM subsystem serves
// from the volume's discard setting.
#include "core/TrimAdvice.h"

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

TrimAdviceSteps trim_advice_steps(bool ssd, bool given, const DriveFacts& facts) {
    if (!ssd || given) return {};
    const bool ahci = !facts.sata || facts.ahci;
    return {!ahci, !facts.trim_on, ahci && facts.trim_on};
}

void trim_ahci_advice(const DriveFacts& facts, bool& show_trim_on_label) {
    const auto prefs = app().prefs_ini();
    const bool given = ReadINI(prefs, keys::kSettings, keys::kTrimCheck) == "1";
    const TrimAdviceSteps steps = trim_advice_steps(true, given, facts);
    // The AHCI advice is a message of its own, before any TRIM question.
    if (steps.ahci_advice) MsgBox(kAhciAdvice, PromptIcon::Exclamation);
    if (steps.trim_question &&
        prompt().yes_no(kTrimQuestion, "TRIM Function", PromptIcon::Question)) {
        SetKeyValue(RegHive::HKEY_LOCAL_MACHINE, kFileSystemKey, "disabledeletenotify",
                    RegValue::dword(0));
        if (!steps.ahci_advice) WriteINI(prefs, keys::kSettings, keys::kTrimCheck, "1");
    }
    if (steps.trim_on_label) show_trim_on_label = true;
}

std::string ahci_report(const std::vector<SataController>& controllers) {
    if (controllers.empty())
        return "This machine has no SATA or ATA controller: its drives (NVMe, USB, virtual) need no "
               "AHCI.";
    std::string out;
    bool legacy = false;
    for (const auto& c : controllers) {
        const bool ahci = c.driver == "ahci";
        legacy = legacy || !ahci;
        out += "ATA controller " + c.address + ": driver " +
               (c.driver.empty() ? std::string("none") : c.driver) +
               (ahci ? " - AHCI mode is ON" : " - AHCI mode is OFF (IDE/legacy mode)") + "\n";
    }
    if (legacy)
        out += "\nAHCI is switched on in the firmware (BIOS/UEFI) setup of the SATA controller, "
               "not by Brantwell: restart, enter the setup and set the SATA mode to AHCI. Linux "
               "loads the ahci driver by itself at the next start. Nothing has been changed.";
    else
        out += "\nNothing needs to be changed.";
    return out;
}

}  // namespace bw
