#pragma once

// A machine made of files: the /proc and /sys entries the counter layer reads, written into a
// TempDir that serves as the sysroot. Tests change the files between collects to play a
// sequence of kernel states. PdhRig puts a counter layer over it on a fake clock;
// CountersScenario adds the program-wide counter state on top.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "core/AppState.h"
#include "counters/CounterState.h"
#include "platform/PdhQuery.h"
#include "platform/PdhSources.h"
#include "platform/sysroot.h"
#include "support/fakes.h"

namespace bw::test {

struct DiskIo {
    std::uint64_t reads = 0, read_sectors = 0, read_ms = 0;
    std::uint64_t writes = 0, write_sectors = 0, write_ms = 0;
    std::uint64_t in_flight = 0, io_ms = 0, weighted_ms = 0;
};

// `count` processors numbered from 0, every time 0.
inline std::vector<CpuTimes> idle_cpus(int count) {
    std::vector<CpuTimes> v(count);
    for (int i = 0; i < count; ++i) v[i].cpu = i;
    return v;
}

// Lays a part ("base", "t0", "t1") of the tree captured from a two-processor VM over `root`:
// base then t0 is the machine at its first collect, t1 one second later.
inline void lay_captured(const std::filesystem::path& root, const std::string& part) {
    namespace fs = std::filesystem;
    fs::copy(fixture("counters/vm2cpu/" + part), root,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                 fs::copy_options::copy_symlinks);
}

class CounterMachine {
  public:
    CounterMachine() {
        set_cpus(idle_cpus(1));
        write("/proc/meminfo", "MemTotal: 1000 kB\n");
        write("/proc/self/mountinfo", "");
        std::filesystem::create_directories(at("/sys/block"));
        write_diskstats();
    }

    Sysroot sysroot() const { return Sysroot(dir_.path()); }
    std::filesystem::path at(const std::string& abs) const { return dir_.path() / abs.substr(1); }

    void write(const std::string& abs, const std::string& text) {
        std::filesystem::create_directories(at(abs).parent_path());
        write_file(at(abs), text);
    }
    void link(const std::string& abs, const std::string& target) {
        std::filesystem::create_directories(at(abs).parent_path());
        std::filesystem::remove(at(abs));
        std::filesystem::create_symlink(target, at(abs));
    }
    void remove(const std::string& abs) { std::filesystem::remove_all(at(abs)); }

    // A whole disk with its partitions. Request-based disks (with "mq") honour queue/iostats;
    // bio-based ones (zram, dm) count regardless.
    void add_disk(const std::string& name, const std::string& majmin,
                  const std::vector<std::string>& partitions = {}, bool request_based = true,
                  const std::string& iostats = "1") {
        const std::string dev = device(name, majmin, iostats);
        write(dev + "/diskseq", "1\n");
        write(dev + "/dev", majmin + "\n");
        if (request_based) write(dev + "/mq/0/cpu_list", "0\n");
        const auto colon = majmin.find(':');
        int minor = std::stoi(majmin.substr(colon + 1));
        for (const auto& part : partitions) {
            write(dev + "/" + part + "/partition", "1\n");
            write(dev + "/" + part + "/size", "1024\n");
            block_links(part, fmt::format("{}:{}", majmin.substr(0, colon), ++minor),
                        name + "/" + part);
            io_.emplace(part, DiskIo{});
        }
        write_diskstats();
    }
    // A device-mapper volume over `slaves` (partitions or disks): bio-based, its own accounting.
    void add_dm(const std::string& name, const std::string& majmin,
                const std::vector<std::string>& slaves) {
        const std::string dev = device(name, majmin, "0");
        for (const auto& s : slaves) write(dev + "/slaves/" + s + "/dev", "0:0\n");
        write_diskstats();
    }
    void set_iostats(const std::string& disk, bool on) {
        write("/sys/devices/virtual/block/" + disk + "/queue/iostats", on ? "1\n" : "0\n");
    }
    std::string iostats(const std::string& disk) const {
        return read_file(at("/sys/devices/virtual/block/" + disk + "/queue/iostats"));
    }

    // A mount of a block device (by major:minor) at `point`, created in the tree so free space
    // can be asked for.
    void mount(const std::string& majmin, const std::string& point) {
        mountinfo_ +=
            fmt::format("{} 1 {} / {} rw - ext4 /dev/x rw\n", 20 + mounts_++, majmin, point);
        write("/proc/self/mountinfo", mountinfo_);
        std::filesystem::create_directories(at(point));
    }

    void set_io(const std::string& name, const DiskIo& io) {
        io_[name] = io;
        write_diskstats();
    }

    // /proc/stat with the summary line and one line per processor (times in ticks).
    void set_cpus(const std::vector<CpuTimes>& cpus) {
        const auto line = [](const std::string& label, const CpuTimes& c) {
            return fmt::format("{} {} {} {} {} {} {} {} {} 0 0\n", label, c.user, c.nice, c.system,
                               c.idle, c.iowait, c.irq, c.softirq, c.steal);
        };
        CpuTimes sum;
        std::string lines;
        for (const auto& c : cpus) {
            lines += line("cpu" + std::to_string(c.cpu), c);
            for (auto f : {&CpuTimes::user, &CpuTimes::nice, &CpuTimes::system, &CpuTimes::idle,
                           &CpuTimes::iowait, &CpuTimes::irq, &CpuTimes::softirq, &CpuTimes::steal})
                sum.*f += c.*f;
        }
        write("/proc/stat", line("cpu ", sum) + lines + "intr 0\nctxt 0\n");
    }

    // A process whose executable is `exe` (a path; only its file name matters).
    void set_process(int pid, const std::string& exe, std::uint64_t utime, std::uint64_t stime,
                     std::uint64_t start_time, const ProcessIo& io = {}) {
        const std::string dir = "/proc/" + std::to_string(pid);
        link(dir + "/exe", exe);
        write(dir + "/comm", exe.substr(exe.rfind('/') + 1).substr(0, 15) + "\n");
        write(dir + "/stat",
              fmt::format("{} (x y) S 1 1 1 0 -1 4194304 0 0 0 0 {} {} 0 0 20 0 1 0 {} 0 0\n", pid,
                          utime, stime, start_time));
        write(dir + "/io", fmt::format("rchar: {}\nwchar: {}\nsyscr: {}\nsyscw: {}\nread_bytes: 0\n"
                                       "write_bytes: 0\ncancelled_write_bytes: 0\n",
                                       io.rchar, io.wchar, io.syscr, io.syscw));
    }
    void end_process(int pid) { remove("/proc/" + std::to_string(pid)); }

  private:
    std::string device(const std::string& name, const std::string& majmin,
                       const std::string& iostats) {
        const std::string dev = "/sys/devices/virtual/block/" + name;
        write(dev + "/size", "2048\n");
        write(dev + "/queue/iostats", iostats + "\n");
        link("/sys/block/" + name, "../devices/virtual/block/" + name);
        block_links(name, majmin, name);
        io_.emplace(name, DiskIo{});
        return dev;
    }
    void block_links(const std::string& name, const std::string& majmin, const std::string& rel) {
        link("/sys/class/block/" + name, "../../devices/virtual/block/" + rel);
        link("/sys/dev/block/" + majmin, "../../devices/virtual/block/" + rel);
    }
    void write_diskstats() {
        std::string text;
        int minor = 0;
        for (const auto& [name, d] : io_)
            text += fmt::format("   8 {:7} {} {} 0 {} {} {} 0 {} {} {} {} {} 0 0 0 0 0 0\n",
                                minor++, name, d.reads, d.read_sectors, d.read_ms, d.writes,
                                d.write_sectors, d.write_ms, d.in_flight, d.io_ms, d.weighted_ms);
        write("/proc/diskstats", text);
    }

    TempDir dir_;
    std::map<std::string, DiskIo> io_;
    std::string mountinfo_;
    int mounts_ = 0;
};

// The counter layer (computer "BOX") over a CounterMachine, on a fake clock, built on first use
// so a test can lay the machine out first.
struct PdhRig {
    PdhRig() : use_clock_(clock_) {}
    PdhLibrary& library(const Sysroot* root = nullptr) {
        if (!lib_) {
            lib_ = std::make_unique<PdhLibrary>(root ? *root : m_.sysroot());
            lib_->set_computer_name("BOX");
        }
        return *lib_;
    }
    // Opens the one query the helpers below use.
    void open(const Sysroot* root = nullptr) {
        ASSERT_EQ(library(root).OpenQuery(&query_), kPdhOk);
    }
    PdhHandle add(const std::string& path) {
        PdhHandle h = 0;
        EXPECT_EQ(lib_->AddCounter(query_, path, &h), kPdhOk) << path;
        return h;
    }
    void collect_after(int ms) {
        clock_.advance(ms);
        EXPECT_EQ(lib_->CollectQueryData(query_), kPdhOk);
    }
    double value(PdhHandle h, PdhStatus* st = nullptr, bool cap100 = true) {
        return lib_->GetDoubleCounterValue(h, st, cap100);
    }

    FakeClock clock_;
    UseClock use_clock_;
    CounterMachine m_;
    std::unique_ptr<PdhLibrary> lib_;
    PdhHandle query_ = 0;
};

// A counter scenario: the program-wide counter state starts empty and reads the rig's layer;
// questions are scripted. sda: sda1 "/" = C:, sda2 "/data" = E:; sdb "/backup" = D:; two
// processors.
class CountersScenario : public ::testing::Test, public PdhRig {
  protected:
    CountersScenario() : use_prompt_(prompt_), saved_app_(app()) {
        ResetCounterState();
        app().computer_name = "BOX";
        app().processor_count = 2;
        app().program_folder = folder_.path();
        app().repair_state = 0;
        app().basic_only_mode = false;
        m_.add_disk("sda", "8:0", {"sda1", "sda2"});
        m_.add_disk("sdb", "8:16");
        m_.mount("8:1", "/");
        m_.mount("8:2", "/data");
        m_.mount("8:16", "/backup");
        m_.set_cpus(idle_cpus(2));
    }
    ~CountersScenario() override {
        set_pdh(nullptr);
        ResetCounterState();
        app() = saved_app_;
    }
    // Builds the layer over the machine as it is now and makes it the program's.
    PdhLibrary& library() {
        set_pdh(&PdhRig::library());
        return *lib_;
    }

    ScriptedPrompt prompt_;
    UsePrompt use_prompt_;
    AppState saved_app_;
    TempDir folder_;
};

}  // namespace bw::test
