// The PhysicalDisk object: whole disks, named "0 C: D:" or by their number alone.
#include <algorithm>

#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

int row(std::string_view name) {
    const int r = find_row(kDiskCounters, name);
    return r >= 0 && kDiskCounters[r].logical_only ? -1 : r;  // free space is a volume's
}

void resolve(State& state, CounterRec& c, const PdhPath& path, PdhNeeds& needs) {
    const bool total = pdh_iequals(path.instance, "_Total");
    for (const auto& disk : state.map().disks) {
        int number = -1;
        const bool by_number = parse_int(path.instance, &number) && number == disk.index;
        if (!total && !by_number && !pdh_iequals(PhysicalInstanceName(disk), path.instance))
            continue;
        // A disk the inventory lists twice is still one disk: count its I/O once.
        if (std::none_of(c.disks.begin(), c.disks.end(),
                         [&](const auto& d) { return d.name == disk.kernel_name; }))
            c.disks.push_back({disk.kernel_name, disk.kernel_name});
    }
    finish_disk_resolve(c, needs);
}

}  // namespace

const ObjectOps kPhysicalDiskOps = {
    row,          resolve,         disk_value,        enumerate_disks,
    disk_percent, disk_has_source, "/proc/diskstats", true};

}  // namespace bw::pdh_query
