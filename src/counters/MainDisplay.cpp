#include "counters/MainDisplay.h"

#include <algorithm>

#include "core/AppState.h"
#include "counters/CounterDisks.h"
#include "counters/CounterState.h"
#include "counters/Counters.h"

namespace bw {

LiveFigures SampleMainDisplay(const std::string& entry) {
    LiveFigures f;
    CounterState& c = counters();
    SampleProcessorUsage();  // collects the query
    const int processors = std::max(1, app().processor_count);
    f.cpu_percent = c.TotalProcessorUsage / processors;

    // The entry starts with its drive letter ("C: ..."): the figures are its disk's, else its
    // volume's.
    const bool has_letter = entry.size() >= 2 && entry[1] == ':';
    f.physical = false;
    if (const auto disk = has_letter ? physical_disk_by_letter(c, entry[0]) : std::nullopt) {
        f.physical = true;
        f.disk_time_percent = CounterValue(disk->counters[physical_disk::kDiskTime]);
        f.bytes_per_sec = CounterValue(disk->counters[physical_disk::kDiskBytesPerSec]);
    } else if (const auto volume = has_letter ? logical_disk_by_letter(c, entry[0]) : std::nullopt) {
        f.disk_time_percent = CounterValue(volume->counters[logical_disk::kDiskTime]);
        f.bytes_per_sec = CounterValue(volume->counters[logical_disk::kBytesPerSec]);
    }
    f.memory_text = memory_text(CounterValue(c.MemoryCounters[kCommittedBytes]),
                                CounterValue(c.MemoryCounters[kAvailableBytes]),
                                CounterValue(c.MemoryCounters[kCacheBytes]),
                                CounterValue(c.MemoryCounters[kCacheBytesPeak]),
                                CounterValue(c.MemoryCounters[kPageFaults]));
    return f;
}

}  // namespace bw
