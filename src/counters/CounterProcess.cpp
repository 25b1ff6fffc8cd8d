// CounterProcess: the I/O counters of the three testers.
#include "counters/CounterAdd.h"
#include "counters/Counters.h"

namespace bw {

void AddTesterCounters(int tester, int instance_index) {
    if (tester < 1 || tester > 3) return;
    CounterState& s = counters();
    const std::string suffix = instance_index > 0 ? "#" + std::to_string(instance_index) : "";
    const std::string object =
        "\\Process(" + std::string(kTesterInstances[tester - 1]) + suffix + ")\\";
    for (size_t i = 0; i < kTesterCounterNames.size(); ++i)
        s.TesterCounters[tester - 1][i] =
            counter_detail::add_counter(object + std::string(kTesterCounterNames[i]));
}

}  // namespace bw
