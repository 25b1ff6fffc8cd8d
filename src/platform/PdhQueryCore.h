#pragma once

// Inside the counter layer: the records of queries and counters, the library's state, and what
// each counter object contributes (its counter rows, how an instance is resolved, how a value is
// computed, its instance list). One file per object implements its part; PdhQuery.cpp holds the
// query core that dispatches to them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PdhCounterDefs.h"
#include "platform/PdhDiskMap.h"
#include "platform/PdhPath.h"
#include "platform/PdhSnapshot.h"
#include "platform/PdhTypes.h"
#include "platform/sysroot.h"

namespace bw::pdh_query {

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

// What the library knows beyond its queries and counters.
struct State {
    Sysroot root;
    std::string computer;
    std::optional<CounterDiskMap> disk_map;
    std::vector<std::string> frozen_cache;
    std::int64_t frozen_checked_ms = 0;
    bool frozen_valid = false;

    const CounterDiskMap& map() {
        if (!disk_map) disk_map = DefaultCounterDiskMap(root);
        return *disk_map;
    }
    // The one whole disk beneath a device, else the device itself.
    std::string whole_disk_of(const std::string& device) const;
};

// What one counter object (or a family of them, like the two processor objects) contributes.
struct ObjectOps {
    // Row of a counter name in the object's table; -1 when the object has no such counter.
    int (*row)(std::string_view counter);
    // Fills the instance part of a counter and what its query must read.
    void (*resolve)(State& state, CounterRec& c, const PdhPath& path, PdhNeeds& needs);
    // Value of a resolved counter from the query's last two collects.
    double (*value)(const QueryRec& q, const CounterRec& c, PdhStatus& status);
    // Counter names and instance names, each followed by a NUL.
    PdhStatus (*enumerate)(State& state, PdhObject object, std::string& names, std::string& items);
    bool (*percent)(int row);     // held to 0..100 when read
    bool (*has_source)(int row);  // false: reads 0 on Linux
    std::string_view source;      // must exist before a counter is added ("" when none)
    bool counts_disks;            // refused while a disk's statistics are switched off
};

extern const ObjectOps kMemoryOps, kPhysicalDiskOps, kLogicalDiskOps, kProcessorOps, kProcessOps,
    kSourcelessOps;
const ObjectOps& ops_of(PdhObject object);

// Shared by the objects.
template <class Table>
int find_row(const Table& table, std::string_view name) {
    int i = 0;
    for (const auto& row : table) {
        if (pdh_iequals(row.name, name)) return i;
        ++i;
    }
    return -1;
}
std::string lower(std::string_view s);
bool parse_int(std::string_view s, int* out);
void append_list(std::string& list, std::string_view name);
inline bool always(int) {
    return true;
}
inline bool never(int) {
    return false;
}

// The two disk objects: what a resolved disk counter needs, and its value.
void finish_disk_resolve(CounterRec& c, PdhNeeds& needs);
double disk_value(const QueryRec& q, const CounterRec& c, PdhStatus& status);
// Counter names and instances of either disk object.
PdhStatus enumerate_disks(State& state, PdhObject object, std::string& names, std::string& items);
bool disk_percent(int row);
bool disk_has_source(int row);

}  // namespace bw::pdh_query
