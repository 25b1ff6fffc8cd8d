#include "platform/PdhQuery.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/PdhCounterDefs.h"
#include "platform/PdhPath.h"
#include "platform/PdhSnapshot.h"
#include "platform/clock.h"

namespace bw {

namespace {

// A device summed by a disk counter and the whole disk whose sequence number guards its rates.
struct DiskRef {
    std::string name, whole_disk;
};

struct CounterRec {
    PdhHandle query = 0;
    PdhObject object = PdhObject::Memory;
    int def = -1;          // row of the object's table; -1: a counter without a Linux source
    bool resolved = true;  // false: the instance does not exist
    std::vector<DiskRef> disks;
    std::vector<char> letters;
    int cpu = -1;         // -1: all processors
    std::string process;  // process key
};

struct QueryRec {
    PdhNeeds needs;
    PdhSnapshot prev, cur;
    ProcessImageCache images;
    double cache_peak = 0;
};

template <class Table>
int find_row(const Table& table, std::string_view name) {
    int i = 0;
    for (const auto& row : table) {
        if (pdh_iequals(row.name, name)) return i;
        ++i;
    }
    return -1;
}

const PdhObjectDef* find_object(std::string_view name) {
    for (const auto& o : kPdhObjects)
        if (pdh_iequals(o.name, name)) return &o;
    return nullptr;
}

int find_sourceless(PdhObject object, std::string_view name) {
    int i = 0;
    for (const auto& row : kSourcelessCounters) {
        if (row.object == object && pdh_iequals(row.name, name)) return i;
        ++i;
    }
    return -1;
}

// Row of the counter in its object's table (-1: unknown).
int counter_row(PdhObject object, std::string_view name) {
    switch (object) {
        case PdhObject::Memory:
            return find_row(kMemoryCounters, name);
        case PdhObject::PhysicalDisk: {
            const int row = find_row(kDiskCounters, name);
            return row >= 0 && kDiskCounters[row].logical_only ? -1 : row;
        }
        case PdhObject::LogicalDisk:
            return find_row(kDiskCounters, name);
        case PdhObject::Process:
            return find_row(kProcessCounters, name);
        case PdhObject::ProcessorInformation:
        case PdhObject::Processor:
            return find_row(kCpuCounters, name);
        case PdhObject::Cache:
        case PdhObject::System:
            return -1;
    }
    return -1;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool parse_int(std::string_view s, int* out) {
    if (s.empty() || s.size() > 6) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

void append_list(std::string& list, std::string_view name) {
    list += name;
    list += '\0';
}

std::uint32_t ms32(std::uint64_t now, std::uint64_t before) {
    return static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(before);
}

}  // namespace

struct PdhLibrary::Impl {
    Sysroot root;
    std::string computer;
    std::optional<CounterDiskMap> disk_map;
    std::map<PdhHandle, QueryRec> queries;
    std::map<PdhHandle, CounterRec> counters;
    PdhHandle next_handle = 1;
    std::vector<std::string> frozen_cache;
    std::int64_t frozen_checked_ms = 0;
    bool frozen_valid = false;

    PdhHandle new_handle() {
        if (next_handle == 0) next_handle = 1;
        return next_handle++;
    }

    const CounterDiskMap& map() {
        if (!disk_map) disk_map = DefaultCounterDiskMap(root);
        return *disk_map;
    }

    bool machine_ok(std::string_view machine) const {
        return machine.empty() || machine == "." || pdh_iequals(machine, "localhost") ||
               pdh_iequals(machine, computer);
    }

    std::vector<std::string> frozen() {
        // Adding a few hundred disk counters at start-up must not read sysfs a few thousand times.
        const std::int64_t now = clock().now_ms();
        if (frozen_valid && now - frozen_checked_ms < 500) return frozen_cache;
        frozen_cache.clear();
        for (const auto& disk : map().disks) {
            const std::string dir = "/sys/block/" + disk.kernel_name;
            // Drivers that do their own accounting (zram, dm, md) keep counting at 0; only disks
            // with a request queue ("mq") honour the switch.
            if (root.read_line(dir + "/queue/iostats") == "0" && root.exists(dir + "/mq"))
                frozen_cache.push_back(disk.kernel_name);
        }
        frozen_checked_ms = now;
        frozen_valid = true;
        return frozen_cache;
    }

    std::string whole_disk_of(const std::string& device) {
        const auto disks = BackingDisks(root, device);
        return disks.size() == 1 ? disks[0] : device;
    }

    // Fills the instance part of a counter and what its query must read.
    void resolve(CounterRec& c, const PdhPath& path, PdhNeeds& needs) {
        const bool total = pdh_iequals(path.instance, "_Total");
        switch (c.object) {
            case PdhObject::Memory:
                needs.memory = true;
                if (kMemoryCounters[c.def].needs_rate) needs.vmstat = true;
                return;
            case PdhObject::PhysicalDisk: {
                for (const auto& disk : map().disks) {
                    const std::string name = PhysicalInstanceName(disk);
                    int number = -1;
                    const bool by_number =
                        parse_int(path.instance, &number) && number == disk.index;
                    if (!total && !by_number && !pdh_iequals(name, path.instance)) continue;
                    // A disk the inventory lists twice is still one disk: count its I/O once.
                    if (std::none_of(c.disks.begin(), c.disks.end(),
                                     [&](const auto& d) { return d.name == disk.kernel_name; }))
                        c.disks.push_back({disk.kernel_name, disk.kernel_name});
                }
                break;
            }
            case PdhObject::LogicalDisk:
                for (const auto& volume : map().volumes) {
                    if (!total && !pdh_iequals(LogicalInstanceName(volume), path.instance))
                        continue;
                    c.disks.push_back({volume.kernel_name, whole_disk_of(volume.kernel_name)});
                    c.letters.push_back(volume.letter);
                    if (kDiskCounters[c.def].logical_only)
                        needs.free_space[volume.letter] = volume.mount_point.string();
                }
                break;
            case PdhObject::ProcessorInformation:
            case PdhObject::Processor: {
                std::string_view inst = path.instance;
                int group = 0;
                if (c.object == PdhObject::ProcessorInformation && !total) {
                    const size_t comma = inst.find(',');
                    if (comma == std::string_view::npos ||
                        !parse_int(inst.substr(0, comma), &group)) {
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
                const auto& def = kCpuCounters[c.def];
                if (def.name == "Interrupts/sec")
                    needs.interrupts = true;
                else if (def.name == "Processor Frequency")
                    needs.frequency = true;
                else
                    needs.cpu = true;
                return;
            }
            case PdhObject::Process:
                c.process = lower(path.instance);
                if (c.process.size() > 4 && c.process.ends_with(".exe"))
                    c.process.resize(c.process.size() - 4);
                needs.processes.insert(c.process);
                return;
            case PdhObject::Cache:
            case PdhObject::System:
                return;
        }
        // Disk objects.
        if (c.disks.empty()) {
            c.resolved = false;
            return;
        }
        if (!(c.object == PdhObject::LogicalDisk && kDiskCounters[c.def].logical_only)) {
            needs.diskstats = true;
            for (const auto& d : c.disks) needs.diskseq.insert(d.whole_disk);
        }
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
        const bool seq_changed = seq_prev != q.prev.diskseq.end() &&
                                 seq_cur != q.cur.diskseq.end() &&
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

    double disk_value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
        const auto& def = kDiskCounters[c.def];
        DiskDelta d;
        d.seconds = (q.cur.time_ms - q.prev.time_ms) / 1000.0;
        if (def.logical_only) {
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
            return def.value(d);
        }
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

    double cpu_value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
        const auto& def = kCpuCounters[c.def];
        CpuDelta d;
        d.seconds = (q.cur.time_ms - q.prev.time_ms) / 1000.0;
        d.frequency_mhz = q.cur.frequency_mhz;
        if (!def.needs_rate) return def.value(d);
        if (!q.prev.taken) {
            status = kPdhInvalidData;
            return 0;
        }
        if (def.name == "Interrupts/sec") {
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
            return def.value(d);
        }
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

    double memory_value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
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

    double process_value(const QueryRec& q, const CounterRec& c, PdhStatus& status) {
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
        if (def.has_source && def.name.rfind("IO ", 0) == 0 && !(a.has_io && b.has_io)) {
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

    static bool is_percent(const CounterRec& c) {
        if (c.def < 0) return false;
        switch (c.object) {
            case PdhObject::PhysicalDisk:
            case PdhObject::LogicalDisk:
                return kDiskCounters[c.def].percent;
            case PdhObject::ProcessorInformation:
            case PdhObject::Processor:
                return kCpuCounters[c.def].percent;
            default:
                return false;
        }
    }
};

PdhLibrary::PdhLibrary(Sysroot root) : impl_(std::make_unique<Impl>()) {
    impl_->root = std::move(root);
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) impl_->computer = host;
}

PdhLibrary::~PdhLibrary() = default;

const Sysroot& PdhLibrary::sysroot() const {
    return impl_->root;
}
void PdhLibrary::set_disk_map(CounterDiskMap map) {
    impl_->disk_map = std::move(map);
    impl_->frozen_valid = false;
}
const CounterDiskMap& PdhLibrary::disk_map() {
    return impl_->map();
}
void PdhLibrary::set_computer_name(std::string name) {
    impl_->computer = std::move(name);
}
const std::string& PdhLibrary::computer_name() const {
    return impl_->computer;
}

PdhStatus PdhLibrary::OpenQuery(PdhHandle* query) {
    if (query) *query = 0;
    if (!query) return kPdhInvalidHandle;
    // Without /proc there is nothing to count.
    if (!impl_->root.exists("/proc/stat")) return kPdhNoSource;
    const PdhHandle h = impl_->new_handle();
    impl_->queries[h];
    *query = h;
    return kPdhOk;
}

PdhStatus PdhLibrary::AddCounter(PdhHandle query, std::string_view text, PdhHandle* counter) {
    if (counter) *counter = 0;
    auto q = impl_->queries.find(query);
    if (q == impl_->queries.end() || !counter) return kPdhInvalidHandle;
    const auto path = ParsePdhPath(text);
    if (!path) return kPdhInvalidPath;
    if (!impl_->machine_ok(path->machine)) return kPdhNoMachine;
    const PdhObjectDef* object = find_object(path->object);
    if (!object) return kPdhNoObject;

    CounterRec c;
    c.query = query;
    c.object = object->object;
    c.def = counter_row(c.object, path->counter);
    if (c.def < 0 && find_sourceless(c.object, path->counter) < 0) return kPdhNoCounter;

    // The object's source must be there.
    static constexpr struct {
        PdhObject object;
        std::string_view source;
    } kSources[] = {
        {PdhObject::Memory, "/proc/meminfo"},
        {PdhObject::PhysicalDisk, "/proc/diskstats"},
        {PdhObject::LogicalDisk, "/proc/diskstats"},
        {PdhObject::Process, "/proc"},
        {PdhObject::ProcessorInformation, "/proc/stat"},
        {PdhObject::Processor, "/proc/stat"},
    };
    for (const auto& s : kSources)
        if (s.object == c.object && !impl_->root.exists(s.source)) return kPdhNoSource;
    if ((c.object == PdhObject::PhysicalDisk || c.object == PdhObject::LogicalDisk) &&
        !impl_->frozen().empty())
        return kPdhCountersFrozen;

    if (c.def >= 0) impl_->resolve(c, *path, q->second.needs);
    const PdhHandle h = impl_->new_handle();
    impl_->counters.emplace(h, std::move(c));
    *counter = h;
    return kPdhOk;
}

PdhStatus PdhLibrary::CollectQueryData(PdhHandle query) {
    auto q = impl_->queries.find(query);
    if (q == impl_->queries.end()) return kPdhInvalidHandle;
    QueryRec& rec = q->second;
    PdhSnapshot next = TakeSnapshot(impl_->root, rec.needs, rec.cur, clock().now_ms(), rec.images);
    rec.prev = std::move(rec.cur);
    rec.cur = std::move(next);
    if (rec.cur.memory_ok) rec.cache_peak = std::max(rec.cache_peak, rec.cur.cache);
    return kPdhOk;
}

double PdhLibrary::CollectInterval(PdhHandle query) const {
    const auto q = impl_->queries.find(query);
    if (q == impl_->queries.end() || !q->second.prev.taken) return 0;
    return (q->second.cur.time_ms - q->second.prev.time_ms) / 1000.0;
}

double PdhLibrary::GetDoubleCounterValue(PdhHandle counter, PdhStatus* status, bool cap100) {
    PdhStatus local = kPdhOk;
    PdhStatus& st = status ? *status : local;
    st = kPdhOk;
    const auto c = impl_->counters.find(counter);
    if (c == impl_->counters.end()) {
        st = kPdhInvalidHandle;
        return 0;
    }
    const auto q = impl_->queries.find(c->second.query);
    if (q == impl_->queries.end()) {
        st = kPdhInvalidHandle;
        return 0;
    }
    const CounterRec& rec = c->second;
    const QueryRec& query = q->second;
    if (!query.cur.taken) {
        st = kPdhNoData;
        return 0;
    }
    if (rec.def < 0) return 0;  // no Linux source
    if (!rec.resolved) {
        st = kPdhNoInstance;
        return 0;
    }
    double v = 0;
    switch (rec.object) {
        case PdhObject::Memory:
            v = impl_->memory_value(query, rec, st);
            break;
        case PdhObject::PhysicalDisk:
        case PdhObject::LogicalDisk:
            v = impl_->disk_value(query, rec, st);
            break;
        case PdhObject::ProcessorInformation:
        case PdhObject::Processor:
            v = impl_->cpu_value(query, rec, st);
            break;
        case PdhObject::Process:
            v = impl_->process_value(query, rec, st);
            break;
        case PdhObject::Cache:
        case PdhObject::System:
            v = 0;
            break;
    }
    if (cap100 && Impl::is_percent(rec)) v = std::clamp(v, 0.0, 100.0);
    return v;
}

PdhStatus PdhLibrary::EnumObjectItems(std::string_view machine, std::string_view object_name,
                                      std::string* counters, std::string* instances) {
    if (!impl_->machine_ok(machine)) return kPdhNoMachine;
    const PdhObjectDef* object = find_object(object_name);
    if (!object) return kPdhNoObject;
    std::string names, items;
    const auto add_names = [&](const auto& table) {
        for (const auto& row : table) append_list(names, row.name);
    };
    switch (object->object) {
        case PdhObject::Memory:
            add_names(kMemoryCounters);
            break;
        case PdhObject::PhysicalDisk:
        case PdhObject::LogicalDisk: {
            if (!impl_->root.exists("/proc/diskstats")) return kPdhNoSource;
            const bool logical = object->object == PdhObject::LogicalDisk;
            for (const auto& row : kDiskCounters)
                if (logical || !row.logical_only) append_list(names, row.name);
            if (logical)
                for (const auto& v : impl_->map().volumes)
                    append_list(items, LogicalInstanceName(v));
            else
                for (const auto& d : impl_->map().disks)
                    append_list(items, PhysicalInstanceName(d));
            append_list(items, "_Total");
            break;
        }
        case PdhObject::ProcessorInformation:
        case PdhObject::Processor: {
            const auto text = impl_->root.read("/proc/stat");
            if (!text) return kPdhNoSource;
            add_names(kCpuCounters);
            const bool info = object->object == PdhObject::ProcessorInformation;
            for (const auto& t : ParseProcStat(*text))
                if (t.cpu >= 0)
                    append_list(items, info ? "0," + std::to_string(t.cpu) : std::to_string(t.cpu));
            if (info) append_list(items, "0,_Total");
            append_list(items, "_Total");
            break;
        }
        case PdhObject::Process: {
            if (!impl_->root.is_dir("/proc")) return kPdhNoSource;
            add_names(kProcessCounters);
            // Several processes of one name are told apart as name, name#1, name#2, ...
            std::map<std::string, int> seen;
            for (const auto& entry : impl_->root.list("/proc")) {
                int pid = 0;
                if (!parse_int(entry, &pid) || pid == 0) continue;
                const std::string image = ProcessImageName(impl_->root, pid);
                if (image.empty()) continue;
                const std::string name = ProcessInstanceName(image);
                const int n = seen[lower(name)]++;
                append_list(items, n == 0 ? name : name + "#" + std::to_string(n));
            }
            break;
        }
        case PdhObject::Cache:
        case PdhObject::System:
            for (const auto& row : kSourcelessCounters)
                if (row.object == object->object) append_list(names, row.name);
            break;
    }
    names += '\0';
    items += '\0';
    if (counters) *counters = std::move(names);
    if (instances) *instances = std::move(items);
    return kPdhOk;
}

PdhStatus PdhLibrary::CloseQuery(PdhHandle query) {
    if (impl_->queries.erase(query) == 0) return kPdhInvalidHandle;
    std::erase_if(impl_->counters, [&](const auto& kv) { return kv.second.query == query; });
    return kPdhOk;
}

std::vector<std::string> PdhLibrary::FrozenDisks() {
    impl_->frozen_valid = false;
    return impl_->frozen();
}

bool PdhLibrary::CounterHasSource(std::string_view object_name, std::string_view counter) {
    const PdhObjectDef* object = find_object(object_name);
    if (!object) return false;
    const int row = counter_row(object->object, counter);
    if (row < 0) return false;
    switch (object->object) {
        case PdhObject::PhysicalDisk:
        case PdhObject::LogicalDisk:
            return kDiskCounters[row].has_source;
        case PdhObject::Process:
            return kProcessCounters[row].has_source;
        case PdhObject::ProcessorInformation:
        case PdhObject::Processor:
            return kCpuCounters[row].has_source;
        default:
            return true;
    }
}

namespace {
PdhLibrary* g_installed = nullptr;
}

PdhLibrary& pdh() {
    if (g_installed) return *g_installed;
    static PdhLibrary live;
    return live;
}

void set_pdh(PdhLibrary* library) {
    g_installed = library;
}

}  // namespace bw
