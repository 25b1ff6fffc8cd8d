#pragma once

// The logical drive monitor's 28 figures: what each one reads, how it is shown, when it turns red
// and the help text under its caption. Plain data over one tick's counter readings, so that the
// window and brantwell-cli show the same texts for the same readings.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "counters/CounterState.h"

namespace bw {

// One tick's readings of every counter the monitor shows.
struct MonitorSnapshot {
    std::string drive;     // "E:"
    bool counted = false;  // the letter has a counter row; without one its disk figures read 0
    std::array<double, logical_disk::kCount> disk{};  // the drive's logical-disk counters
    std::vector<double> interrupt_time;               // "% Interrupt Time" per processor row
    std::vector<double> interrupts;                   // "Interrupts/sec" per processor row
    double system_calls = 0;     // "\System\System Calls/sec": no source on Linux
    double available_bytes = 0;  // "\Memory\Available Bytes"
    double page_faults = 0;      // "\Memory\Page Faults/sec"
};

// Where a figure's number comes from.
enum class MonitorSource {
    Disk,                  // a logical-disk counter of the drive
    InterruptTimeAverage,  // "% Interrupt Time" summed over the processors, / count when above 0
    InterruptsSum,         // "Interrupts/sec" summed over the processors
    SystemCalls,
    AvailableBytes,
    PageFaults,
};

// How the number is written. "Grouped" is the digit-grouped number format; the averages that sit
// below one unit on any healthy disk keep the decimals the kernel measures them in (queue lengths
// to hundredths, seconds to a tenth of a millisecond), else they would always read 0.
enum class MonitorFormat {
    Grouped,   // "#,##0"
    Grouped2,  // "#,##0.00"
    Grouped4,  // "#,##0.0000"
    Fixed2,    // "0.00"
    Fixed0,    // "0"
    Plain,     // the number as plain text (up to 15 significant digits)
};

enum class MonitorRed {
    Never,
    Below,           // value < limit
    Above,           // value > limit
    QueueWhileBusy,  // value > limit while the drive's "% Disk Time" is above 90
};

struct MonitorFigureDef {
    std::string_view caption;
    MonitorSource source;
    int disk_counter;  // logical_disk::Counter, for MonitorSource::Disk
    double divisor;    // the reading is divided by this before it is shown
    double cap;        // shown no higher than this (0: no cap)
    MonitorFormat format;
    std::string_view suffix;
    MonitorRed red;
    double limit;
    std::string_view help;  // shown in Text1 while the pointer is over the caption
};

inline constexpr int kMonitorRows = 14;

// Above this share of disk time a queue of more than two requests is trouble.
inline constexpr double kBusyDiskTime = 90;

namespace ld = logical_disk;

inline constexpr std::array<MonitorFigureDef, kMonitorRows> kMonitorLeft = {{
    {"% Free Space", MonitorSource::Disk, ld::kFreeSpace, 1, 0, MonitorFormat::Grouped, " %",
     MonitorRed::Below, 15,
     "Shows the percentage of the total usable space on the selected logical disk drive that is "
     "free. "},
    {"Free Megabytes", MonitorSource::Disk, ld::kFreeMegabytes, 1, 0, MonitorFormat::Grouped, "MB",
     MonitorRed::Never, 0,
     "Shows the unallocated space, in megabytes, on the disk drive. One megabyte is equal to "
     "1,048,576 bytes."},
    {"Current Disk Queue Length", MonitorSource::Disk, ld::kCurrentQueueLength, 1, 0,
     MonitorFormat::Grouped, "", MonitorRed::QueueWhileBusy, 2,
     "Shows the number of requests outstanding on the disk at the time that the performance data "
     "is collected. It also includes requests in service at the time of the collection."},
    {"% Disk Time", MonitorSource::Disk, ld::kDiskTime, 1, 0, MonitorFormat::Grouped, " %",
     MonitorRed::Never, 0,
     "Shows the percentage of time that the selected disk drive is busy servicing read or write "
     "requests."},
    {"Avg. Disk Queue Length", MonitorSource::Disk, ld::kAvgQueueLength, 1, 0,
     MonitorFormat::Grouped2, "", MonitorRed::Never, 0,
     "Shows the average number of both read and write requests that were queued for the selected "
     "disk during the sample interval."},
    {"% Disk Read Time", MonitorSource::Disk, ld::kDiskReadTime, 1, 0, MonitorFormat::Grouped, " %",
     MonitorRed::Never, 0,
     "Shows the percentage of time that the selected disk drive is busy servicing read requests."},
    {"Avg. Disk Read Queue Length", MonitorSource::Disk, ld::kAvgReadQueueLength, 1, 0,
     MonitorFormat::Grouped2, "", MonitorRed::Never, 0,
     "Shows the average number of read requests that were queued for the selected disk during the "
     "sample interval."},
    {"% Disk Write Time", MonitorSource::Disk, ld::kDiskWriteTime, 1, 0, MonitorFormat::Grouped,
     " %", MonitorRed::Never, 0,
     "Shows the percentage of time that the selected disk drive is busy servicing write requests."},
    {"Avg. Disk Write Queue Length", MonitorSource::Disk, ld::kAvgWriteQueueLength, 1, 0,
     MonitorFormat::Grouped2, "", MonitorRed::Never, 0,
     "Shows the average number of write requests that were queued for the selected disk during "
     "the sample interval."},
    {"Avg. Disk sec/Transfer", MonitorSource::Disk, ld::kAvgSecTransfer, 1, 0,
     MonitorFormat::Grouped4, "", MonitorRed::Never, 0,
     "Shows the time, in seconds, of the average disk transfer."},
    {"Avg. Disk sec/Read", MonitorSource::Disk, ld::kAvgSecRead, 1, 0, MonitorFormat::Grouped4, "",
     MonitorRed::Never, 0,
     "Shows the average time, in seconds, of a read operation from the disk. "},
    {"Avg. Disk sec/Write", MonitorSource::Disk, ld::kAvgSecWrite, 1, 0, MonitorFormat::Grouped4,
     "", MonitorRed::Never, 0,
     "Shows the average time, in seconds, of a write operation to the disk."},
    {"% Interrupt Time", MonitorSource::InterruptTimeAverage, 0, 1, 0, MonitorFormat::Fixed2, "%",
     MonitorRed::Above, 40,
     "This is the percent of processor time that is used by Hardware, in this case the Hard Drive "
     "or HD Controller."},
    {"Interrupts/sec", MonitorSource::InterruptsSum, 0, 1, 0, MonitorFormat::Fixed0, " Sec",
     MonitorRed::Above, 1000,
     "This is the number of processor interrupts that is used by the Hard Drive or HD Controller. "
     "Lower is better. This shows the average number of hardware interrupts that the processor is "
     "receiving and servicing \r\nper second. It does not include DPCs, which are separate. If "
     "this number remains HIGH and System Calls are LOW you have a Hardware Issue."},
}};

inline constexpr std::array<MonitorFigureDef, kMonitorRows> kMonitorRight = {{
    {"Disk Transfers/sec", MonitorSource::Disk, ld::kTransfersPerSec, 1, 0, MonitorFormat::Grouped,
     " Sec", MonitorRed::Never, 0,
     "Shows the rate at which read and write operations are performed on the disk."},
    {"Disk Reads/sec", MonitorSource::Disk, ld::kReadsPerSec, 1, 0, MonitorFormat::Grouped, " Sec",
     MonitorRed::Never, 0, "Shows the rate at which read operations are performed on the disk."},
    {"Disk Writes/sec", MonitorSource::Disk, ld::kWritesPerSec, 1, 0, MonitorFormat::Grouped,
     " Sec", MonitorRed::Never, 0,
     "Shows the rate at which write operations are performed on the disk."},
    {"Disk Bytes/sec", MonitorSource::Disk, ld::kBytesPerSec, 1, 0, MonitorFormat::Grouped, " Sec",
     MonitorRed::Never, 0,
     "Shows the rate at which bytes are transferred to or from the disk during write or read "
     "operations."},
    {"Disk Read Bytes/sec", MonitorSource::Disk, ld::kReadBytesPerSec, 1, 0, MonitorFormat::Grouped,
     " Sec", MonitorRed::Never, 0,
     "Shows the rate at which bytes are transferred from the disk during read operations."},
    {"Disk Write Bytes/sec", MonitorSource::Disk, ld::kWriteBytesPerSec, 1, 0,
     MonitorFormat::Grouped, " Sec", MonitorRed::Never, 0,
     "Shows the rate at which bytes are transferred to the disk during write operations."},
    {"Avg. Disk Bytes/Transfer", MonitorSource::Disk, ld::kAvgBytesTransfer, 1000, 0,
     MonitorFormat::Grouped, " KB", MonitorRed::Never, 0,
     "Shows the average number of bytes transferred to or from the disk during write or read "
     "operations."},
    {"Avg. Disk Bytes/Read", MonitorSource::Disk, ld::kAvgBytesRead, 1000, 0,
     MonitorFormat::Grouped, " KB", MonitorRed::Never, 0,
     "Shows the average number of bytes transferred from the disk during read operations."},
    {"Avg. Disk Bytes/Write", MonitorSource::Disk, ld::kAvgBytesWrite, 1000, 0,
     MonitorFormat::Grouped, " KB", MonitorRed::Never, 0,
     "Shows the average number of bytes transferred to the disk during write operations."},
    {"% Idle Time", MonitorSource::Disk, ld::kIdleTime, 1, 100, MonitorFormat::Grouped, " %",
     MonitorRed::Never, 0,
     "% Idle Time reports the percentage of time during the sample interval that the disk was "
     "idle."},
    {"Split IO/Sec", MonitorSource::Disk, ld::kSplitIoPerSec, 1, 0, MonitorFormat::Grouped, "",
     MonitorRed::Above, 20,
     "Split IO/Sec reports the rate at which I/Os to the disk were split into multiple I/Os. A "
     "split I/O may result from requesting data of a size that is too large to fit into a single "
     "I/O or that the disk is fragmented. If this number stays high, run a defrag of the HD"},
    {"System Calls/sec", MonitorSource::SystemCalls, 0, 1, 0, MonitorFormat::Grouped, " Sec",
     MonitorRed::Never, 0,
     "Shows the combined rate of calls to Windows System Service routines by all processes running "
     "on the computer. These routines perform all of the basic scheduling and synchronization of "
     "activities on the computer, and provide access to nongraphic devices, memory management, "
     "and name space management."},
    {"Available Memory", MonitorSource::AvailableBytes, 0, 1'000'000, 0, MonitorFormat::Grouped,
     " MB", MonitorRed::Never, 0, "Available Physical Memory (RAM)."},
    {"Page Faults/sec", MonitorSource::PageFaults, 0, 1, 0, MonitorFormat::Plain, " Sec",
     MonitorRed::Never, 0,
     "Shows the average number of pages faulted per second. It is measured in numbers of pages "
     "faulted; because only one page is faulted in each fault operation, this is also equal to "
     "the number of page fault operations. This includes both hard faults (those that require "
     "disk access) and soft faults (where the faulted page is found elsewhere in physical memory). "
     "Most processors can handle large numbers of soft faults without significant consequence. "
     "However, hard faults, which require disk access, can cause delays."},
}};

// Text1 while the pointer is over the window itself.
inline constexpr std::string_view kMonitorHelp =
    "Logical Drive Monitor, Showing Performance Data for the selected Drive and other items that "
    "can affect its Performance.";

// A figure without a Linux source reads this instead of a number, and never turns red.
inline constexpr std::string_view kNoSourceText = "n/a";
inline constexpr std::string_view kNoSourceWhy =
    "Linux keeps no such count: this figure has no source here.";

// Colours (0x00BBGGRR): navy for a value, red for one that points at trouble.
inline constexpr std::uint32_t kMonitorNavy = 0x800000;
inline constexpr std::uint32_t kMonitorRed = 0x0000FF;

// One figure as shown.
struct MonitorFigure {
    double value = 0;  // the number shown (after the divisor and the cap)
    std::string text;  // value + suffix, or "n/a"
    bool red = false;
    bool available = true;  // false: no Linux source ("n/a")
    std::uint32_t colour() const { return red ? kMonitorRed : kMonitorNavy; }
};

struct MonitorFigures {
    std::array<MonitorFigure, kMonitorRows> left, right;
};

// Whether the counter behind a figure has a source on this system.
bool MonitorFigureHasSource(const MonitorFigureDef& def);

// The 28 figures of one tick's readings.
MonitorFigures MonitorFiguresOf(const MonitorSnapshot& snapshot);

// Collects the shared counter query and reads the monitor's counters for the drive of `letter`
// (the row is looked up by letter, never by its position in a list); processor rows 0 to the
// processor count - 1.
MonitorSnapshot ReadMonitorSnapshot(char letter);

}  // namespace bw
