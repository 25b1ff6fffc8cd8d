#pragma once

// What each counter means: one row per counter name, with the formula that turns two collects
// into its value. fN below is field N of a /proc/diskstats line, d the change between the two
// collects, T the seconds between them.

#include <cstdint>
#include <string_view>

namespace bw {

enum class PdhObject {
    Memory,
    PhysicalDisk,
    LogicalDisk,
    Process,
    ProcessorInformation,
    Processor,
    Cache,
    System
};

struct PdhObjectDef {
    std::string_view name;
    PdhObject object;
    bool has_instances;
};

inline constexpr PdhObjectDef kPdhObjects[] = {
    {"Memory", PdhObject::Memory, false},
    {"PhysicalDisk", PdhObject::PhysicalDisk, true},
    {"LogicalDisk", PdhObject::LogicalDisk, true},
    {"Process", PdhObject::Process, true},
    {"Processor Information", PdhObject::ProcessorInformation, true},
    {"Processor", PdhObject::Processor, true},
    {"Cache", PdhObject::Cache, false},
    {"System", PdhObject::System, false},
};

// Changes of one disk (or the sum over disks for _Total) between two collects.
struct DiskDelta {
    double seconds = 0;
    std::uint64_t reads = 0, read_sectors = 0, writes = 0, write_sectors = 0;  // d f1 f3 f5 f7
    std::uint64_t read_ms = 0, write_ms = 0, io_ms = 0;                        // d f4 f8 f10
    std::uint64_t in_flight = 0;                                               // f9 now
    int instances = 1;                                                         // disks summed
    double free_percent = 0, free_mb = 0;  // statvfs of a logical disk
};

struct DiskCounterDef {
    std::string_view name;
    bool percent;       // capped to 0..100 when read
    bool logical_only;  // free space: a volume has it, a disk does not
    bool needs_rate;    // needs two collects
    bool has_source;    // false: reads 0 on Linux
    double (*value)(const DiskDelta&);
};

namespace pdh_detail {
inline double per_op(double num, std::uint64_t ops) {
    return ops ? num / static_cast<double>(ops) : 0;
}
inline double per_sec(double num, double s) {
    return s > 0 ? num / s : 0;
}
}  // namespace pdh_detail

// Windows' "% Disk Time" family is a queue length x 100 (time spent on requests / interval), not a
// busy time; % Idle Time comes from the busy time f10.
inline constexpr DiskCounterDef kDiskCounters[] = {
    {"% Free Space", true, true, false, true, [](const DiskDelta& d) { return d.free_percent; }},
    {"Free Megabytes", false, true, false, true, [](const DiskDelta& d) { return d.free_mb; }},
    {"Current Disk Queue Length", false, false, false, true,
     [](const DiskDelta& d) { return static_cast<double>(d.in_flight); }},
    {"% Disk Time", true, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_sec((d.read_ms + d.write_ms) / 10.0, d.seconds);
     }},
    {"Avg. Disk Queue Length", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_sec((d.read_ms + d.write_ms) / 1000.0, d.seconds);
     }},
    {"% Disk Read Time", true, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_sec(d.read_ms / 10.0, d.seconds); }},
    {"Avg. Disk Read Queue Length", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_sec(d.read_ms / 1000.0, d.seconds); }},
    {"% Disk Write Time", true, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_sec(d.write_ms / 10.0, d.seconds); }},
    {"Avg. Disk Write Queue Length", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_sec(d.write_ms / 1000.0, d.seconds); }},
    {"Avg. Disk sec/Transfer", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_op((d.read_ms + d.write_ms) / 1000.0, d.reads + d.writes);
     }},
    {"Avg. Disk sec/Read", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_op(d.read_ms / 1000.0, d.reads); }},
    {"Avg. Disk sec/Write", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_op(d.write_ms / 1000.0, d.writes); }},
    {"Disk Transfers/sec", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_sec(static_cast<double>(d.reads + d.writes), d.seconds);
     }},
    {"Disk Reads/sec", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_sec(static_cast<double>(d.reads), d.seconds);
     }},
    {"Disk Writes/sec", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_sec(static_cast<double>(d.writes), d.seconds);
     }},
    {"Disk Bytes/sec", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_sec(512.0 * (d.read_sectors + d.write_sectors), d.seconds);
     }},
    {"Disk Read Bytes/sec", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_sec(512.0 * d.read_sectors, d.seconds); }},
    {"Disk Write Bytes/sec", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_sec(512.0 * d.write_sectors, d.seconds); }},
    {"Avg. Disk Bytes/Transfer", false, false, true, true,
     [](const DiskDelta& d) {
         return pdh_detail::per_op(512.0 * (d.read_sectors + d.write_sectors), d.reads + d.writes);
     }},
    {"Avg. Disk Bytes/Read", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_op(512.0 * d.read_sectors, d.reads); }},
    {"Avg. Disk Bytes/Write", false, false, true, true,
     [](const DiskDelta& d) { return pdh_detail::per_op(512.0 * d.write_sectors, d.writes); }},
    {"% Idle Time", true, false, true, true,
     [](const DiskDelta& d) {
         if (d.seconds <= 0 || d.instances <= 0) return 0.0;
         const double busy = d.io_ms / (10.0 * d.seconds * d.instances);
         return 100.0 - (busy < 100.0 ? busy : 100.0);
     }},
    {"Split IO/Sec", false, false, true, false, [](const DiskDelta&) { return 0.0; }},
};

// Changes of one processor (or all) between two collects.
struct CpuDelta {
    double seconds = 0;
    double total = 0, idle = 0, user = 0, system = 0, irq = 0, softirq = 0;  // clock ticks
    double interrupts = 0;
    double frequency_mhz = 0;  // now
};

// Which file a processor counter reads.
enum class CpuSource { Times, Interrupts, Frequency };  // /proc/stat, /proc/interrupts, cpufreq

struct CpuCounterDef {
    std::string_view name;
    CpuSource source;
    bool percent;
    bool needs_rate;
    bool has_source;
    double (*value)(const CpuDelta&);
};

namespace pdh_detail {
inline double share(double part, double total) {
    return total > 0 ? 100.0 * part / total : 0;
}
}  // namespace pdh_detail

inline constexpr CpuCounterDef kCpuCounters[] = {
    {"% Processor Time", CpuSource::Times, true, true, true,
     [](const CpuDelta& d) {
         return d.total > 0 ? 100.0 - pdh_detail::share(d.idle, d.total) : 0.0;
     }},
    {"% Idle Time", CpuSource::Times, true, true, true,
     [](const CpuDelta& d) { return pdh_detail::share(d.idle, d.total); }},
    {"% User Time", CpuSource::Times, true, true, true,
     [](const CpuDelta& d) { return pdh_detail::share(d.user, d.total); }},
    {"% Privileged Time", CpuSource::Times, true, true, true,
     [](const CpuDelta& d) { return pdh_detail::share(d.system + d.irq + d.softirq, d.total); }},
    {"% Interrupt Time", CpuSource::Times, true, true, true,
     [](const CpuDelta& d) { return pdh_detail::share(d.irq, d.total); }},
    {"% DPC Time", CpuSource::Times, true, true, true,
     [](const CpuDelta& d) { return pdh_detail::share(d.softirq, d.total); }},
    {"Interrupts/sec", CpuSource::Interrupts, false, true, true,
     [](const CpuDelta& d) { return pdh_detail::per_sec(d.interrupts, d.seconds); }},
    {"Processor Frequency", CpuSource::Frequency, false, false, true,
     [](const CpuDelta& d) { return d.frequency_mhz; }},
};

// Memory figures of one collect and the change since the one before.
struct MemorySample {
    double seconds = 0;
    double committed = 0, available = 0, cache = 0, cache_peak = 0, commit_limit = 0;  // bytes
    double page_faults = 0;  // change of pgfault
};

struct MemoryCounterDef {
    std::string_view name;
    bool needs_rate;
    double (*value)(const MemorySample&);
};

inline constexpr MemoryCounterDef kMemoryCounters[] = {
    {"Committed Bytes", false, [](const MemorySample& m) { return m.committed; }},
    {"Available Bytes", false, [](const MemorySample& m) { return m.available; }},
    {"Available MBytes", false, [](const MemorySample& m) { return m.available / 1048576.0; }},
    {"Cache Bytes", false, [](const MemorySample& m) { return m.cache; }},
    {"Cache Bytes Peak", false, [](const MemorySample& m) { return m.cache_peak; }},
    {"Commit Limit", false, [](const MemorySample& m) { return m.commit_limit; }},
    {"Page Faults/sec", true,
     [](const MemorySample& m) { return pdh_detail::per_sec(m.page_faults, m.seconds); }},
};

// I/O and processor time of one process between two collects.
struct ProcessDelta {
    double seconds = 0;
    double syscr = 0, syscw = 0, rchar = 0, wchar = 0;
    double cpu_seconds = 0;  // utime + stime
    double pid = 0;          // now
};

struct ProcessCounterDef {
    std::string_view name;
    bool from_io;  // reads /proc/PID/io, which another user's process does not show
    bool needs_rate;
    bool has_source;
    double (*value)(const ProcessDelta&);
};

// pread/pwrite show in syscr/syscw and rchar/wchar; io_uring and libaio do not.
inline constexpr ProcessCounterDef kProcessCounters[] = {
    {"IO Read Operations/sec", true, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(p.syscr, p.seconds); }},
    {"IO Write Operations/sec", true, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(p.syscw, p.seconds); }},
    {"IO Data Operations/sec", true, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(p.syscr + p.syscw, p.seconds); }},
    {"IO Other Operations/sec", true, true, false, [](const ProcessDelta&) { return 0.0; }},
    {"IO Read Bytes/sec", true, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(p.rchar, p.seconds); }},
    {"IO Write Bytes/sec", true, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(p.wchar, p.seconds); }},
    {"IO Data Bytes/sec", true, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(p.rchar + p.wchar, p.seconds); }},
    {"IO Other Bytes/sec", true, true, false, [](const ProcessDelta&) { return 0.0; }},
    {"% Processor Time", false, true, true,
     [](const ProcessDelta& p) { return pdh_detail::per_sec(100.0 * p.cpu_seconds, p.seconds); }},
    {"ID Process", false, false, true, [](const ProcessDelta& p) { return p.pid; }},
};

// Counters of objects that have no Linux source at all: they add, and read 0.
struct SourcelessCounterDef {
    PdhObject object;
    std::string_view name;
};

inline constexpr SourcelessCounterDef kSourcelessCounters[] = {
    {PdhObject::Cache, "Copy Reads/sec"},
    {PdhObject::Cache, "Pin Reads/sec"},
    {PdhObject::System, "System Calls/sec"},
};

}  // namespace bw
