// CounterPhysicalDisk: the physical-disk list and group.
#include "counters/CounterAdd.h"
#include "counters/Counters.h"

namespace bw {

void ListPhysicalDisks() {
    CounterState& s = counters();
    s.PhysicalList = counter_detail::list_instances("PhysicalDisk", 2, 0);
    s.PhysicalDiskLast = static_cast<int>(s.PhysicalList.size()) - 1;
}

void AddPhysicalDiskCounters() {
    counter_detail::open_shared_query();
    CounterState& s = counters();
    s.PhysicalDiskCounters.assign(s.PhysicalList.size(), {});
    for (size_t row = 0; row < s.PhysicalList.size(); ++row)
        for (size_t i = 0; i < kPhysicalDiskCounterNames.size(); ++i)
            s.PhysicalDiskCounters[row][i] =
                counter_detail::add_counter("\\PhysicalDisk(" + s.PhysicalList[row] + ")\\" +
                                            std::string(kPhysicalDiskCounterNames[i]));
    s.PhysicalDiskLast = static_cast<int>(s.PhysicalList.size()) - 1;
}

}  // namespace bw
