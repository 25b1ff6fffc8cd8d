// The query core: handles of queries and counters, paths parsed and checked, collects, values
// dispatched to the counter object they belong to (one file per object: PdhMemory.cpp,
// PdhPhysicalDisk.cpp, PdhLogicalDisk.cpp, PdhProcessor.cpp, PdhProcess.cpp, PdhSourceless.cpp).
#include "platform/PdhQuery.h"

#include <unistd.h>

#include <algorithm>

#include "platform/KernelSwitches.h"
#include "platform/PdhQueryCore.h"
#include "platform/clock.h"

namespace bw {

using namespace pdh_query;

namespace {

const PdhObjectDef* find_object(std::string_view name) {
    for (const auto& o : kPdhObjects)
        if (pdh_iequals(o.name, name)) return &o;
    return nullptr;
}

bool is_sourceless(PdhObject object, std::string_view name) {
    for (const auto& row : kSourcelessCounters)
        if (row.object == object && pdh_iequals(row.name, name)) return true;
    return false;
}

}  // namespace

struct PdhLibrary::Impl : State {
    std::map<PdhHandle, QueryRec> queries;
    std::map<PdhHandle, CounterRec> counters;
    PdhHandle next_handle = 1;

    PdhHandle new_handle() {
        if (next_handle == 0) next_handle = 1;
        return next_handle++;
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
            const auto iostats = root.read_line(
                KernelSwitches::path_of(KernelSwitch::DiskStatistics, disk.kernel_name));
            if (iostats == "0" && root.exists(dir + "/mq"))
                frozen_cache.push_back(disk.kernel_name);
        }
        frozen_checked_ms = now;
        frozen_valid = true;
        return frozen_cache;
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
    const ObjectOps& ops = ops_of(object->object);

    CounterRec c;
    c.query = query;
    c.object = object->object;
    c.def = ops.row(path->counter);
    if (c.def < 0 && !is_sourceless(c.object, path->counter)) return kPdhNoCounter;
    // The object's source must be there.
    if (!ops.source.empty() && !impl_->root.exists(ops.source)) return kPdhNoSource;
    if (ops.counts_disks && !impl_->frozen().empty()) return kPdhCountersFrozen;

    if (c.def >= 0) ops.resolve(*impl_, c, *path, q->second.needs);
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
    const auto q =
        c == impl_->counters.end() ? impl_->queries.end() : impl_->queries.find(c->second.query);
    if (q == impl_->queries.end()) {
        st = kPdhInvalidHandle;
        return 0;
    }
    const CounterRec& rec = c->second;
    if (!q->second.cur.taken) {
        st = kPdhNoData;
        return 0;
    }
    if (rec.def < 0) return 0;  // no Linux source
    if (!rec.resolved) {
        st = kPdhNoInstance;
        return 0;
    }
    const ObjectOps& ops = ops_of(rec.object);
    const double v = ops.value(q->second, rec, st);
    return cap100 && ops.percent(rec.def) ? std::clamp(v, 0.0, 100.0) : v;
}

PdhStatus PdhLibrary::EnumObjectItems(std::string_view machine, std::string_view object_name,
                                      std::string* counters, std::string* instances) {
    if (!impl_->machine_ok(machine)) return kPdhNoMachine;
    const PdhObjectDef* object = find_object(object_name);
    if (!object) return kPdhNoObject;
    std::string names, items;
    const PdhStatus status = ops_of(object->object).enumerate(*impl_, object->object, names, items);
    if (status != kPdhOk) return status;
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
    const ObjectOps& ops = ops_of(object->object);
    const int row = ops.row(counter);
    return row >= 0 && ops.has_source(row);
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
