#pragma once

// From process start to a main window that accepts input, and back out at exit: the entry check,
// the splash window's preparations, the main window's ordered load steps, the clean-exit count,
// the disclaimer, the TRIM/AHCI advice and the unload.

#include <functional>
#include <string>
#include <vector>

#include "core/CompareData.h"
#include "core/LiveFigures.h"
#include "core/MainOptions.h"
#include "platform/sysroot.h"

namespace bw {

// What the start-up needs from the other subsystems. A service that is not provided leaves its
// step without effect, so the sequence runs the same in the program, the tests and a partial
// build.
struct StartupServices {
    // Splash window.
    std::function<void()> set_rating_thresholds;
    std::function<void()> write_license;  // License.txt when missing
    std::function<void()> write_tester;   // LOADWorker.exe, always rewritten
    // Main window load.
    std::function<void()> check_version;           // when "Check Update" is "1"
    std::function<void()> download_results;        // when "Download Results" is "1"
    std::function<void()> gather_system_info;      // when the cached "Win Ver" is empty
    // "Verify Version": opens the counter query and its probe, asking for the repair on failure.
    std::function<void()> verify_counter_query;
    std::function<void()> list_physical_disks;     // "Physical DRV"
    std::function<void()> list_logical_disks;      // "Logical DRV"
    std::function<void()> get_drive;               // inventory, controller query
    std::function<void()> query_usb;               // "Check USB"
    std::function<std::vector<std::string>()> build_drive_list;  // "Check Drives"
    // "Compare Data": drives that only the logical-disk query found join the list.
    std::function<void(std::vector<std::string>& drive_list)> add_logical_only_drives;
    // "Chk Memory", "Load Disk", "Processes", ...: the counter groups, each shown on the splash
    // with `show_step`; a group that stays empty asks for the repair, and a declined or failed
    // repair leaves the program in basic-test-only mode.
    std::function<void(const std::function<void(const std::string& label)>& show_step)>
        counter_steps;
    std::function<bool(const std::string& entry)> is_dirty;  // "Dirty Check"
    std::function<void()> add_processor_counters;       // "Load CPU"
    std::function<double()> available_memory_bytes;     // "Load CPU"
    // The drive selection handler: free space and decoded specifications; returns Label7's text.
    std::function<std::string(const std::string& entry)> select_drive;
    std::function<bool()> ahci_on;                      // TRIM/AHCI advice
    // The main window's periodic display, for the selected drive entry.
    std::function<LiveFigures(const std::string& entry)> sample_live;
    // Main window unload.
    std::function<void()> close_counter_query;
    std::function<void()> write_starter;  // writes and opens the starter after many passes
};

// --- Entry procedure -------------------------------------------------------------------------

// What the program needs on this system and lacks: /proc and /sys readable, a display for the
// windows. Empty when all is there.
std::vector<std::string> missing_requirements(const Sysroot& sys, bool display_available);
std::string missing_requirements_message(const std::vector<std::string>& missing);

// --- Splash window ---------------------------------------------------------------------------

enum class LoadingResult { ShowMain, SecondInstance, NoFolders };

// Chooses the folders, takes the single-instance lock, fills the program-wide values and prepares
// the settings files and tool files. `error` receives the reason for NoFolders.
LoadingResult LoadingLoad(const StartupServices& services, std::string* error);

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
};

// Runs the load steps in their order, showing each name on the splash.
void FrmMainLoad(const StartupServices& services, MainWindowState& state);

// Clean-exit tracking: the start side (improper-shutdown count, message after three) and the
// exit side (clean count; after more than five clean exits the improper count is reset).
void clean_exit_check_at_start();
void clean_exit_record_at_exit();

// The disclaimer and notice, once per preferences file.
void show_disclaimer();

// TRIM and AHCI advice for a solid-state drive, once it has been acted on.
void trim_ahci_advice(const StartupServices& services, bool& show_trim_on_label);

// The unload handler, in its order.
void FrmMainUnload(const StartupServices& services, const MainOptions& options);

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
