#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/TesterProtocol.h"

namespace bw {

inline constexpr std::string_view kTesterNotStarted =
    "A Program needed by Brantwell has not Started. Check if you have a Run Message and allow "
    "LOADWorker to Start, then click OK";

// Closes (politely, then by force) every tester left running.
void StopTesters();

// Why each tester (in the order of kTesterFiles) could not be made or started; "" where nothing
// went wrong.
using TesterReasons = std::array<std::string, kTesterFiles.size()>;

// The message for a tester that did not start, with the reason when one is known.
std::string TesterNotStartedMessage(std::string_view reason);

// Makes sure the three tester files exist (copies of LOADWorker.exe) and run, then checks that
// each has reported in [Status]; a tester that did not is reported with the reason.
void StartTESTERS();

// Starts every tester that is not running, without the check (the test start repeats this).
TesterReasons StartMissingTesters();

// Copies LOADWorker.exe to LOADWorker2.exe and LOADWorker3.exe where they are missing.
TesterReasons EnsureTesterCopies();

}  // namespace bw
