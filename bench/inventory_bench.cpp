// How long the drive inventory takes at start-up, beside lsblk reading the same machine.
//
//   inventory_bench [--runs N] [--fixtures DIR]
//
// For this machine and for each captured machine under DIR (default: the source tree's fixture
// sysroots): the median time of a whole inventory (disks, mounts, letters, classes, drive list),
// of the same with the "Drive<i>" settings keys written to a working file (as the program does at
// every start), and, for this machine, of `lsblk -J -b -o
// NAME,SIZE,TYPE,MOUNTPOINT,MODEL,FSTYPE,UUID`.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "drives/DriveStartup.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

template <typename F>
double median_ms(int runs, F&& f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        f();
        t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void row(const std::string& name, int runs, const bw::SystemQuery& query) {
    size_t entries = 0, disks = 0;
    const double plain = median_ms(runs, [&] {
        auto run = bw::TakeInventory(query, {});
        entries = run.inv.DriveList.size();
        disks = run.disks.size();
    });
    const fs::path ini = fs::temp_directory_path() / "inventory_bench.dat";
    const double with_keys = median_ms(runs, [&] {
        fs::remove(ini);
        bw::TakeInventory(query, {{}, ini, "1600 Mhz"});
    });
    fs::remove(ini);
    std::printf("| %-14s | %5zu | %7zu | %10.2f | %16.2f |", name.c_str(), disks, entries, plain,
                with_keys);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 21;
    fs::path fixtures = fs::path(BW_BINARY_DIR) / ".." / "tests/fixtures/sysroots";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
        if (a == "--fixtures") fixtures = argv[i + 1];
    }
    std::printf(
        "| machine        | disks | entries | inventory ms | + settings keys ms | lsblk ms |\n");
    std::printf("|---|---|---|---|---|---|\n");
    row("this machine", runs, bw::SystemQuery());
    const double lsblk = median_ms(runs, [] {
        int rc = std::system(
            "lsblk -J -b -o NAME,SIZE,TYPE,MOUNTPOINT,MODEL,FSTYPE,UUID >/dev/null 2>&1");
        (void)rc;
    });
    std::printf(" %8.2f |\n", lsblk);
    std::vector<fs::path> machines;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fixtures, ec)) machines.push_back(e.path());
    std::sort(machines.begin(), machines.end());
    for (const auto& m : machines) {
        row(m.filename().string(), runs, bw::SystemQuery(bw::Sysroot(m)));
        std::printf("        - |\n");
    }
    return 0;
}
