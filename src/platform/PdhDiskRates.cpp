// What the two disk objects share: rates from /proc/diskstats between two collects, free space
// from statvfs, their counter names and instance lists.
#include <algorithm>

#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

std::uint32_t ms32(std::uint64_t now, std::uint64_t before) {
    return static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(before);
}

// Change of one device between the query's two collects; false when there is no rate yet.
bool disk_delta(const QueryRec& q, const DiskRef& ref, DiskDelta& d, PdhStatus& status) {
    const auto cur = q.cur.disks.find(ref.name);
    if (cur == q.cur.disks.end()) {
        status = kPdhNoInstance;
        return false;
    }
    d.in_flight += cur->second.f[8];
    const auto prev = q.prev.taken ? q.prev.disks.find(ref.name) : q.prev.disks.end();
    if (prev == q.prev.disks.end()) {
        status = kPdhInvalidData;
        return false;
    }
    const auto& a = prev->second.f;
    const auto& b = cur->second.f;
    // A re-attached device (new sequence number) or counts that went back (reset, a new
    // device of the same name) start the rate over.
    const auto seq_prev = q.prev.diskseq.find(ref.whole_disk);
    const auto seq_cur = q.cur.diskseq.find(ref.whole_disk);
    const bool seq_changed = seq_prev != q.prev.diskseq.end() && seq_cur != q.cur.diskseq.end() &&
                             seq_prev->second != seq_cur->second;
    if (seq_changed || b[0] < a[0] || b[2] < a[2] || b[4] < a[4] || b[6] < a[6]) {
        status = kPdhInvalidData;
        return false;
    }
    d.reads += b[0] - a[0];
    d.read_sectors += b[2] - a[2];
    d.writes += b[4] - a[4];
    d.write_sectors += b[6] - a[6];
    // The time fields are 32-bit milliseconds in the kernel's output and wrap.
    d.read_ms += ms32(b[3], a[3]);
    d.write_ms += ms32(b[7], a[7]);
    d.io_ms += ms32(b[9], a[9]);
    return true;
}

double free_space_value(const QueryRec& q, const CounterRec& c, DiskDelta& d, PdhStatus& status) {
    double avail = 0, total = 0;
    bool any = false;
    for (char letter : c.letters) {
        const auto f = q.cur.free_space.find(letter);
        if (f == q.cur.free_space.end() || !f->second.ok) continue;
        avail += f->second.available_bytes;
        total += f->second.total_bytes;
        any = true;
    }
    if (!any) {
        status = kPdhNoInstance;
        return 0;
    }
    d.free_mb = avail / 1048576.0;
    d.free_percent = total > 0 ? 100.0 * avail / total : 0;
    return kDiskCounters[c.def].value(d);
}

}  // namespace

std::string State::whole_disk_of(const std::string& device) const {
    const auto disks = BackingDisks(root, device);
    return disks.size() == 1 ? disks[0] : device;
}

void finish_disk_resolve(CounterRec& c, PdhNeeds& needs) {
    if (c.disks.empty()) {
        c.resolved = false;
        return;
    }
    if (!(c.object == PdhObject::LogicalDisk && kDiskCounters[c.def].logical_only)) {
        needs.diskstats = true;
        for (const auto& d : c.disks) needs.diskseq.insert(d.whole_disk);
    }
}

double disk_value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
    const auto& def = kDiskCounters[c.def];
    DiskDelta d;
    d.seconds = (q.cur.time_ms - q.prev.time_ms) / 1000.0;
    if (def.logical_only) return free_space_value(q, c, d, status);
    int valid = 0;
    PdhStatus first_failure = kPdhOk;
    for (const auto& ref : c.disks) {
        PdhStatus s = kPdhOk;
        if (disk_delta(q, ref, d, s))
            ++valid;
        else if (first_failure == kPdhOk)
            first_failure = s;
    }
    if (!def.needs_rate) {
        if (first_failure == kPdhNoInstance && c.disks.size() == 1) status = kPdhNoInstance;
        return def.value(d);
    }
    if (valid == 0) {
        status = first_failure == kPdhOk ? kPdhInvalidData : first_failure;
        return 0;
    }
    d.instances = valid;
    return def.value(d);
}

PdhStatus enumerate_disks(State& state, PdhObject object, std::string& names, std::string& items) {
    if (!state.root.exists("/proc/diskstats")) return kPdhNoSource;
    const bool logical = object == PdhObject::LogicalDisk;
    for (const auto& row : kDiskCounters)
        if (logical || !row.logical_only) append_list(names, row.name);
    if (logical)
        for (const auto& v : state.map().volumes) append_list(items, LogicalInstanceName(v));
    else
        for (const auto& d : state.map().disks) append_list(items, PhysicalInstanceName(d));
    append_list(items, "_Total");
    return kPdhOk;
}

bool disk_percent(int row) {
    return kDiskCounters[row].percent;
}
bool disk_has_source(int row) {
    return kDiskCounters[row].has_source;
}

}  // namespace bw::pdh_query
