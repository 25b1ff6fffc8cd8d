#include "platform/PdhSnapshot.h"

#include <dirent.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>

namespace bw {

namespace {

void read_disks(const Sysroot& root, const PdhNeeds& needs, PdhSnapshot& s) {
    if (auto text = root.read("/proc/diskstats"))
        for (auto& line : ParseDiskStats(*text)) s.disks.emplace(line.name, std::move(line));
    for (const auto& disk : needs.diskseq)
        s.diskseq[disk] = root.read_line("/sys/block/" + disk + "/diskseq");
}

void read_free_space(const Sysroot& root, const PdhNeeds& needs, PdhSnapshot& s) {
    for (const auto& [letter, mount] : needs.free_space) {
        struct statvfs st {};
        FreeSpace f;
        if (::statvfs(root.path(mount).c_str(), &st) == 0) {
            f.available_bytes = static_cast<double>(st.f_bavail) * st.f_frsize;
            f.total_bytes = static_cast<double>(st.f_blocks) * st.f_frsize;
            f.ok = true;
        }
        s.free_space[letter] = f;
    }
}

double read_frequency(const Sysroot& root) {
    const std::string khz = root.read_line("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq");
    if (!khz.empty()) return std::strtod(khz.c_str(), nullptr) / 1000.0;
    // No cpufreq (virtual machines): the first "cpu MHz" of /proc/cpuinfo.
    if (auto info = root.read("/proc/cpuinfo")) {
        const size_t at = info->find("cpu MHz");
        if (at != std::string::npos) {
            const size_t colon = info->find(':', at);
            if (colon != std::string::npos) return std::strtod(info->c_str() + colon + 1, nullptr);
        }
    }
    return 0;
}

void read_memory(const Sysroot& root, PdhSnapshot& s) {
    const auto text = root.read("/proc/meminfo");
    if (!text) return;
    const auto kb = [&](std::string_view key) {
        return static_cast<double>(FindStatValue(*text, key).value_or(0)) * 1024.0;
    };
    s.committed = kb("Committed_AS");
    s.available = kb("MemAvailable");
    s.cache = kb("Cached") + kb("Buffers");
    s.commit_limit = kb("CommitLimit");
    s.memory_ok = true;
}

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool read_process(const Sysroot& root, int pid, ProcessSnap& out) {
    const std::string dir = "/proc/" + std::to_string(pid);
    const auto stat = ReadProcessStat(root, pid);
    if (!stat) return false;
    out.pid = pid;
    out.stat = *stat;
    if (auto io_text = root.read(dir + "/io"))
        if (auto io = ParseProcessIo(*io_text)) {
            out.io = *io;
            out.has_io = true;
        }
    return true;
}

void read_processes(const Sysroot& root, const PdhNeeds& needs, const PdhSnapshot& previous,
                    PdhSnapshot& s, ProcessImageCache& images) {
    // The process table is scanned at most once per collect, and only when a wanted process is
    // not where it was last time.
    std::vector<std::pair<int, std::string>> table;
    bool scanned = false;
    for (const auto& key : needs.processes) {
        auto prev = previous.processes.find(key);
        if (prev != previous.processes.end()) {
            ProcessSnap snap;
            if (read_process(root, prev->second.pid, snap) &&
                snap.stat.start_time == prev->second.stat.start_time) {
                s.processes[key] = snap;
                continue;
            }
            images.by_pid.erase(prev->second.pid);  // ended, or its PID went to another process
        }
        if (!scanned) {
            scanned = true;
            table = ScanProcesses(root, images, s.time_ms);
        }
        std::string name;
        int index = 0;
        SplitProcessKey(key, &name, &index);
        int seen = 0;
        for (const auto& [pid, image] : table) {
            if (image != name) continue;
            if (seen++ != index) continue;
            ProcessSnap snap;
            if (read_process(root, pid, snap)) s.processes[key] = snap;
            break;
        }
    }
}

}  // namespace

std::vector<std::pair<int, std::string>> ScanProcesses(const Sysroot& root,
                                                       ProcessImageCache& cache,
                                                       std::int64_t now_ms) {
    if (now_ms - cache.last_scan_ms > kProcessCacheMs || cache.root != root.root().string())
        cache.by_pid.clear();
    cache.last_scan_ms = now_ms;
    cache.root = root.root().string();
    std::vector<std::pair<int, std::string>> table;
    std::unordered_map<int, ProcessImageCache::Entry> still_there;
    if (DIR* dir = ::opendir(root.path("/proc").c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const char* n = e->d_name;
            if (*n < '1' || *n > '9') continue;
            const int pid = std::atoi(n);
            auto& entry = still_there[pid];
            if (auto known = cache.by_pid.find(pid); known != cache.by_pid.end())
                entry = known->second;
            if (entry.looks < 2) {
                const std::string image = ProcessImageName(root, pid);
                if (image.empty()) {
                    still_there.erase(pid);  // gone in between
                    continue;
                }
                entry.image = lower(ProcessInstanceName(image));
                ++entry.looks;
            }
            table.emplace_back(pid, entry.image);
        }
        ::closedir(dir);
    }
    cache.by_pid = std::move(still_there);
    std::sort(table.begin(), table.end());
    return table;
}

void SplitProcessKey(const std::string& key, std::string* name, int* index) {
    const size_t hash = key.rfind('#');
    *index = 0;
    *name = key;
    if (hash == std::string::npos || hash + 1 >= key.size()) return;
    const std::string digits = key.substr(hash + 1);
    if (!std::all_of(digits.begin(), digits.end(), ::isdigit) || digits.size() > 6) return;
    *name = key.substr(0, hash);
    *index = std::atoi(digits.c_str());
}

PdhSnapshot TakeSnapshot(const Sysroot& root, const PdhNeeds& needs, const PdhSnapshot& previous,
                         std::int64_t now_ms, ProcessImageCache& images) {
    PdhSnapshot s;
    s.taken = true;
    s.time_ms = now_ms;
    if (needs.diskstats) read_disks(root, needs, s);
    if (!needs.free_space.empty()) read_free_space(root, needs, s);
    if (needs.cpu)
        if (auto text = root.read("/proc/stat")) s.cpus = ParseProcStat(*text);
    if (needs.interrupts)
        if (auto text = root.read("/proc/interrupts")) s.interrupts = ParseInterrupts(*text);
    if (needs.frequency) s.frequency_mhz = read_frequency(root);
    if (needs.memory) read_memory(root, s);
    if (needs.vmstat)
        if (auto text = root.read("/proc/vmstat"))
            if (auto v = FindStatValue(*text, "pgfault")) {
                s.page_faults = static_cast<double>(*v);
                s.vmstat_ok = true;
            }
    if (!needs.processes.empty()) read_processes(root, needs, previous, s, images);
    return s;
}

}  // namespace bw
