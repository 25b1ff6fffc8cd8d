// CounterCPU: processor rows and the total processor usage.
#include "core/AppState.h"
#include "counters/CounterAdd.h"
#include "counters/Counters.h"
#include "platform/clock.h"

namespace bw {

void AddProcessorCounters() {
    CounterState& s = counters();
    const int count = std::max(app().processor_count, 1);
    s.ProcessorCounters.assign(count, {});
    for (int row = 0; row < count; ++row) {
        const std::string object = "\\Processor Information(0," + std::to_string(row) + ")\\";
        for (size_t i = 0; i < kProcessorCounterNames.size(); ++i)
            s.ProcessorCounters[row][i] =
                counter_detail::add_counter(object + std::string(kProcessorCounterNames[i]));
    }
    s.ProcessorFrequencyCounter = counter_detail::add_counter(kProcessorFrequencyPath);
    for (size_t i = 0; i < kCacheCounterPaths.size(); ++i)
        s.CacheCounters[i] = counter_detail::add_counter(kCacheCounterPaths[i]);
    // The disk groups opened a new query; the memory counters join the live one again.
    for (size_t i = 0; i < kMemoryCounterPaths.size(); ++i)
        s.MemoryCounters[i] = counter_detail::add_counter(kMemoryCounterPaths[i]);
}

void SampleProcessorUsage() {
    CounterState& s = counters();
    s.TotalProcessorUsage = 0;
    CollectCounters();
    const int count = std::max(app().processor_count, 1);
    s.ProcessorUsage.assign(count, 0.0);
    for (int row = 0; row < count; ++row) {
        const PdhHandle h = row < static_cast<int>(s.ProcessorCounters.size())
                                ? s.ProcessorCounters[row][kProcessorTime]
                                : 0;
        s.ProcessorUsage[row] = CounterValue(h);
        s.TotalProcessorUsage += s.ProcessorUsage[row];
        clock().do_events();
    }
}

}  // namespace bw
