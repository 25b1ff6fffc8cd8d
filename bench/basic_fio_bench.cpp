// The basic test's own figures against fio 3.33 doing the same thing side by side: sequential
// writes of a test file and sequential reads of the raw device, one block size at a time, O_DIRECT,
// psync, one I/O at a time, random (incompressible) data, peaks over 1-second samples and
// averages. Then the quick read baseline against fio's sequential read at 32 KiB. Median of 3 runs
// each, on a zram disk and on a loop device, both made here (root) and removed at the end.
//
//     flock /tmp/bw-e2e.lock build/bench/basic_fio_bench [seconds per block, default 4]
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench_shell.h"
#include "standalone/BasicRun.h"
#include "standalone/modQuickREAD.h"

using namespace bw;
using bw::bench::shell;

namespace {

struct Target {
    std::string name, device, mount, backing;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures {
    double peak = 0, average = 0;
};

Figures run_basic(const Target& t, const std::string& work, Side side, char code, double seconds) {
    basic::BasicParams p;
    p.drive = 'X';
    p.block_codes = std::string(1, code);
    p.seconds_per_block = seconds;
    p.unit_size = 512;
    p.file_size = 200;
    p.write = side == Side::Write;
    p.read = side == Side::Read;
    p.read_source = basic::ReadSource::Volume;
    auto drive = basic::make_direct_drive(work, t.mount, t.device);
    basic::BasicObserver quiet;
    std::atomic<bool> cancel{false};
    basic::BasicRun run(p, *drive, basic::steady_seconds(), quiet, cancel);
    const auto out = run.run();
    for (const auto& problem : out.problems) std::fprintf(stderr, "basic: %s\n", problem.c_str());
    if (out.blocks.empty()) return {};
    return {out.blocks.front().figures.peak, out.blocks.front().figures.average};
}

Figures run_fio(const Target& t, Side side, std::uint64_t block, double seconds) {
    const bool write = side == Side::Write;
    // A new file for every pass, grown by its writes, as the basic test's is (fio would otherwise
    // lay the file out first and then overwrite it, which spares it the file system's work).
    const std::string file = write ? t.mount + "/fio.tmp" : t.device;
    if (write) shell("rm -f " + file);
    const std::string cmd =
        "fio --output-format=json --name=b --ioengine=psync --iodepth=1 --direct=1 "
        "--bwavgtime=1000 --runtime=" +
        std::to_string(static_cast<int>(seconds)) + " --bs=" + std::to_string(block) +
        (write ? " --rw=write --size=200M --fallocate=none --create_on_open=1 --unlink_each_loop=1 "
                 "--loops=100000"
               : " --rw=read --readonly --time_based") +
        " --filename=" + file + " 2>/dev/null";
    const std::string out = shell(cmd);
    if (write) shell("rm -f " + file);
    try {
        const auto j = nlohmann::json::parse(out.substr(out.find('{')));
        const auto& s = j["jobs"][0][write ? "write" : "read"];
        return {s["bw_max"].get<double>() * 1024, s["bw_bytes"].get<double>()};
    } catch (...) {
        std::fprintf(stderr, "fio gave no figures: %s\n", out.c_str());
        return {};
    }
}

Target make_zram() {
    Target t{"zram", "", "", ""};
    const std::string n = shell("cat /sys/class/zram-control/hot_add");
    t.device = "/dev/zram" + n;
    shell("echo 1G > /sys/block/zram" + n + "/disksize; mkfs.ext4 -q " + t.device);
    t.mount = shell("mktemp -d /tmp/bwbench.XXXXXX");
    shell("mount " + t.device + " " + t.mount);
    return t;
}

Target make_loop() {
    Target t{"loop", "", "", ""};
    t.backing = shell("mktemp /tmp/bwbench-img.XXXXXX");
    shell("truncate -s 1G " + t.backing);
    t.device = shell("losetup -f --show " + t.backing);
    shell("mkfs.ext4 -q " + t.device);
    t.mount = shell("mktemp -d /tmp/bwbench.XXXXXX");
    shell("mount " + t.device + " " + t.mount);
    return t;
}

void remove(const Target& t) {
    shell("umount " + t.mount + "; rmdir " + t.mount);
    if (t.name == "zram")
        shell("echo " + t.device.substr(9) + " > /sys/class/zram-control/hot_remove");
    else
        shell("losetup -d " + t.device + "; rm -f " + t.backing);
}

}  // namespace

int main(int argc, char** argv) {
    if (::geteuid() != 0) {
        std::fprintf(stderr,
                     "basic_fio_bench makes a zram disk and a loop device: run it as root\n");
        return 1;
    }
    const double seconds = argc > 1 ? std::atof(argv[1]) : 4;
    const std::string work = shell("mktemp -d /tmp/bwbench-work.XXXXXX");
    constexpr int kRuns = 3;
    std::printf(
        "| target | test | block | basic peak MB/s | fio peak MB/s | peak ratio | basic avg MB/s "
        "| fio avg MB/s | avg ratio |\n|---|---|---|---|---|---|---|---|---|\n");
    for (auto make : {make_zram, make_loop}) {
        const Target t = make();
        for (Side side : {Side::Write, Side::Read})
            for (char code : {'1', '5', 'A'}) {
                const std::uint64_t block = 512 * basic::basic_block(code)->multiplier;
                std::vector<double> bp, ba, fp, fa;
                for (int i = 0; i < kRuns; ++i) {
                    const Figures b = run_basic(t, work, side, code, seconds);
                    const Figures f = run_fio(t, side, block, seconds);
                    bp.push_back(b.peak), ba.push_back(b.average);
                    fp.push_back(f.peak), fa.push_back(f.average);
                }
                std::printf("| %s | %s | %llu KiB | %.0f | %.0f | %.3f | %.0f | %.0f | %.3f |\n",
                            t.name.c_str(), side == Side::Write ? "write" : "read",
                            static_cast<unsigned long long>(block / 1024), median(bp) / 1e6,
                            median(fp) / 1e6, median(bp) / median(fp), median(ba) / 1e6,
                            median(fa) / 1e6, median(ba) / median(fa));
                std::fflush(stdout);
            }
        if (t.name == "zram") {
            std::vector<double> quick, fio;
            for (int i = 0; i < kRuns; ++i) {
                auto drive = basic::make_direct_drive(work, "", t.device);
                quick.push_back(static_cast<double>(
                    basic::QuickRead('X', *drive, basic::steady_seconds(), {}).mb_per_second));
                fio.push_back(run_fio(t, Side::Read, 32768, basic::kQuickReadSeconds).average /
                              1e6);
            }
            std::printf(
                "\n| baseline (zram) | quick read MB/s | fio read 32 KiB MB/s | ratio |\n"
                "|---|---|---|---|\n| median of %d | %.0f | %.0f | %.3f |\n\n",
                kRuns, median(quick), median(fio), median(quick) / median(fio));
        }
        remove(t);
    }
    shell("rm -rf " + work);
    return 0;
}
