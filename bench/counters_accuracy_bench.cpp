// Accuracy of the disk counters against iostat -x and against the load itself. For every case a
// known direct-I/O load (fio) runs on a device this benchmark makes (a zram RAM disk, a loop
// device over a file); 2 s into the load iostat -x starts a 20 s report and the counter layer
// collects at the same moments; a second query collects every second over the whole load, and
// its bytes (rate x interval, summed) are held against the bytes fio says it moved.
//
//   counters_accuracy_bench [seconds]     (root; default 20 s windows)
#include "bench_shell.h"
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/PdhQuery.h"
#include "platform/clock.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using bw::bench::shell;

// A device of our own, removed again however the benchmark ends.
struct Scratch {
    std::string name, path, image;
    int zram = -1;
    ~Scratch() {
        if (zram >= 0) {
            shell("echo 1 > /sys/block/zram" + std::to_string(zram) + "/reset");
            shell("echo " + std::to_string(zram) + " > /sys/class/zram-control/hot_remove");
        }
        if (!image.empty()) {
            shell("losetup -d " + path);
            fs::remove(image);
        }
    }
};

bool make_zram(Scratch& s, int mib) {
    const std::string id = shell("cat /sys/class/zram-control/hot_add");
    if (id.empty()) return false;
    s.zram = std::stoi(id);
    s.name = "zram" + id;
    s.path = "/dev/" + s.name;
    shell("echo " + std::to_string(mib) + "M > /sys/block/" + s.name + "/disksize");
    return fs::exists(s.path);
}

bool make_loop(Scratch& s, int mib) {
    s.image = "/var/tmp/bw-accuracy-" + std::to_string(::getpid()) + ".img";
    shell("dd if=/dev/urandom of=" + s.image + " bs=1M count=" + std::to_string(mib) +
          " status=none");
    s.path = shell("losetup --direct-io=on -f --show " + s.image);
    if (s.path.rfind("/dev/loop", 0) != 0) return false;
    s.name = s.path.substr(5);
    return true;
}

pid_t spawn(const std::vector<std::string>& args, const std::string& out_file) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

struct Case {
    const char* device;  // "zram" or "loop"
    const char* rw;      // "read" or "write"
    const char* bs;
    const char* engine;
    int iodepth;
    const char*
        rate;  // fio's rate cap ("" for none): the loop device's file is on the shared system disk
};

// Sequential direct I/O at several block sizes; the loop device runs with a queue so that its
// latencies are large enough for iostat's two decimals.
constexpr Case kCases[] = {
    {"zram", "read", "4k", "psync", 1, ""},        {"zram", "write", "4k", "psync", 1, ""},
    {"zram", "read", "64k", "psync", 1, ""},       {"zram", "write", "64k", "psync", 1, ""},
    {"zram", "read", "1m", "psync", 1, ""},        {"zram", "write", "1m", "psync", 1, ""},
    {"loop", "read", "64k", "libaio", 16, "200m"}, {"loop", "write", "64k", "libaio", 16, "200m"},
    {"loop", "read", "1m", "libaio", 8, "200m"},   {"loop", "write", "1m", "libaio", 8, "200m"},
};

const char* const kCounters[] = {
    "Disk Read Bytes/sec",   "Disk Write Bytes/sec",        "Disk Reads/sec",
    "Disk Writes/sec",       "Avg. Disk sec/Read",          "Avg. Disk sec/Write",
    "% Idle Time",           "Avg. Disk Read Queue Length", "Avg. Disk Write Queue Length",
    "Avg. Disk Queue Length"};
enum { kRB, kWB, kR, kW, kRLat, kWLat, kIdle, kRQ, kWQ, kQ, kCount };

std::string fmt_pct(double fraction) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%+.3f %%", fraction * 100);
    return buf;
}

struct Comparison {
    std::string what;
    double ours, theirs;
    double allowed;  // absolute
    bool ok() const { return std::fabs(ours - theirs) <= allowed; }
};

struct Outcome {
    std::vector<Comparison> rows;
    bool ok = true;
};

Outcome run_case(const Case& c, const Scratch& dev, int window_s) {
    using namespace bw;
    Outcome out;
    PdhLibrary lib;
    lib.set_disk_map({{{0, dev.name, ""}}, {}});
    PdhHandle whole = 0, window = 0;
    lib.OpenQuery(&whole);
    lib.OpenQuery(&window);
    PdhHandle hw[kCount], hq[kCount];
    for (int i = 0; i < kCount; ++i) {
        lib.AddCounter(whole, std::string("\\PhysicalDisk(0)\\") + kCounters[i], &hw[i]);
        lib.AddCounter(window, std::string("\\PhysicalDisk(0)\\") + kCounters[i], &hq[i]);
    }
    const std::string fio_out = "/tmp/bw-acc-fio.json", iostat_out = "/tmp/bw-acc-iostat.json";
    const int runtime = window_s + 6;
    lib.CollectQueryData(whole);
    std::vector<std::string> fio_args = {"fio",
                                         "--name=load",
                                         "--filename=" + dev.path,
                                         std::string("--rw=") + c.rw,
                                         std::string("--bs=") + c.bs,
                                         "--direct=1",
                                         std::string("--ioengine=") + c.engine,
                                         "--iodepth=" + std::to_string(c.iodepth),
                                         "--time_based",
                                         "--runtime=" + std::to_string(runtime),
                                         "--refill_buffers",
                                         "--output-format=json",
                                         "--output=" + fio_out};
    if (*c.rate) fio_args.push_back(std::string("--rate=") + c.rate);
    const pid_t fio = spawn(fio_args, "/dev/null");
    const std::int64_t t0 = bw::clock().now_ms();
    std::int64_t next_tick = t0 + 1000, iostat_at = t0 + 2000, window_end = -1;
    pid_t iostat = -1;
    double moved_r = 0, moved_w = 0;
    double win[kCount] = {};
    const auto tick = [&] {
        lib.CollectQueryData(whole);
        const double t = lib.CollectInterval(whole);
        moved_r += lib.GetDoubleCounterValue(hw[kRB]) * t;
        moved_w += lib.GetDoubleCounterValue(hw[kWB]) * t;
    };
    int status = 0;
    while (::waitpid(fio, &status, WNOHANG) == 0) {
        std::int64_t next = next_tick;
        if (iostat < 0) next = std::min(next, iostat_at);
        if (window_end > 0) next = std::min(next, window_end);
        const std::int64_t now = bw::clock().now_ms();
        if (next > now)
            ::usleep(static_cast<useconds_t>(std::min<std::int64_t>(next - now, 50) * 1000));
        const std::int64_t t = bw::clock().now_ms();
        if (iostat < 0 && t >= iostat_at) {
            iostat = spawn(
                {"iostat", "-x", "-d", "-y", "-o", "JSON", dev.name, std::to_string(window_s), "1"},
                iostat_out);
            lib.CollectQueryData(window);
            window_end = bw::clock().now_ms() + window_s * 1000;
        }
        if (window_end > 0 && t >= window_end) {
            lib.CollectQueryData(window);
            for (int i = 0; i < kCount; ++i)
                win[i] = lib.GetDoubleCounterValue(hq[i], nullptr, false);
            window_end = -1;
        }
        if (t >= next_tick) {
            tick();
            next_tick += 1000;
        }
    }
    ::usleep(100000);
    tick();  // the last requests of the load
    if (iostat > 0) ::waitpid(iostat, nullptr, 0);

    json f, io;
    try {
        std::ifstream(fio_out) >> f;
        std::ifstream(iostat_out) >> io;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "  cannot read the fio or iostat output: %s\n", e.what());
        out.ok = false;
        return out;
    }
    const auto& job = f["jobs"][0];
    const double fio_bytes =
        job["read"]["io_bytes"].get<double>() + job["write"]["io_bytes"].get<double>();
    const auto& d = io["sysstat"]["hosts"][0]["statistics"][0]["disk"][0];
    const bool reading = std::string(c.rw) == "read";
    const auto rel = [](double v) { return std::fabs(v) * 0.005; };
    // iostat prints two decimals: half a unit in the last place is its own error.
    const auto rounded = [&](double v) { return std::max(rel(v), 0.005); };
    const double rs = d["r/s"], ws = d["w/s"], r_await = d["r_await"], w_await = d["w_await"];
    out.rows = {
        {"Disk Read Bytes/sec vs rkB/s x 1024", win[kRB], d["rkB/s"].get<double>() * 1024,
         rounded(d["rkB/s"].get<double>()) * 1024},
        {"Disk Write Bytes/sec vs wkB/s x 1024", win[kWB], d["wkB/s"].get<double>() * 1024,
         rounded(d["wkB/s"].get<double>()) * 1024},
        {"Disk Reads/sec vs r/s", win[kR], rs, rounded(rs)},
        {"Disk Writes/sec vs w/s", win[kW], ws, rounded(ws)},
        {"Avg. Disk sec/Read x 1000 vs r_await", win[kRLat] * 1000, r_await, rounded(r_await)},
        {"Avg. Disk sec/Write x 1000 vs w_await", win[kWLat] * 1000, w_await, rounded(w_await)},
        {"% Idle Time vs 100 - %util", win[kIdle], 100 - d["util"].get<double>(), 1.0},
        {"Avg. Disk Read Queue Length vs r/s x r_await", win[kRQ], rs * r_await / 1000,
         std::max(rel(rs * r_await / 1000), rs * 0.005 / 1000)},
        {"Avg. Disk Write Queue Length vs w/s x w_await", win[kWQ], ws * w_await / 1000,
         std::max(rel(ws * w_await / 1000), ws * 0.005 / 1000)},
        {"Avg. Disk Queue Length vs aqu-sz", win[kQ], d["aqu-sz"], rounded(d["aqu-sz"])},
        {std::string("bytes over the run vs fio io_bytes"), reading ? moved_r : moved_w, fio_bytes,
         rel(fio_bytes)},
    };
    for (const auto& r : out.rows) out.ok = out.ok && r.ok();
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int window_s = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    if (::geteuid() != 0) {
        std::fprintf(stderr, "counters_accuracy_bench: needs root (makes zram and loop devices)\n");
        return 2;
    }
    Scratch zram, loop;
    if (!make_zram(zram, 1024) || !make_loop(loop, 1024)) {
        std::fprintf(stderr, "counters_accuracy_bench: cannot make the scratch devices\n");
        return 2;
    }
    // zram hands back zeros for pages never written: fill it with data that does not compress.
    shell("fio --name=fill --filename=" + zram.path +
          " --rw=write --bs=1m --direct=1 --refill_buffers "
          "--size=100% --output=/dev/null");
    std::printf(
        "| device | load | counter vs iostat -x (same %d s) | ours | iostat / fio | diff | allowed "
        "| ok |\n",
        window_s);
    std::printf("|---|---|---|---:|---:|---:|---:|---|\n");
    bool all = true;
    for (const auto& c : kCases) {
        const Scratch& dev = std::string(c.device) == "zram" ? zram : loop;
        const Outcome o = run_case(c, dev, window_s);
        all = all && o.ok;
        for (const auto& r : o.rows) {
            const double diff = r.ours - r.theirs;
            const std::string pct = r.theirs != 0 ? fmt_pct(diff / r.theirs) : "";
            std::printf("| %s | %s %s qd%d%s%s | %s | %.4f | %.4f | %+.4f (%s) | %.4f | %s |\n",
                        c.device, c.rw, c.bs, c.iodepth, *c.rate ? " " : "", c.rate, r.what.c_str(),
                        r.ours, r.theirs, diff, pct.c_str(), r.allowed, r.ok() ? "yes" : "NO");
        }
        std::fflush(stdout);
    }
    std::printf("\n%s\n", all ? "all within the allowed differences"
                              : "SOME FIGURES ARE OUTSIDE THE ALLOWED DIFFERENCES");
    return all ? 0 : 1;
}
