#include "platform/PdhSources.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include <unistd.h>

#include "platform/PdhPath.h"

namespace bw {

namespace {

// Splits a line into blank-separated words without copying.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j > i) out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

bool to_u64(std::string_view s, std::uint64_t& v) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size();
}

// Calls fn(line) for every line of text.
template <class Fn>
void for_lines(std::string_view text, Fn fn) {
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        fn(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
}

std::string_view strip_exe(std::string_view name) {
    if (name.size() > 4 && pdh_iequals(name.substr(name.size() - 4), ".exe")) name.remove_suffix(4);
    return name;
}

}  // namespace

inline constexpr std::uint64_t kMaxProcessors = 1 << 16;

std::vector<DiskStatLine> ParseDiskStats(std::string_view text) {
    std::vector<DiskStatLine> out;
    for_lines(text, [&](std::string_view line) {
        const auto w = words(line);
        if (w.size() < 14) return;  // major minor name + at least 11 fields
        DiskStatLine d;
        d.name = std::string(w[2]);
        for (size_t i = 3; i < w.size() && i - 3 < d.f.size(); ++i)
            if (!to_u64(w[i], d.f[i - 3])) return;
        out.push_back(std::move(d));
    });
    return out;
}

std::vector<CpuTimes> ParseProcStat(std::string_view text) {
    std::vector<CpuTimes> out;
    for_lines(text, [&](std::string_view line) {
        if (line.substr(0, 3) != "cpu") return;
        const auto w = words(line);
        if (w.size() < 5) return;
        CpuTimes t;
        if (w[0].size() > 3) {
            std::uint64_t n = 0;
            if (!to_u64(w[0].substr(3), n) || n >= kMaxProcessors) return;
            t.cpu = static_cast<int>(n);
        }
        std::uint64_t* fields[] = {&t.user,   &t.nice, &t.system,  &t.idle,
                                   &t.iowait, &t.irq,  &t.softirq, &t.steal};
        for (size_t i = 0; i < 8 && i + 1 < w.size(); ++i) to_u64(w[i + 1], *fields[i]);
        out.push_back(t);
    });
    return out;
}

std::vector<std::uint64_t> ParseInterrupts(std::string_view text) {
    std::vector<std::uint64_t> per_cpu;
    std::vector<int> columns;  // processor number of each column
    bool header = true;
    for_lines(text, [&](std::string_view line) {
        const auto w = words(line);
        if (header) {
            header = false;
            for (auto word : w) {
                std::uint64_t n = 0;
                // A damaged header must not make the table huge.
                if (word.substr(0, 3) == "CPU" && to_u64(word.substr(3), n) && n < kMaxProcessors)
                    columns.push_back(static_cast<int>(n));
            }
            if (!columns.empty())
                per_cpu.assign(*std::max_element(columns.begin(), columns.end()) + 1, 0);
            return;
        }
        // "  0:  12  34  IO-APIC ..." or "ERR:  0": counts follow the label, one per column.
        for (size_t i = 1; i < w.size() && i - 1 < columns.size(); ++i) {
            std::uint64_t n = 0;
            if (!to_u64(w[i], n)) break;
            per_cpu[columns[i - 1]] += n;
        }
    });
    return per_cpu;
}

std::optional<std::uint64_t> FindStatValue(std::string_view text, std::string_view key) {
    std::optional<std::uint64_t> found;
    for_lines(text, [&](std::string_view line) {
        if (found || line.size() <= key.size() || line.compare(0, key.size(), key) != 0) return;
        std::string_view rest = line.substr(key.size());
        if (rest.front() == ':')
            rest.remove_prefix(1);
        else if (rest.front() != ' ')
            return;  // "pgfault" must not match "pgfaults"
        const auto w = words(rest);
        std::uint64_t v = 0;
        if (!w.empty() && to_u64(w[0], v)) found = v;
    });
    return found;
}

std::optional<ProcessStat> ParseProcessStat(std::string_view text) {
    // The name in parentheses may hold blanks and ')': the fields start after the last ')'.
    const size_t close = text.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    const auto w = words(text.substr(close + 1));
    // w[0] is field 3 (state); utime, stime, starttime are fields 14, 15, 22.
    if (w.size() < 20) return std::nullopt;
    ProcessStat s;
    if (!to_u64(w[11], s.utime) || !to_u64(w[12], s.stime) || !to_u64(w[19], s.start_time))
        return std::nullopt;
    return s;
}

std::optional<ProcessStat> ReadProcessStat(const Sysroot& root, int pid) {
    const auto text = root.read("/proc/" + std::to_string(pid) + "/stat");
    return text ? ParseProcessStat(*text) : std::nullopt;
}

std::optional<ProcessIo> ParseProcessIo(std::string_view text) {
    ProcessIo io;
    struct Field {
        std::string_view key;
        std::uint64_t ProcessIo::*member;
    };
    static constexpr Field kFields[] = {{"rchar", &ProcessIo::rchar},
                                        {"wchar", &ProcessIo::wchar},
                                        {"syscr", &ProcessIo::syscr},
                                        {"syscw", &ProcessIo::syscw}};
    for (const auto& field : kFields) {
        auto v = FindStatValue(text, field.key);
        if (!v) return std::nullopt;
        io.*field.member = *v;
    }
    return io;
}

std::string ProcessImageName(const Sysroot& root, int pid) {
    const std::string dir = "/proc/" + std::to_string(pid);
    char target[4096];
    const ssize_t n = ::readlink(root.path(dir + "/exe").c_str(), target, sizeof target - 1);
    if (n > 0) {
        std::string_view name(target, static_cast<size_t>(n));
        // A replaced executable reads "/path/name (deleted)".
        static constexpr std::string_view kDeleted = " (deleted)";
        if (name.size() > kDeleted.size() && name.ends_with(kDeleted))
            name.remove_suffix(kDeleted.size());
        const size_t slash = name.rfind('/');
        return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
    }
    // Another user's process hides its executable but shows its comm, the first 15 characters of
    // the name ("LOADWorker2.exe" fits); kernel threads have only a comm.
    return root.read_line(dir + "/comm");
}

std::string ProcessInstanceName(std::string_view image) {
    return std::string(strip_exe(image));
}

std::vector<int> FindProcesses(const Sysroot& root, std::string_view image) {
    std::vector<int> pids;
    const std::string_view want = strip_exe(image);
    for (const auto& entry : root.list("/proc")) {
        std::uint64_t pid = 0;
        if (!to_u64(entry, pid) || pid == 0) continue;
        const std::string name = ProcessImageName(root, static_cast<int>(pid));
        if (!name.empty() && pdh_iequals(strip_exe(name), want))
            pids.push_back(static_cast<int>(pid));
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

}  // namespace bw
