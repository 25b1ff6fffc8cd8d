#pragma once

// The disk check window's own texts, and the lines it adds before and after a check.

#include <string>
#include <string_view>

#include "drives/DosApp.h"
#include "tools/modChkDsk.h"

namespace bw {

inline constexpr std::string_view kSelectDrive = "Select Drive";
inline constexpr std::string_view kChkOptionCaptions[] = {"Repair", "Verbose", "Drive is Dirty",
                                                          "Enhanced Scan"};
inline constexpr std::string_view kScanDiskNow = "Scan Disk NOW";
inline constexpr std::string_view kCancelCaption = "Cancel";
inline constexpr std::string_view kExitCaption = "Exit";
inline constexpr std::string_view kEnhancedScanQuestion =
    "The Enhanced Scan can take a Very Long Time, Do you wish to Continue?";
inline constexpr std::string_view kEnhancedScanTitle = "Enhanced Scan";
inline constexpr std::string_view kCheckingState = "Checking State of Volume ";
inline constexpr std::string_view kChecksClean = " Drive Checks Clean";
inline constexpr std::string_view kChecksDirty = " Drive Checks Dirty";
inline constexpr std::string_view kMarkedDirty =
    " Drive appears to be Marked Dirty. Run a Scan, if any errors show then Re-Run the scan and "
    "Check Repair and Dirty. The Dirty Drive will be repaired on reboot.";
inline constexpr std::string_view kScanComplete = "Scan Complete";
inline constexpr std::string_view kScanCancelled = "Scan Cancelled";
inline constexpr std::string_view kNoProblemsFound = "NO PROBLEMS FOUND";
inline constexpr std::string_view kProblemsFound =
    "PROBLEMS FOUND - Run scan with Repair Option Enabled";
// What the window looks for in the output: the result line of a check that found nothing says it.
inline constexpr std::string_view kNoProblemsMark = "No Problems";

// The lines of the dirty check before the scan: letter + " Drive Checks Clean" or "... Dirty",
// and, when the state could not be read, why (the volume then counts as clean).
std::string DirtyCheckLines(char letter, const DirtyResult& dirty);

// "Scan Complete" or "Scan Cancelled".
std::string_view DoneText(bool cancelled);

// The line added after the check: "NO PROBLEMS FOUND" when the output says "No Problems", else the
// repair hint when "Repair" was not ticked, else nothing. A check that was cancelled or came to no
// result (no checker, checker failed) gets no verdict: it found nothing either way.
std::string_view VerdictText(std::string_view output, bool repair_ticked, const ChkDskResult& r);

}  // namespace bw
