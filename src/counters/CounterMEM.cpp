// CounterMEM: the memory group.
#include "counters/CounterAdd.h"
#include "counters/Counters.h"

namespace bw {

void AddMemoryCounters() {
    counter_detail::open_shared_query();
    CounterState& s = counters();
    for (size_t i = 0; i < kMemoryCounterPaths.size(); ++i)
        s.MemoryCounters[i] = counter_detail::add_counter(kMemoryCounterPaths[i]);
}

}  // namespace bw
