// The Process object: one instance per image name ("LoadWorker", a second one "LoadWorker#1"),
// I/O from /proc/PID/io and processor time from /proc/PID/stat.
#include <unistd.h>

#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

int row(std::string_view name) {
    return find_row(kProcessCounters, name);
}

void resolve(State&, CounterRec& c, const PdhPath& path, PdhNeeds& needs) {
    c.process = lower(path.instance);
    if (c.process.size() > 4 && c.process.ends_with(".exe")) c.process.resize(c.process.size() - 4);
    needs.processes.insert(c.process);
}

double value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
    const auto& def = kProcessCounters[c.def];
    const auto cur = q.cur.processes.find(c.process);
    if (cur == q.cur.processes.end()) {
        status = kPdhNoInstance;  // not running (any more)
        return 0;
    }
    ProcessDelta d;
    d.seconds = (q.cur.time_ms - q.prev.time_ms) / 1000.0;
    d.pid = cur->second.pid;
    if (!def.needs_rate) return def.value(d);
    const auto prev = q.prev.processes.find(c.process);
    // Another process under the same name starts its rate over.
    if (prev == q.prev.processes.end() || prev->second.pid != cur->second.pid ||
        prev->second.stat.start_time != cur->second.stat.start_time) {
        status = kPdhInvalidData;
        return 0;
    }
    const auto& a = prev->second;
    const auto& b = cur->second;
    if (def.has_source && def.from_io && !(a.has_io && b.has_io)) {
        status = kPdhNoSource;  // /proc/PID/io of another user's process
        return 0;
    }
    const auto diff = [](std::uint64_t now, std::uint64_t before) {
        return now >= before ? static_cast<double>(now - before) : 0.0;
    };
    d.syscr = diff(b.io.syscr, a.io.syscr);
    d.syscw = diff(b.io.syscw, a.io.syscw);
    d.rchar = diff(b.io.rchar, a.io.rchar);
    d.wchar = diff(b.io.wchar, a.io.wchar);
    static const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    d.cpu_seconds = diff(b.stat.utime + b.stat.stime, a.stat.utime + a.stat.stime) / ticks;
    return def.value(d);
}

PdhStatus enumerate(State& state, PdhObject, std::string& names, std::string& items) {
    if (!state.root.is_dir("/proc")) return kPdhNoSource;
    for (const auto& r : kProcessCounters) append_list(names, r.name);
    // Several processes of one name are told apart as name, name#1, name#2, ...
    std::map<std::string, int> seen;
    for (const auto& entry : state.root.list("/proc")) {
        int pid = 0;
        if (!parse_int(entry, &pid) || pid == 0) continue;
        const std::string image = ProcessImageName(state.root, pid);
        if (image.empty()) continue;
        const std::string name = ProcessInstanceName(image);
        const int n = seen[lower(name)]++;
        append_list(items, n == 0 ? name : name + "#" + std::to_string(n));
    }
    return kPdhOk;
}

bool has_source(int r) {
    return kProcessCounters[r].has_source;
}

}  // namespace

const ObjectOps kProcessOps = {row, resolve, value, enumerate, never, has_source, "/proc", false};

}  // namespace bw::pdh_query
