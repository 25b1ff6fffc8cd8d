#pragma once

#include <array>
#include <string_view>

#include "core/TesterProtocol.h"

namespace bw {

inline constexpr std::string_view kTesterNotStarted =
    "A Program needed by Brantwell has not Started. Check if you have a Run Message and allow "
    "LOADWorker to Start, then click OK";

// Closes (politely, then by force) every tester left running.
void StopTesters();

// Makes sure the three tester files exist (copies of LOADWorker.exe) and run, then checks that
// each has reported in [Status].
void StartTESTERS();

// Starts every tester that is not running, without the check (the test start repeats this).
void StartMissingTesters();

// Copies LOADWorker.exe to LOADWorker2.exe and LOADWorker3.exe where they are missing.
void EnsureTesterCopies();

}  // namespace bw
