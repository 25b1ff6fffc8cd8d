#pragma once

// The names of the settings files' sections and keys. Every reader and writer of the working file,
// the preferences file and the tester protocol names them through these constants, so a key is
// spelt once and a search for it finds every use.

#include <string>
#include <string_view>

namespace bw::keys {

// Both settings files carry this name: the working file in the working folder, the preferences
// file in the program folder.
inline constexpr std::string_view kSettingsFileName = "DariDozodaz.dat";

// --- Sections --------------------------------------------------------------------------------

inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kStatus = "Status";
inline constexpr std::string_view kTesterFunction = "Tester Function";
inline constexpr std::string_view kHardDriveTest1 = "Hard Drive Test 1";
inline constexpr std::string_view kHardDriveTest2 = "Hard Drive Test 2";
inline constexpr std::string_view kHardDriveTest3 = "Hard Drive Test 3";
// [Drives] of Baseline.dat.
inline constexpr std::string_view kDrives = "Drives";
// The file of each drive's quick read baseline, in the program folder (settings form).
inline constexpr std::string_view kBaselineFileName = "Baseline.dat";

// [Hard Drive Test N], N = 1..3.
inline std::string hard_drive_test(int tester) {
    return "Hard Drive Test " + std::to_string(tester);
}
// [Drive<index>] of a physical disk in the working file: "Drive0", "Drive1", ...
inline std::string drive_section(int disk_index) {
    return "Drive" + std::to_string(disk_index);
}

// --- [Drive<index>] of the working file ------------------------------------------------------

inline constexpr std::string_view kInterfaceTypeP = "Interface Type P";  // as the system reports it
inline constexpr std::string_view kCaption = "Caption";
inline constexpr std::string_view kInterfaceType = "Interface Type";  // after classification
inline constexpr std::string_view kSize = "Size";
inline constexpr std::string_view kBytesPerSector = "Bytes Per Sector";

// --- [Settings] of the preferences file ------------------------------------------------------

inline constexpr std::string_view kRead = "Read";
inline constexpr std::string_view kWrite = "Write";
inline constexpr std::string_view kBlock = "Block";
inline constexpr std::string_view kSkipUsage = "Skip Usage";
inline constexpr std::string_view kType = "Type";
inline constexpr std::string_view kBasicOnly = "Basic Only";
inline constexpr std::string_view kGoodShutdown = "Good Shutdown";
inline constexpr std::string_view kBadShutdown = "Bad Shutdown";
inline constexpr std::string_view kShutdown = "Shutdown";  // both files
inline constexpr std::string_view kDisclaimer = "Disclaimer";
inline constexpr std::string_view kTrimCheck = "Trim Check";
inline constexpr std::string_view kTestTime = "Test Time";
inline constexpr std::string_view kAdjustTestTime = "Adjust Test Time";
inline constexpr std::string_view kAlwaysIgnore = "Always Ignore";
inline constexpr std::string_view kDownloadResults = "Download Results";
inline constexpr std::string_view kCheckUpdate = "Check Update";
inline constexpr std::string_view kSortDrive = "SortDrive";
// [TRIM Test] of the preferences file: written before the TRIM test first switches the volume's
// discard option, removed once it is back; a start that finds it puts the switch back and deletes
// the test file the interrupted test left.
inline constexpr std::string_view kTrimTest = "TRIM Test";
inline constexpr std::string_view kTrimMountPoint = "Mount Point";
inline constexpr std::string_view kTrimDiscardFound = "Discard Found";  // "1": discard, "0": nodiscard
inline constexpr std::string_view kTrimTestFile = "Test File";

// --- [Settings] of the working file ----------------------------------------------------------

inline constexpr std::string_view kOpen = "Open";
inline constexpr std::string_view kRunStatus = "Run Status";
inline constexpr std::string_view kLastDrive = "Last Drive";
inline constexpr std::string_view kWinVer = "Win Ver";
inline constexpr std::string_view kStopRun = "StopRun";
inline constexpr std::string_view kTestTimeWarning1 = "Test Time Warning 1";
inline constexpr std::string_view kTestTimeWarning2 = "Test Time Warning 2";
inline constexpr std::string_view kOpenTest = "Open Test";
inline constexpr std::string_view kShowIt = "Show It";
// Cached system information.
inline constexpr std::string_view kWinType = "Win Type";
inline constexpr std::string_view kMems = "MEMS";
inline constexpr std::string_view kBios = "BIOS";
inline constexpr std::string_view kMb = "MB";
inline constexpr std::string_view kCpu = "CPU";
inline constexpr std::string_view kCores = "Cores";
inline constexpr std::string_view kCpuSpeed = "CPU Speed";
inline constexpr std::string_view kCpuName = "CPU Name";
inline constexpr std::string_view kSocket = "Socket";
inline constexpr std::string_view kCpuMan = "CPU Man";
inline constexpr std::string_view kCpuDescript = "CPU Descript";
// "Interface0" .. "Interface25": the decoded interface of each drive slot.
inline std::string interface_slot(int slot) {
    return "Interface" + std::to_string(slot);
}
// The program's own process id, so a tester can tell that the program that started it is gone.
inline constexpr std::string_view kProgramPid = "Program PID";

// --- [Status] --------------------------------------------------------------------------------

// "Program 1" .. "Program 3": set by each tester when it runs.
inline std::string program_status(int tester) {
    return "Program " + std::to_string(tester);
}
// "Program 1 PID" .. "Program 3 PID": each tester's process id, so the first tester can tell
// that a helper a step needs has gone (a killed tester leaves its "Program N" set).
inline std::string tester_pid(int tester) {
    return program_status(tester) + " PID";
}

// --- [Tester Function] -----------------------------------------------------------------------

inline constexpr std::string_view kReadingBlock = "Reading Block";
inline constexpr std::string_view kMultiTaskReading = "Multi-Task Reading";
inline constexpr std::string_view kWritingBlock = "Writing Block";
inline constexpr std::string_view kMultiTaskWriting = "Multi-Task Writing";

// --- [Hard Drive Test N] ---------------------------------------------------------------------

inline constexpr std::string_view kRun = "Run";
inline constexpr std::string_view kDrive = "Drive";
inline constexpr std::string_view kBlocks = "Blocks";
// kType, kRead, kWrite above serve here too.
inline constexpr std::string_view kFileSize = "File Size";
inline constexpr std::string_view kClusterSize = "Cluster Size";
inline constexpr std::string_view kWritePasses = "Write Passes";
inline constexpr std::string_view kMulti = "Multi";
inline constexpr std::string_view kTime = "Time";
inline constexpr std::string_view kFinished = "Finished";
// Added on Linux: where the volume's test files go, its block device, and a tester's reason for
// refusing or failing a job.
inline constexpr std::string_view kTestFolder = "Test Folder";
inline constexpr std::string_view kDevice = "Device";
inline constexpr std::string_view kError = "Error";
// A helper tester's share of the current step (first tester -> second and third), and the step a
// helper has finished (second and third -> first).
inline constexpr std::string_view kPart = "Part";
inline constexpr std::string_view kDone = "Done";

// --- HDPerfData.Dat: one section per drive and block ("C: 64000") ----------------------------

// In this order: peak throughput, peak reads (writes) per second, peak disk time, average
// throughput, average throughput / block bytes, average disk time, peak and average operations.
inline constexpr std::string_view kPerfDataReadKeys[] = {
    "SPeak Read",      "SPeak Read Sec", "SPeak Read Time", "APeak Read Speed",
    "APeak Read Sec",  "APeak Read Time", "Peak IO READS",  "MAPeak IO READS"};
inline constexpr std::string_view kPerfDataWriteKeys[] = {
    "SPeak Write",     "SPeak Write Sec", "SPeak Write Time", "APeak Write Speed",
    "APeak Write Sec", "APeak Write Time", "Peak IO Writes",  "MAPeak IO Writes"};

}  // namespace bw::keys
