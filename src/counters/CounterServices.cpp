#include "counters/CounterServices.h"

#include "core/Startup.h"
#include "counters/CounterStartup.h"
#include "counters/Counters.h"

namespace bw {

void ConnectCounterServices(StartupServices& s) {
    s.open_counter_query = OpenCounterQuery;
    s.add_committed_bytes = AddCommittedBytesProbe;
    s.windows_error_prompt = [] { WindowsErrorPrompt(); };
    s.list_physical_disks = ListPhysicalDisks;
    s.list_logical_disks = ListLogicalDisks;
    s.counter_groups.clear();
    for (auto& g : CounterStartupGroups()) s.counter_groups.push_back({g.label, g.add, g.probe_ok});
    s.add_processor_counters = AddProcessorCounters;
    s.available_memory_bytes = [] {
        CollectCounters();
        return CounterValue(counters().memory_probe());
    };
    s.close_counter_query = CloseCounterQuery;
}

}  // namespace bw
