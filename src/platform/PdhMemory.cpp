// The Memory object: /proc/meminfo for the sizes, /proc/vmstat for the page-fault rate.
#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

int row(std::string_view name) {
    return find_row(kMemoryCounters, name);
}

void resolve(State&, CounterRec& c, const PdhPath&, PdhNeeds& needs) {
    needs.memory = true;
    if (kMemoryCounters[c.def].needs_rate) needs.vmstat = true;
}

double value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
    const auto& def = kMemoryCounters[c.def];
    if (!q.cur.memory_ok) {
        status = kPdhNoSource;
        return 0;
    }
    MemorySample m;
    m.seconds = (q.cur.time_ms - q.prev.time_ms) / 1000.0;
    m.committed = q.cur.committed;
    m.available = q.cur.available;
    m.cache = q.cur.cache;
    m.cache_peak = q.cache_peak;
    m.commit_limit = q.cur.commit_limit;
    if (def.needs_rate) {
        if (!q.prev.taken || !q.prev.vmstat_ok || !q.cur.vmstat_ok ||
            q.cur.page_faults < q.prev.page_faults) {
            status = kPdhInvalidData;
            return 0;
        }
        m.page_faults = q.cur.page_faults - q.prev.page_faults;
    }
    return def.value(m);
}

PdhStatus enumerate(State&, PdhObject, std::string& names, std::string&) {
    for (const auto& r : kMemoryCounters) append_list(names, r.name);
    return kPdhOk;
}

}  // namespace

const ObjectOps kMemoryOps = {row,   resolve, value,           enumerate,
                              never, always,  "/proc/meminfo", false};

}  // namespace bw::pdh_query
