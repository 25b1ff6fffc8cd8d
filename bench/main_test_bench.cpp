// The main test as brantwell-cli runs it, on a zram RAM disk and on a loop device over a file,
// each with ext4: per type, block and side, the bytes the drive's counters reported over the run
// against the bytes the testers moved by their own /proc/PID/io (both summed over the same
// ticks), and the run's wall time against the estimate. Needs root; run it under the e2e lock:
//
//     flock /tmp/bw-e2e.lock build/bench/main_test_bench [--seconds 3] [--blocks 15A]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench_shell.h"

namespace {

using bw::bench::shell;

struct Device {
    std::string name, dev, mount, cleanup;
};

Device make_zram() {
    Device d{"zram", "", "/tmp/bw-bench-zram", ""};
    const std::string n = shell("cat /sys/class/zram-control/hot_add");
    if (n.empty()) return d;
    d.dev = "/dev/zram" + n;
    shell("echo 1G > /sys/block/zram" + n + "/disksize && mkfs.ext4 -q " + d.dev + " && mkdir -p " +
          d.mount + " && mount " + d.dev + " " + d.mount);
    d.cleanup = "umount " + d.mount + "; echo 1 > /sys/block/zram" + n + "/reset; echo " + n +
                " > /sys/class/zram-control/hot_remove; rmdir " + d.mount;
    return d;
}

Device make_loop() {
    Device d{"loop", "", "/tmp/bw-bench-loop", ""};
    shell("truncate -s 1200M /tmp/bw-bench-loop.img && mkfs.ext4 -q -F /tmp/bw-bench-loop.img");
    d.dev = shell("losetup -f --show /tmp/bw-bench-loop.img");
    if (d.dev.empty()) return d;
    shell("mkdir -p " + d.mount + " && mount " + d.dev + " " + d.mount);
    d.cleanup = "umount " + d.mount + "; losetup -d " + d.dev + "; rm -f /tmp/bw-bench-loop.img; rmdir " +
                d.mount;
    return d;
}

std::string letter_of(const std::string& cli, const std::string& mount) {
    const auto j = nlohmann::json::parse(shell(cli + " drives --json 2>/dev/null"), nullptr, false);
    if (j.is_discarded()) return {};
    for (const auto& v : j["volumes"])
        if (v["mount_point"] == mount) return v["letter"].get<std::string>() + ":";
    return {};
}

double sum(const nlohmann::json& list) {
    double s = 0;
    for (const auto& v : list) s += v.get<double>();
    return s;
}

void run(const std::string& cli, const Device& d, int type, const std::string& seconds,
         const std::string& blocks) {
    const std::string drive = letter_of(cli, d.mount);
    if (drive.empty()) {
        std::printf("%s: no letter for %s\n", d.name.c_str(), d.mount.c_str());
        return;
    }
    const auto began = std::chrono::steady_clock::now();
    const std::string out = shell(cli + " test --drive " + drive + " --read --write --type " +
                                  std::to_string(type) + " --blocks " + blocks + " --seconds " +
                                  seconds + " --ignore-usage --yes --json 2>/dev/null");
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const auto j = nlohmann::json::parse(out, nullptr, false);
    if (j.is_discarded() || !j.contains("results")) {
        std::printf("%s type %d: the run gave no results\n", d.name.c_str(), type);
        return;
    }
    for (const auto& r : j["results"]) {
        const double disk = sum(r["throughput"]), testers = sum(r["tester_bytes"]);
        std::printf("| %s | %s | %s %s | %d | %.0f | %.0f | %+.2f %% |\n", d.name.c_str(),
                    type == 1 ? "Functional" : "Performance", r["block"].get<std::string>().c_str(),
                    r["side"].get<std::string>().c_str(), r["samples"].get<int>(), disk / 1e6,
                    testers / 1e6, testers > 0 ? (disk / testers - 1) * 100 : 0.0);
    }
    std::printf("| %s | %s | whole run | | wall %.1f s | estimate %d s | |\n", d.name.c_str(),
                type == 1 ? "Functional" : "Performance", wall, j["estimate_seconds"].get<int>());
}

}  // namespace

int main(int argc, char** argv) {
    std::string seconds = "3", blocks = "15A";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--seconds") seconds = argv[i + 1];
        if (flag == "--blocks") blocks = argv[i + 1];
    }
    if (::geteuid() != 0) {
        std::fprintf(stderr, "main_test_bench: needs root (it makes a zram disk and a loop device)\n");
        return 2;
    }
    const std::string cli = std::string(BW_BINARY_DIR) + "/src/cli/brantwell-cli";
    const std::string work = shell("mktemp -d"), home = shell("mktemp -d");
    ::setenv("TEMP", work.c_str(), 1);
    ::setenv("BRANTWELL_HOME", home.c_str(), 1);
    std::printf("| device | test | block, side | samples | drive MB | testers MB | drive vs testers |\n"
                "|---|---|---|---|---|---|---|\n");
    for (const Device& d : {make_zram(), make_loop()}) {
        if (d.dev.empty()) {
            std::printf("%s: could not be made\n", d.name.c_str());
            continue;
        }
        for (int type : {1, 2}) run(cli, d, type, seconds, blocks);
        shell(d.cleanup);
    }
    shell("rm -rf " + work + " " + home);
    return 0;
}
