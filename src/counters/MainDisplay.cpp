#include "counters/MainDisplay.h"

#include <algorithm>

#include "core/AppState.h"
#include "counters/CounterState.h"
#include "counters/Counters.h"

namespace bw {

namespace {

// Physical-disk counters in the order the group adds them.
constexpr int kPhysicalDiskTime = 0, kPhysicalBytes = 1;
// Logical-disk counters by their place in kLogicalDiskCounterNames.
constexpr int kLogicalDiskTime = 3, kLogicalBytes = 15;

}  // namespace

LiveFigures SampleMainDisplay(const std::string& entry) {
    LiveFigures f;
    CounterState& c = counters();
    SampleProcessorUsage();  // collects the query
    const int processors = std::max(1, app().processor_count);
    f.cpu_percent = c.TotalProcessorUsage / processors;

    const std::string letter = entry.size() >= 2 ? entry.substr(0, 2) : std::string();
    f.physical = false;
    for (size_t row = 0; !letter.empty() && row < c.PhysicalList.size(); ++row) {
        if (c.PhysicalList[row].find(letter) == std::string::npos ||
            row >= c.PhysicalDiskCounters.size())
            continue;
        f.physical = true;
        f.disk_time_percent = CounterValue(c.PhysicalDiskCounters[row][kPhysicalDiskTime]);
        f.bytes_per_sec = CounterValue(c.PhysicalDiskCounters[row][kPhysicalBytes]);
        break;
    }
    for (size_t row = 0; !f.physical && !letter.empty() && row < c.LogicalList.size(); ++row) {
        if (c.LogicalList[row] != letter || row >= c.LogicalDiskCounters.size()) continue;
        f.disk_time_percent = CounterValue(c.LogicalDiskCounters[row][kLogicalDiskTime]);
        f.bytes_per_sec = CounterValue(c.LogicalDiskCounters[row][kLogicalBytes]);
        break;
    }
    f.memory_text = memory_text(CounterValue(c.MemoryCounters[kCommittedBytes]),
                                CounterValue(c.MemoryCounters[kAvailableBytes]),
                                CounterValue(c.MemoryCounters[kCacheBytes]),
                                CounterValue(c.MemoryCounters[kCacheBytesPeak]),
                                CounterValue(c.MemoryCounters[kPageFaults]));
    return f;
}

}  // namespace bw
