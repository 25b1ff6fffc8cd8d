// GetProcessCPU: processor use of single processes, from their processor time in /proc/PID/stat.
#include <unistd.h>

#include <fmt/format.h>

#include <cctype>

#include "core/AppState.h"
#include "counters/Counters.h"
#include "platform/PdhQuery.h"
#include "platform/PdhSnapshot.h"
#include "platform/PdhSources.h"
#include "platform/clock.h"

namespace bw {

namespace {

// Processor time of every process of that image name, in hundredths of a second per processor;
// false when none runs.
bool cumulative_time(std::string_view image, double* cumulative) {
    const Sysroot& root = pdh().sysroot();
    // Names of processes already seen are remembered, so a call costs a listing of /proc.
    static ProcessImageCache images;
    std::string want = ProcessInstanceName(image);
    for (auto& c : want) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<int> pids;
    for (const auto& [pid, name] : ScanProcesses(root, images, clock().now_ms()))
        if (name == want) pids.push_back(pid);
    static const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double processors = std::max(app().processor_count, 1);
    double sum = 0;
    bool any = false;
    for (int pid : pids) {
        const auto stat = ReadProcessStat(root, pid);
        if (!stat) continue;  // ended in between
        sum += static_cast<double>(stat->utime + stat->stime) / ticks * 100.0 / processors;
        any = true;
    }
    *cumulative = sum;
    return any;
}

// One measurement: the first call for a process only sets the baseline; later calls give the
// average use since the call before.
void measure(ProcessCpu& p, std::string_view image, bool cap) {
    const double now = static_cast<double>(clock().now_ms()) / 1000.0;
    p.elapsed_seconds = p.has_reading ? now - p.previous_seconds : now;
    double cumulative = 0;
    if (!cumulative_time(image, &cumulative)) return;  // not running: the text stays
    p.previous_seconds = now;
    p.has_reading = true;
    const double used = cumulative - p.previous_cumulative;
    // Two calls in the same tick, or a process of that name that was replaced by a younger one:
    // no figure this time.
    if (p.has_baseline && p.elapsed_seconds > 0 && used >= 0) {
        const double value = used / p.elapsed_seconds;
        p.text = cap && value > 100 ? "100" : fmt::format("{:.2f}", value);
    }
    p.previous_cumulative = cumulative;
    p.has_baseline = true;
}

}  // namespace

void SampleTesterCpu(int tester) {
    if (tester < 1 || tester > 3) return;
    measure(counters().TesterCpu[tester - 1], kTesterImages[tester - 1], false);
}

std::string SampleProcessCpu(std::string_view image, int slot) {
    if (slot < 0 || slot >= kProcessCpuSlots) return {};
    ProcessCpu& p = counters().ProcessCpuSlots[slot];
    measure(p, image, true);
    return p.text;
}

}  // namespace bw
