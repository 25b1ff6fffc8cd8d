// The LogicalDisk object: volumes by their letter ("C:"), with free space besides the disk rates.
#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

int row(std::string_view name) {
    return find_row(kDiskCounters, name);
}

void resolve(State& state, CounterRec& c, const PdhPath& path, PdhNeeds& needs) {
    const bool total = pdh_iequals(path.instance, "_Total");
    for (const auto& volume : state.map().volumes) {
        if (!total && !pdh_iequals(LogicalInstanceName(volume), path.instance)) continue;
        c.disks.push_back({volume.kernel_name, state.whole_disk_of(volume.kernel_name)});
        c.letters.push_back(volume.letter);
        if (kDiskCounters[c.def].logical_only)
            needs.free_space[volume.letter] = volume.mount_point.string();
    }
    finish_disk_resolve(c, needs);
}

}  // namespace

const ObjectOps kLogicalDiskOps = {
    row,          resolve,         disk_value,        enumerate_disks,
    disk_percent, disk_has_source, "/proc/diskstats", true};

}  // namespace bw::pdh_query
