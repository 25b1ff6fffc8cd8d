// The Processor and Processor Information objects: processor times from /proc/stat, interrupts
// from /proc/interrupts, the clock from cpufreq. Instances are "3" and "0,3" (group 0) or _Total.
#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

int row(std::string_view name) {
    return find_row(kCpuCounters, name);
}

void resolve(State&, CounterRec& c, const PdhPath& path, PdhNeeds& needs) {
    std::string_view inst = path.instance;
    int group = 0;
    if (c.object == PdhObject::ProcessorInformation && !pdh_iequals(inst, "_Total")) {
        const size_t comma = inst.find(',');
        if (comma == std::string_view::npos || !parse_int(inst.substr(0, comma), &group)) {
            c.resolved = false;
            return;
        }
        inst.remove_prefix(comma + 1);
    }
    int number = 0;
    if (pdh_iequals(inst, "_Total"))
        c.cpu = -1;
    else if (parse_int(inst, &number))
        c.cpu = group * 64 + number;
    else
        c.resolved = false;
    struct Need {
        CpuSource source;
        bool PdhNeeds::*flag;
    };
    static constexpr Need kNeeds[] = {{CpuSource::Times, &PdhNeeds::cpu},
                                      {CpuSource::Interrupts, &PdhNeeds::interrupts},
                                      {CpuSource::Frequency, &PdhNeeds::frequency}};
    for (const auto& n : kNeeds)
        if (n.source == kCpuCounters[c.def].source) needs.*n.flag = true;
}

double interrupts_value(const QueryRec& q, const CounterRec& c, CpuDelta& d, PdhStatus& status) {
    const auto count = [&](const std::vector<std::uint64_t>& v, bool& ok) {
        if (c.cpu < 0) {
            std::uint64_t sum = 0;
            for (auto n : v) sum += n;
            ok = !v.empty();
            return sum;
        }
        ok = c.cpu < static_cast<int>(v.size());
        return ok ? v[c.cpu] : 0;
    };
    bool ok_a = false, ok_b = false;
    const auto a = count(q.prev.interrupts, ok_a), b = count(q.cur.interrupts, ok_b);
    if (!ok_a || !ok_b) {
        status = ok_b ? kPdhInvalidData : kPdhNoInstance;
        return 0;
    }
    if (b < a) {
        status = kPdhInvalidData;
        return 0;
    }
    d.interrupts = static_cast<double>(b - a);
    return kCpuCounters[c.def].value(d);
}

double value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
    const auto& def = kCpuCounters[c.def];
    CpuDelta d;
    d.seconds = (q.cur.time_ms - q.prev.time_ms) / 1000.0;
    d.frequency_mhz = q.cur.frequency_mhz;
    if (!def.needs_rate) return def.value(d);
    if (!q.prev.taken) {
        status = kPdhInvalidData;
        return 0;
    }
    if (def.source == CpuSource::Interrupts) return interrupts_value(q, c, d, status);
    const auto find = [&](const std::vector<CpuTimes>& v) -> const CpuTimes* {
        for (const auto& t : v)
            if (t.cpu == c.cpu) return &t;
        return nullptr;
    };
    const CpuTimes* a = find(q.prev.cpus);
    const CpuTimes* b = find(q.cur.cpus);
    if (!b) {
        status = kPdhNoInstance;
        return 0;
    }
    if (!a || b->total() < a->total()) {
        status = kPdhInvalidData;
        return 0;
    }
    const auto diff = [](std::uint64_t now, std::uint64_t before) {
        return now >= before ? static_cast<double>(now - before) : 0.0;
    };
    d.total = diff(b->total(), a->total());
    d.idle = diff(b->idle_all(), a->idle_all());
    d.user = diff(b->user + b->nice, a->user + a->nice);
    d.system = diff(b->system, a->system);
    d.irq = diff(b->irq, a->irq);
    d.softirq = diff(b->softirq, a->softirq);
    return def.value(d);
}

PdhStatus enumerate(State& state, PdhObject object, std::string& names, std::string& items) {
    const auto text = state.root.read("/proc/stat");
    if (!text) return kPdhNoSource;
    for (const auto& r : kCpuCounters) append_list(names, r.name);
    const bool info = object == PdhObject::ProcessorInformation;
    for (const auto& t : ParseProcStat(*text))
        if (t.cpu >= 0)
            append_list(items, info ? "0," + std::to_string(t.cpu) : std::to_string(t.cpu));
    if (info) append_list(items, "0,_Total");
    append_list(items, "_Total");
    return kPdhOk;
}

bool percent(int r) {
    return kCpuCounters[r].percent;
}
bool has_source(int r) {
    return kCpuCounters[r].has_source;
}

}  // namespace

const ObjectOps kProcessorOps = {row,     resolve,    value,        enumerate,
                                 percent, has_source, "/proc/stat", false};

}  // namespace bw::pdh_query
