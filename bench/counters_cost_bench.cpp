// What the counter layer costs per sampling tick: one collect of the shared query plus a read of
// every counter the program adds at start-up, on this machine's disks plus three loop devices
// (4 disks, 4 logical disks) and its processors, with the three testers running and without
// them. Processor time of this process (user + system, so the kernel's work of producing the
// /proc files counts), median of many ticks.
//
//   counters_cost_bench [ticks]        (root: makes and removes three loop devices)
#include "bench_shell.h"
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "counters/CounterState.h"
#include "counters/Counters.h"
#include "platform/PdhQuery.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

double cpu_ms() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

using bw::bench::shell;

struct Loops {
    std::vector<std::string> devices, images;
    ~Loops() {
        for (const auto& d : devices) shell("losetup -d " + d + " 2>/dev/null");
        for (const auto& i : images) fs::remove(i);
    }
};

struct Testers {
    std::vector<pid_t> pids;
    fs::path dir;
    void start() {
        dir = fs::temp_directory_path() / ("bw-cost-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        for (const char* name : {"LOADWorker.exe", "LOADWorker2.exe", "LOADWorker3.exe"}) {
            const auto exe = dir / name;
            fs::copy_file("/bin/sleep", exe, fs::copy_options::overwrite_existing);
            std::string path = exe.string();
            char* argv[] = {path.data(), const_cast<char*>("600"), nullptr};
            pid_t pid = 0;
            if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0)
                pids.push_back(pid);
        }
    }
    ~Testers() {
        for (pid_t p : pids) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
        if (!dir.empty()) fs::remove_all(dir);
    }
};

struct Figures {
    double median, p90;
    size_t handles;
};

Figures measure(int ticks) {
    using namespace bw;
    std::vector<PdhHandle> all;
    const CounterState& s = counters();
    for (auto h : s.MemoryCounters) all.push_back(h);
    for (const auto& row : s.PhysicalDiskCounters) all.insert(all.end(), row.begin(), row.end());
    for (const auto& row : s.LogicalDiskCounters) all.insert(all.end(), row.begin(), row.end());
    for (const auto& row : s.TesterCounters) all.insert(all.end(), row.begin(), row.end());
    for (const auto& row : s.ProcessorCounters) all.insert(all.end(), row.begin(), row.end());
    all.push_back(s.ProcessorFrequencyCounter);
    for (auto h : s.CacheCounters) all.push_back(h);
    CollectCounters();
    std::vector<double> costs;
    double sink = 0;
    for (int i = 0; i < ticks; ++i) {
        ::usleep(2000);  // let the figures move a little, as a 1 s tick would
        const double t0 = cpu_ms();
        CollectCounters();
        for (PdhHandle h : all) sink += CounterValue(h);
        costs.push_back(cpu_ms() - t0);
    }
    if (sink < 0) std::puts("");
    std::sort(costs.begin(), costs.end());
    return {costs[costs.size() / 2], costs[costs.size() * 9 / 10], all.size()};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace bw;
    const int ticks = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    if (::geteuid() != 0) {
        std::fprintf(stderr, "counters_cost_bench: needs root (makes loop devices)\n");
        return 2;
    }
    Loops loops;
    for (int i = 0; i < 3; ++i) {
        const std::string image =
            fs::temp_directory_path() /
            ("bw-cost-" + std::to_string(::getpid()) + "-" + std::to_string(i));
        std::ofstream(image).close();
        fs::resize_file(image, 16 << 20);
        loops.images.push_back(image);
        const std::string dev = shell("losetup -f --show " + image);
        if (dev.rfind("/dev/loop", 0) != 0) {
            std::fprintf(stderr, "counters_cost_bench: losetup failed: %s\n", dev.c_str());
            return 2;
        }
        loops.devices.push_back(dev);
    }
    // The machine's own disks and volumes plus the loop devices as disks of their own, each with a
    // volume (free space is asked of /tmp).
    PdhLibrary& lib = pdh();
    CounterDiskMap map = DefaultCounterDiskMap(lib.sysroot());
    for (const auto& dev : loops.devices) {
        const std::string name = dev.substr(5);
        const char letter = static_cast<char>('C' + map.volumes.size());
        map.disks.erase(std::remove_if(map.disks.begin(), map.disks.end(),
                                       [&](const CounterDisk& d) { return d.kernel_name == name; }),
                        map.disks.end());
        map.disks.push_back({static_cast<int>(map.disks.size()), name, std::string(1, letter)});
        map.volumes.push_back({letter, name, "/tmp"});
    }
    for (size_t i = 0; i < map.disks.size(); ++i) map.disks[i].index = static_cast<int>(i);
    lib.set_disk_map(map);
    app().processor_count = static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN));

    ListPhysicalDisks();
    ListLogicalDisks();
    AddMemoryCounters();
    AddPhysicalDiskCounters();
    AddLogicalDiskCounters();
    for (int t = 1; t <= 3; ++t) AddTesterCounters(t);
    AddProcessorCounters();

    std::printf("counter layer cost per tick: one collect + every start-up counter read\n");
    std::printf("disks %zu, logical disks %zu, processors %d, ticks %d\n",
                counters().PhysicalList.size(), counters().LogicalList.size(),
                app().processor_count, ticks);
    const Figures idle = measure(ticks);
    Testers testers;
    testers.start();
    ::usleep(100000);
    const Figures busy = measure(ticks);
    std::printf("%-28s %8s %10s %10s\n", "case", "counters", "median ms", "p90 ms");
    std::printf("%-28s %8zu %10.3f %10.3f\n", "testers not running", idle.handles, idle.median,
                idle.p90);
    std::printf("%-28s %8zu %10.3f %10.3f\n", "three testers running", busy.handles, busy.median,
                busy.p90);
    std::printf("target: median under 1 ms of processor time\n");
    return 0;
}
