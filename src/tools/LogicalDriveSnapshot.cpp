// Reading one tick of the monitor from the shared counter query.
#include <algorithm>
#include <cctype>

#include "core/AppState.h"
#include "counters/CounterDisks.h"
#include "counters/Counters.h"
#include "platform/clock.h"
#include "tools/LogicalDrive.h"

namespace bw {

MonitorSnapshot ReadMonitorSnapshot(char letter) {
    MonitorSnapshot s;
    s.drive =
        std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) + ":";
    CollectCounters();
    const CounterState& c = counters();
    // By letter: the drive list and the logical-disk list need not share an order.
    if (const auto volume = logical_disk_by_letter(c, letter)) {
        s.counted = true;
        for (size_t i = 0; i < s.disk.size(); ++i) s.disk[i] = CounterValue(volume->counters[i]);
    }
    clock().do_events();
    const int processors = std::max(app().processor_count, 1);
    for (int row = 0; row < processors; ++row) {
        const bool has_row = row < static_cast<int>(c.ProcessorCounters.size());
        s.interrupt_time.push_back(has_row ? CounterValue(c.ProcessorCounters[row][kInterruptTime])
                                           : 0);
        s.interrupts.push_back(has_row ? CounterValue(c.ProcessorCounters[row][kInterruptsPerSec])
                                       : 0);
    }
    clock().do_events();
    s.available_bytes = CounterValue(c.MemoryCounters[kAvailableBytes]);
    s.page_faults = CounterValue(c.MemoryCounters[kPageFaults]);
    return s;
}

}  // namespace bw
