#pragma once

// Parsers of the kernel's statistics files that feed the counters. Each takes the file's text
// (read through a Sysroot by the caller) so that tests can hand in any sequence of captures.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

// One line of /proc/diskstats. f[0] is field 1 (reads completed) ... f[10] field 11 (weighted
// ms); fields 12-17 (discard, flush) are kept when the kernel writes them.
struct DiskStatLine {
    std::string name;
    std::array<std::uint64_t, 17> f{};
};
std::vector<DiskStatLine> ParseDiskStats(std::string_view text);

// Processor times of one "cpu" line of /proc/stat, in clock ticks.
struct CpuTimes {
    int cpu = -1;  // -1 for the summary line
    std::uint64_t user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0,
                  steal = 0;
    std::uint64_t total() const {
        return user + nice + system + idle + iowait + irq + softirq + steal;
    }
    std::uint64_t idle_all() const { return idle + iowait; }
};
// The summary line first (cpu == -1), then one entry per "cpuN" line.
std::vector<CpuTimes> ParseProcStat(std::string_view text);

// Interrupts per processor summed over every source of /proc/interrupts, indexed by processor
// number (the header names the processors of the columns).
std::vector<std::uint64_t> ParseInterrupts(std::string_view text);

// The number after `key` in /proc/meminfo ("MemAvailable:  123 kB" -> 123, the unit left to the
// caller) or /proc/vmstat ("pgfault 123").
std::optional<std::uint64_t> FindStatValue(std::string_view text, std::string_view key);

// /proc/PID/stat: the fields a counter needs.
struct ProcessStat {
    std::uint64_t utime = 0, stime = 0;  // clock ticks
    std::uint64_t start_time = 0;        // ticks after boot: tells a reused PID apart
};
std::optional<ProcessStat> ParseProcessStat(std::string_view text);
// /proc/PID/stat of a running process; nullopt when it ended or cannot be read.
std::optional<ProcessStat> ReadProcessStat(const Sysroot& root, int pid);

// /proc/PID/io.
struct ProcessIo {
    std::uint64_t rchar = 0, wchar = 0, syscr = 0, syscw = 0;
};
std::optional<ProcessIo> ParseProcessIo(std::string_view text);

// Image name of a process: the file name of /proc/PID/exe, or its comm when the link cannot be
// read (another user's process); "" when the process is gone.
std::string ProcessImageName(const Sysroot& root, int pid);

// PIDs whose image name is `image` (compared without case; a missing ".exe" on either side is
// ignored, so "LoadWorker" finds LOADWorker.exe), in ascending order.
std::vector<int> FindProcesses(const Sysroot& root, std::string_view image);

// Image name without a trailing ".exe" (the form process instances are named by).
std::string ProcessInstanceName(std::string_view image);

}  // namespace bw
