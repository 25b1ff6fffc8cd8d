#pragma once

// The program-wide counter state: the one shared query, the disk lists of the main window, the
// handle tables of every counter group and the per-process processor figures. Written by the
// set-up operations at start-up, read by every sampler.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/TesterProtocol.h"
#include "platform/PdhTypes.h"

namespace bw {

// Object paths after the machine prefix, in the order each group adds them.
inline constexpr std::array<std::string_view, 5> kMemoryCounterPaths = {
    "\\Memory\\Committed Bytes", "\\Memory\\Available Bytes", "\\Memory\\Cache Bytes",
    "\\Memory\\Cache Bytes Peak", "\\Memory\\Page Faults/sec"};
enum MemoryCounter { kCommittedBytes, kAvailableBytes, kCacheBytes, kCacheBytesPeak, kPageFaults };

// The names the readers use stand where the tables put them (a name added to a table without
// its enum, or the other way round, stops the build).
static_assert(kMemoryCounterPaths[kPageFaults] == "\\Memory\\Page Faults/sec");

// Counters of a physical-disk row, by name: the enum is the row's order.
namespace physical_disk {
enum Counter : int { kDiskTime, kDiskBytesPerSec, kAvgSecTransfer, kAvgSecRead, kAvgSecWrite, kCount };
}
inline constexpr std::array<std::string_view, physical_disk::kCount> kPhysicalDiskCounterNames = {
    "% Disk Time", "Disk Bytes/sec", "Avg. Disk sec/Transfer", "Avg. Disk sec/Read",
    "Avg. Disk sec/Write"};

// Counters of a logical-disk row, by name: the enum is the row's order.
namespace logical_disk {
enum Counter : int {
    kFreeSpace,
    kFreeMegabytes,
    kCurrentQueueLength,
    kDiskTime,
    kAvgQueueLength,
    kDiskReadTime,
    kAvgReadQueueLength,
    kDiskWriteTime,
    kAvgWriteQueueLength,
    kAvgSecTransfer,
    kAvgSecRead,
    kAvgSecWrite,
    kTransfersPerSec,
    kReadsPerSec,
    kWritesPerSec,
    kBytesPerSec,
    kReadBytesPerSec,
    kWriteBytesPerSec,
    kAvgBytesTransfer,
    kAvgBytesRead,
    kAvgBytesWrite,
    kIdleTime,
    kSplitIoPerSec,
    kCount
};
}
inline constexpr std::array<std::string_view, logical_disk::kCount> kLogicalDiskCounterNames = {
    "% Free Space",
    "Free Megabytes",
    "Current Disk Queue Length",
    "% Disk Time",
    "Avg. Disk Queue Length",
    "% Disk Read Time",
    "Avg. Disk Read Queue Length",
    "% Disk Write Time",
    "Avg. Disk Write Queue Length",
    "Avg. Disk sec/Transfer",
    "Avg. Disk sec/Read",
    "Avg. Disk sec/Write",
    "Disk Transfers/sec",
    "Disk Reads/sec",
    "Disk Writes/sec",
    "Disk Bytes/sec",
    "Disk Read Bytes/sec",
    "Disk Write Bytes/sec",
    "Avg. Disk Bytes/Transfer",
    "Avg. Disk Bytes/Read",
    "Avg. Disk Bytes/Write",
    "% Idle Time",
    "Split IO/Sec"};

// Counters of a tester, by name: the enum is the row's order.
namespace tester_io {
enum Counter : int {
    kReadOpsPerSec,
    kWriteOpsPerSec,
    kDataOpsPerSec,
    kOtherOpsPerSec,
    kReadBytesPerSec,
    kWriteBytesPerSec,
    kDataBytesPerSec,
    kOtherBytesPerSec,
    kCount
};
}
inline constexpr std::array<std::string_view, tester_io::kCount> kTesterCounterNames = {
    "IO Read Operations/sec",  "IO Write Operations/sec", "IO Data Operations/sec",
    "IO Other Operations/sec", "IO Read Bytes/sec",       "IO Write Bytes/sec",
    "IO Data Bytes/sec",       "IO Other Bytes/sec"};
// Counter instances of the three testers and the image names their processes run under.
inline constexpr std::array<std::string_view, 3> kTesterInstances = {"LoadWorker", "LoadWorker2",
                                                                     "LoadWorker3"};
inline constexpr std::array<std::string_view, 3> kTesterImages = kTesterFiles;

enum ProcessorCounter { kInterruptTime, kInterruptsPerSec, kProcessorTime, kProcessorCounterCount };
inline constexpr std::array<std::string_view, kProcessorCounterCount> kProcessorCounterNames = {
    "% Interrupt Time", "Interrupts/sec", "% Processor Time"};
static_assert(kPhysicalDiskCounterNames[physical_disk::kDiskBytesPerSec] == "Disk Bytes/sec" &&
              kPhysicalDiskCounterNames.back() == "Avg. Disk sec/Write");
static_assert(kLogicalDiskCounterNames[logical_disk::kDiskReadTime] == "% Disk Read Time" &&
              kLogicalDiskCounterNames[logical_disk::kBytesPerSec] == "Disk Bytes/sec" &&
              kLogicalDiskCounterNames[logical_disk::kIdleTime] == "% Idle Time" &&
              kLogicalDiskCounterNames.back() == "Split IO/Sec");
static_assert(kTesterCounterNames[tester_io::kReadBytesPerSec] == "IO Read Bytes/sec" &&
              kTesterCounterNames.back() == "IO Other Bytes/sec");
static_assert(kProcessorCounterNames[kProcessorTime] == "% Processor Time");
inline constexpr std::string_view kProcessorFrequencyPath =
    "\\Processor Information(0,0)\\Processor Frequency";
inline constexpr std::array<std::string_view, 2> kCacheCounterPaths = {"\\Cache\\Copy Reads/sec",
                                                                       "\\Cache\\Pin Reads/sec"};
inline constexpr std::string_view kLogicalDiskProbePath = "\\LogicalDisk(0)\\% Disk Time";

inline constexpr int kProcessCpuSlots = 251;

// Processor use of one process (or of every process of one image name), measured between calls.
struct ProcessCpu {
    std::string text;                // "0.00" pattern; "" until a second call had something to say
    double previous_cumulative = 0;  // processor time in hundredths of a second per processor
    bool has_baseline = false;
    double previous_seconds = 0;  // clock time of the previous reading
    double elapsed_seconds = 0;   // between the last two calls
    bool has_reading = false;
};

struct CounterState {
    PdhHandle SharedQuery = 0;
    std::vector<PdhHandle> superseded_queries;  // opened earlier, kept open, never collected
    std::string MachinePrefix;                  // "\\" + computer name

    std::vector<std::string> PhysicalList, LogicalList;
    int PhysicalDiskLast = -1, LogicalDiskLast = -1;

    // Handle tables (0 = not added). Every listed disk and processor has a row: the program keeps
    // no fixed limit of 26 disks or 64 processors.
    std::array<PdhHandle, kMemoryCounterPaths.size()> MemoryCounters{};
    std::vector<std::array<PdhHandle, physical_disk::kCount>> PhysicalDiskCounters;
    std::vector<std::array<PdhHandle, logical_disk::kCount>> LogicalDiskCounters;
    std::array<std::array<PdhHandle, tester_io::kCount>, 3> TesterCounters{};
    std::vector<std::array<PdhHandle, kProcessorCounterCount>> ProcessorCounters;
    PdhHandle ProcessorFrequencyCounter = 0;
    std::array<PdhHandle, 2> CacheCounters{};

    // Processor use.
    std::vector<double> ProcessorUsage;  // "% Processor Time" per row, from SampleProcessorUsage
    double TotalProcessorUsage = 0;      // their sum (the caller divides by the processor count)
    std::array<ProcessCpu, 3> TesterCpu;
    std::array<ProcessCpu, kProcessCpuSlots> ProcessCpuSlots;

    // Probe handles: non-zero when the group could be added.
    PdhHandle memory_probe() const { return MemoryCounters[kAvailableBytes]; }
    PdhHandle logical_disk_probe() const {
        return LogicalDiskCounters.empty() ? 0 : LogicalDiskCounters[0][logical_disk::kDiskReadTime];
    }
    PdhHandle tester_probe(int tester) const {
        return tester >= 1 && tester <= 3 ? TesterCounters[tester - 1][tester_io::kReadOpsPerSec] : 0;
    }
};

// The program-wide state.
CounterState& counters();
// Back to nothing opened (tests start every scenario from here).
void ResetCounterState();

// `MachinePrefix` + object path, the prefix taken from the computer name when it is still empty.
std::string CounterPath(std::string_view object_path);

// Reads a counter of the shared query: handle 0 or a counter without data reads 0.
double CounterValue(PdhHandle counter);

}  // namespace bw
