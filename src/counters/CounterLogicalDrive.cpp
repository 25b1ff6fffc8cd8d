// CounterLogicalDrive: the logical-disk list, group and probe.
#include "counters/CounterAdd.h"
#include "counters/Counters.h"
#include "platform/PdhQuery.h"

namespace bw {

void ListLogicalDisks() {
    CounterState& s = counters();
    // Only drive letters ("C:"); volumes without a letter are not listed.
    s.LogicalList = counter_detail::list_instances("LogicalDisk", 0, 2);
    s.LogicalDiskLast = static_cast<int>(s.LogicalList.size()) - 1;
}

void AddLogicalDiskCounters() {
    CounterState& s = counters();
    const size_t rows =
        s.LogicalDiskLast < 0 ? 0 : std::min<size_t>(s.LogicalDiskLast + 1, s.LogicalList.size());
    s.LogicalDiskCounters.assign(rows, {});
    for (size_t row = 0; row < rows; ++row)
        for (size_t i = 0; i < kLogicalDiskCounterNames.size(); ++i)
            s.LogicalDiskCounters[row][i] =
                counter_detail::add_counter("\\LogicalDisk(" + s.LogicalList[row] + ")\\" +
                                            std::string(kLogicalDiskCounterNames[i]));
}

bool ProbeLogicalDiskCounter() {
    PdhHandle h = 0;
    const PdhStatus status =
        pdh().AddCounter(counters().SharedQuery, CounterPath(kLogicalDiskProbePath), &h);
    return status == kPdhOk && h != 0;
}

}  // namespace bw
