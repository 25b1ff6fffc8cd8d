#pragma once

// From process start to a main window that accepts input, and back out at exit: the entry check,
// the splash window's preparations, the main window's ordered load steps, the clean-exit count,
// the disclaimer, the TRIM/AHCI advice and the unload.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/CompareData.h"
#include "core/DriveFacts.h"
#include "core/LiveFigures.h"
#include "core/MainOptions.h"
#include "core/StartSteps.h"
#include "platform/sysroot.h"

namespace bw {

// --- Entry procedure -------------------------------------------------------------------------

// What the program needs on this system and lacks: /proc and /sys readable, a display for the
// windows. Empty when all is there.
std::vector<std::string> missing_requirements(const Sysroot& sys, bool display_available);
std::string missing_requirements_message(const std::vector<std::string>& missing);

// --- Splash window ---------------------------------------------------------------------------

enum class LoadingResult { ShowMain, SecondInstance, NoFolders };

// Chooses the folders, takes the single-instance lock, fills the program-wide values and prepares
// the settings files and tool files. `error` receives the reason for NoFolders.
LoadingResult LoadingLoad(const StartSteps& steps, std::string* error);

// Gives up the single-instance lock (at the end of the process; tests end a "run" with it).
void release_instance_lock();

// The settings-file preparations of the splash window (working file and preferences).
void init_working_file();
void init_preferences();

// --- Main window load and unload -------------------------------------------------------------

// What the main window shows, as left by its load.
struct MainWindowState {
    MainOptions options;
    CompareLists compare;
    MultiTaskColours colours;
    bool trim_on_label = false;  // Label10 "SSD Trim is ON"
    std::string Label7;          // decoded specifications of the selected drive
    std::map<std::string, DriveFacts> drive_facts;  // by drive entry text
};

// Runs the load steps in their order, showing each name on the splash.
void FrmMainLoad(const StartSteps& steps, MainWindowState& state);

// What the main window shows for the selected drive: the multi-task colours from its baseline and
// the decoded specifications (Label7). Run by the load and by the drive selection handler.
void show_selected_drive(const StartSteps& steps, MainWindowState& state);

// Clean-exit tracking: the start side (improper-shutdown count, message after three) and the
// exit side (clean count; after more than five clean exits the improper count is reset).
void clean_exit_check_at_start();
void clean_exit_record_at_exit();

// The disclaimer and notice, once per preferences file.
void show_disclaimer();

// TRIM and AHCI advice for a solid-state drive, until it has been acted on, from the facts of
// its volume (an NVMe or virtual disk needs no AHCI).
void trim_ahci_advice(const DriveFacts& facts, bool& show_trim_on_label);

// The unload handler, in its order.
void FrmMainUnload(const StartSteps& steps, MainWindowState& state);

// Message texts.
inline constexpr std::string_view kImproperShutdown =
    "Brantwell has shut down improperly a few times. If this persist, send a Report to Brantwell";
inline constexpr std::string_view kDirtySuffix =
    " Drive appears to be Marked as Dirty. Use the Scan Disk Uility under Options to check the disk "
    "prior to testing";
inline constexpr std::string_view kMissingFilesInstall =
    "Files Required for this program to run properly are missing, install the following files "
    "and restart.";
inline constexpr std::string_view kResultsMailbox = "results@brantwell.org";

}  // namespace bw
