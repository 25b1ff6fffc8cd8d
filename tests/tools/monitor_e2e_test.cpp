// The monitor on a real drive: while fio writes to a loop device at a steady rate, the command
// line's "Disk Write Bytes/sec" for the device's letter agrees with iostat -x over the same
// seconds.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "support/cli.h"
#include "support/fakes.h"
#include "support/scratch_device.h"

namespace bw {
namespace {

constexpr int kSeconds = 7;  // compared seconds

// The letter the drive list gives the volume mounted at `mount`, "" when none.
std::string letter_of(const std::filesystem::path& mount) {
    const test::CliRun r = test::run_cli({"drives", "--json"});
    if (r.status != 0) return {};
    const auto j = nlohmann::json::parse(r.out, nullptr, false);
    for (const auto& v : j.value("volumes", nlohmann::json::array()))
        if (v.value("mount_point", "") == mount.string()) return v.value("letter", "");
    return {};
}

struct Pipe {
    FILE* f = nullptr;
    explicit Pipe(const std::string& command) : f(::popen(command.c_str(), "r")) {}
    ~Pipe() {
        if (f) ::pclose(f);
    }
    bool line(std::string& out) {
        out.clear();
        char buf[65536];
        if (!f || !std::fgets(buf, sizeof buf, f)) return false;
        out = buf;
        return true;
    }
    std::string rest() {
        std::string out, l;
        while (line(l)) out += l;
        return out;
    }
};

TEST(MonitorE2e, DiskWriteBytesAgreeWithIostat) {
    if (const std::string why = test::scratch_unavailable(); !why.empty()) GTEST_SKIP() << why;
    if (test::run_shell("command -v fio && command -v iostat") != 0)
        GTEST_SKIP() << "needs fio and iostat (sysstat)";
    test::ScratchLoop::Options options;
    options.size_mib = 160;
    options.filesystem = "ext4";
    options.mount = true;
    test::ScratchLoop loop(options);
    ASSERT_TRUE(loop.ok()) << loop.error();
    test::TempDir home;
    ::setenv("BRANTWELL_HOME", home.path().c_str(), 1);
    const std::string letter = letter_of(loop.mounts().at(0));
    ASSERT_FALSE(letter.empty()) << "no letter for " << loop.mounts().at(0);

    // The file is written once before, so the measured writes overwrite blocks in place.
    const std::string file = (loop.mounts().at(0) / "load").string();
    ASSERT_EQ(test::run_shell("dd if=/dev/urandom of=" + file +
                              " bs=1M count=96 oflag=direct status=none && sync"),
              0);
    const std::string fio = "fio --name=w --filename=" + file +
                            " --size=96M --rw=write --bs=64k --direct=1 --ioengine=psync"
                            " --rate=20m --time_based --runtime=" +
                            std::to_string(kSeconds + 8) + " --output=/dev/null";
    std::thread load([&] { test::run_shell(fio); });
    std::this_thread::sleep_for(std::chrono::seconds(2));

    // iostat starts as the monitor shows its first second; the monitor's second k covers about
    // the same second as iostat's report k - 1.
    Pipe monitor(test::cli_path().string() + " monitor --json --count " +
                 std::to_string(kSeconds + 1) + " --drive " + letter + ":");
    std::string line;
    ASSERT_TRUE(monitor.line(line)) << "monitor printed nothing";
    Pipe iostat("iostat -x -d -y -o JSON " + loop.name() + " 1 " + std::to_string(kSeconds));
    double ours = 0;
    int ticks = 0;
    while (monitor.line(line)) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_EQ(j["right"][5]["caption"], "Disk Write Bytes/sec");
        ours += j["right"][5]["value"].get<double>();
        ++ticks;
    }
    const auto io = nlohmann::json::parse(iostat.rest());
    load.join();
    double theirs = 0;
    int reports = 0;
    for (const auto& s : io["sysstat"]["hosts"][0]["statistics"]) {
        theirs += s["disk"][0]["wkB/s"].get<double>() * 1024;
        ++reports;
    }
    ASSERT_EQ(ticks, kSeconds);
    ASSERT_EQ(reports, kSeconds);
    const double diff = (ours - theirs) / theirs * 100;
    std::printf("monitor %.0f B/s, iostat %.0f B/s over %d s: %+.3f %%\n", ours / kSeconds,
                theirs / kSeconds, kSeconds, diff);
    EXPECT_GT(theirs / kSeconds, 10e6) << "the load did not run";
    EXPECT_LT(std::abs(diff), 1.0);
}

}  // namespace
}  // namespace bw
