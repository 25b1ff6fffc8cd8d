#pragma once

// The counter groups and their readers. Every set-up operation runs past failures: a counter that
// cannot be added leaves its handle 0 and the next one is tried; each add lets pending events run.

#include <string>
#include <string_view>

#include "counters/CounterState.h"
#include "platform/PdhTypes.h"

namespace bw {

// CounterPhysicalDisk / CounterLogicalDrive: the instance lists of the main window.
void ListPhysicalDisks();
void ListLogicalDisks();

// CounterMEM: opens a new shared query, then adds the five memory counters.
void AddMemoryCounters();
// CounterPhysicalDisk: opens a new shared query, then the five counters of every listed disk.
void AddPhysicalDiskCounters();
// CounterLogicalDrive: the 23 counters of every listed logical disk.
void AddLogicalDiskCounters();
// CounterProcess: the eight I/O counters of tester 1, 2 or 3; `instance_index` picks the n-th
// running process of that name ("LoadWorker#1"), when another program's testers run too.
void AddTesterCounters(int tester, int instance_index = 0);
// CounterCPU: processor rows, the frequency, the cache counters and the memory counters again
// (so every handle the readers use belongs to the live query).
void AddProcessorCounters();

// CounterLogicalDrive: whether a logical-disk counter can be added to the shared query now (the
// health check of the counter repair).
bool ProbeLogicalDiskCounter();

// Enumerates an object's counters and instances (NUL-separated lists); 0 = success.
PdhStatus EnumObjectItems(std::string_view machine, std::string_view object, std::string& counters,
                          std::string& instances);

// CounterCPU: collects the shared query and sums "% Processor Time" of every processor into
// TotalProcessorUsage.
void SampleProcessorUsage();
// GetProcessCPU: processor use of tester 1..3 (LOADWorker.exe, LOADWorker2.exe, LOADWorker3.exe),
// kept in its TesterCpu text.
void SampleTesterCpu(int tester);
// GetProcessCPU: the same for any image name, kept in slot 0..250; returns the slot's text,
// capped at "100".
std::string SampleProcessCpu(std::string_view image, int slot);

// Collects the shared query once (one collect per sampling tick serves every reader).
void CollectCounters();
// Closes the shared query and every superseded one (exit, repair).
void CloseCounterQuery();

}  // namespace bw
