#include "testengine/TestCounters.h"

#include <algorithm>
#include <string>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/modKill.h"
#include "counters/CounterDisks.h"
#include "counters/Counters.h"
#include "platform/PdhQuery.h"
#include "platform/PdhSources.h"
#include "platform/clock.h"

namespace bw::testengine {

namespace {

double read_counter(PdhHandle h) {
    const double v = CounterValue(h);
    clock().do_events();  // the window stays responsive between reads
    return v;
}

}  // namespace

TickReading ReadTestCounters(char letter) {
    TickReading r;
    CounterState& c = counters();
    SampleProcessorUsage();  // the one collect of the tick
    r.cpu_percent = c.TotalProcessorUsage / std::max(1, app().processor_count);
    r.cpu_mhz = read_counter(c.ProcessorFrequencyCounter);

    TickFigures& f = r.figures;
    for (int t = 0; t < 3; ++t) {
        const auto& row = c.TesterCounters[static_cast<size_t>(t)];
        for (int i = 0; i < tester_io::kCount; ++i)
            r.tester_sums[static_cast<size_t>(i)] += read_counter(row[static_cast<size_t>(i)]);
        f.tester_read_ops[static_cast<size_t>(t)] = CounterValue(row[tester_io::kReadOpsPerSec]);
        f.tester_write_ops[static_cast<size_t>(t)] = CounterValue(row[tester_io::kWriteOpsPerSec]);
        f.tester_read_bytes[static_cast<size_t>(t)] =
            CounterValue(row[tester_io::kReadBytesPerSec]);
        f.tester_write_bytes[static_cast<size_t>(t)] =
            CounterValue(row[tester_io::kWriteBytesPerSec]);
        SampleTesterCpu(t + 1);
        r.tester_cpu_percent += Val(c.TesterCpu[static_cast<size_t>(t)].text);
    }

    if (const auto volume = logical_disk_by_letter(c, letter)) {
        r.volume_counted = true;
        for (int i = 0; i < logical_disk::kCount; ++i)
            r.drive[static_cast<size_t>(i)] = read_counter(volume->counters[static_cast<size_t>(i)]);
    }
    if (const auto disk = physical_disk_by_letter(c, letter)) {
        r.sec_per_read = read_counter(disk->counters[physical_disk::kAvgSecRead]);
        r.sec_per_write = read_counter(disk->counters[physical_disk::kAvgSecWrite]);
    }
    using namespace logical_disk;
    f.read_bytes = r.drive[kReadBytesPerSec];
    f.write_bytes = r.drive[kWriteBytesPerSec];
    f.disk_read_time = r.drive[kDiskReadTime];
    f.disk_write_time = r.drive[kDiskWriteTime];
    f.idle = r.drive[kIdleTime];
    f.transfers = r.drive[kTransfersPerSec];
    f.reads = r.drive[kReadsPerSec];
    f.writes = r.drive[kWritesPerSec];
    return r;
}

void FollowTesters(const std::filesystem::path& working_folder) {
    for (int t = 1; t <= 3; ++t) {
        const pid_t ours = GetProcessIdByName(kTesterFiles[static_cast<size_t>(t - 1)], working_folder);
        if (ours == 0) continue;
        const std::vector<int> same_name =
            FindProcesses(pdh().sysroot(), kTesterImages[static_cast<size_t>(t - 1)]);
        const auto at = std::find(same_name.begin(), same_name.end(), ours);
        if (at != same_name.end()) AddTesterCounters(t, static_cast<int>(at - same_name.begin()));
    }
    CollectCounters();  // rates start from here
}

}  // namespace bw::testengine
