#pragma once

// One collect: the raw figures a query needs, read once per tick. Only the sources that the
// query's counters use are read.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/PdhSources.h"
#include "platform/sysroot.h"

namespace bw {

// What a query's counters need from a collect.
struct PdhNeeds {
    bool diskstats = false;
    std::set<std::string> diskseq;           // whole disks whose sequence number guards rates
    std::map<char, std::string> free_space;  // letter -> mount point
    bool cpu = false, interrupts = false, frequency = false;
    bool memory = false, vmstat = false;
    std::set<std::string> processes;  // process keys: lower-case name, "#n" suffix
};

struct FreeSpace {
    double available_bytes = 0, total_bytes = 0;
    bool ok = false;
};

struct ProcessSnap {
    int pid = 0;
    ProcessStat stat;
    ProcessIo io;
    bool has_io = false;
};

struct PdhSnapshot {
    bool taken = false;
    std::int64_t time_ms = 0;
    std::unordered_map<std::string, DiskStatLine> disks;
    std::unordered_map<std::string, std::string> diskseq;
    std::map<char, FreeSpace> free_space;
    std::vector<CpuTimes> cpus;  // summary line first
    std::vector<std::uint64_t> interrupts;
    double frequency_mhz = 0;
    double committed = 0, available = 0, cache = 0, commit_limit = 0;  // bytes
    bool memory_ok = false;
    double page_faults = 0;
    bool vmstat_ok = false;
    std::map<std::string, ProcessSnap> processes;  // by process key; absent = not running
};

// Image names of the processes seen by earlier scans. A PID is looked at when it first shows up
// and once more on the next scan (a freshly spawned process may not have run its exec yet);
// after that its name is taken from here, so a scan costs a listing of /proc and the new PIDs.
// Only scans in quick succession share names: a PID that ended and was handed to a new process
// between two scans far apart would otherwise keep the old name.
struct ProcessImageCache {
    struct Entry {
        std::string image;  // lower case, without ".exe"
        int looks = 0;
    };
    std::unordered_map<int, Entry> by_pid;
    std::int64_t last_scan_ms = 0;
    std::string root;  // the sysroot the names belong to
};
inline constexpr std::int64_t kProcessCacheMs = 3000;

// PID and lower-case instance name of every process, in PID order.
std::vector<std::pair<int, std::string>> ScanProcesses(const Sysroot& root,
                                                       ProcessImageCache& cache,
                                                       std::int64_t now_ms);

// Splits a process key "loadworker#1" into name and index (0 when there is no suffix).
void SplitProcessKey(const std::string& key, std::string* name, int* index);

// Reads everything `needs` asks for. `previous` gives the PIDs found last time, so a running
// process is not searched for again.
PdhSnapshot TakeSnapshot(const Sysroot& root, const PdhNeeds& needs, const PdhSnapshot& previous,
                         std::int64_t now_ms, ProcessImageCache& images);

}  // namespace bw
