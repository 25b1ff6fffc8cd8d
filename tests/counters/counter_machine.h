#pragma once

// A machine made of files: the /proc and /sys entries the counter layer reads, written into a
// TempDir that serves as the sysroot. Tests change the files between collects to play a
// sequence of kernel states.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "platform/PdhSources.h"
#include "platform/sysroot.h"
#include "support/fakes.h"

namespace bw::test {

struct DiskIo {
    std::uint64_t reads = 0, read_sectors = 0, read_ms = 0;
    std::uint64_t writes = 0, write_sectors = 0, write_ms = 0;
    std::uint64_t in_flight = 0, io_ms = 0, weighted_ms = 0;
};

class CounterMachine {
  public:
    CounterMachine() {
        write("/proc/stat", "cpu  0 0 0 0 0 0 0 0 0 0\ncpu0 0 0 0 0 0 0 0 0 0 0\n");
        write("/proc/meminfo", "MemTotal: 1000 kB\n");
        write("/proc/self/mountinfo", "");
        std::filesystem::create_directories(dir_.path() / "sys/block");
        write_diskstats();
    }

    Sysroot sysroot() const { return Sysroot(dir_.path()); }
    const std::filesystem::path& root() const { return dir_.path(); }

    void write(const std::string& abs, const std::string& text) {
        const auto p = dir_.path() / abs.substr(1);
        std::filesystem::create_directories(p.parent_path());
        write_file(p, text);
    }
    std::string read(const std::string& abs) const {
        return read_file(dir_.path() / abs.substr(1));
    }
    void link(const std::string& abs, const std::string& target) {
        const auto p = dir_.path() / abs.substr(1);
        std::filesystem::create_directories(p.parent_path());
        std::filesystem::remove(p);
        std::filesystem::create_symlink(target, p);
    }
    void remove(const std::string& abs) {
        std::filesystem::remove_all(dir_.path() / abs.substr(1));
    }

    // A whole disk under /sys/devices/virtual/block with its partitions. Request-based disks
    // (with "mq") honour queue/iostats; bio-based ones (zram, dm) count regardless.
    void add_disk(const std::string& name, const std::string& majmin,
                  std::vector<std::string> partitions = {}, bool request_based = true,
                  const std::string& iostats = "1", const std::string& size = "2048") {
        const std::string dev = "/sys/devices/virtual/block/" + name;
        write(dev + "/size", size + "\n");
        write(dev + "/queue/iostats", iostats + "\n");
        write(dev + "/diskseq", "1\n");
        write(dev + "/dev", majmin + "\n");
        if (request_based) write(dev + "/mq/0/cpu_list", "0\n");
        link("/sys/block/" + name, "../devices/virtual/block/" + name);
        link("/sys/class/block/" + name, "../../devices/virtual/block/" + name);
        link("/sys/dev/block/" + majmin, "../../devices/virtual/block/" + name);
        const auto colon = majmin.find(':');
        const int major = std::stoi(majmin.substr(0, colon));
        int minor = std::stoi(majmin.substr(colon + 1));
        for (const auto& part : partitions) {
            const std::string pmm = fmt::format("{}:{}", major, ++minor);
            write(dev + "/" + part + "/partition", "1\n");
            write(dev + "/" + part + "/size", "1024\n");
            link("/sys/class/block/" + part, "../../devices/virtual/block/" + name + "/" + part);
            link("/sys/dev/block/" + pmm, "../../devices/virtual/block/" + name + "/" + part);
            io_.emplace(part, DiskIo{});
        }
        io_.emplace(name, DiskIo{});
        write_diskstats();
    }

    // A device-mapper volume over `slaves` (partitions or disks).
    void add_dm(const std::string& name, const std::string& majmin,
                const std::vector<std::string>& slaves) {
        const std::string dev = "/sys/devices/virtual/block/" + name;
        write(dev + "/size", "4096\n");
        write(dev + "/queue/iostats", "0\n");  // bio-based: its own accounting
        for (const auto& s : slaves) write(dev + "/slaves/" + s + "/dev", "0:0\n");
        link("/sys/block/" + name, "../devices/virtual/block/" + name);
        link("/sys/class/block/" + name, "../../devices/virtual/block/" + name);
        link("/sys/dev/block/" + majmin, "../../devices/virtual/block/" + name);
        io_.emplace(name, DiskIo{});
        write_diskstats();
    }

    // A mount of a block device (by major:minor) at `point`; the point is created in the tree so
    // free space can be asked for.
    void mount(const std::string& majmin, const std::string& point,
               const std::string& fstype = "ext4") {
        mountinfo_ +=
            fmt::format("{} 1 {} / {} rw - {} /dev/x rw\n", 20 + mounts_++, majmin, point, fstype);
        write("/proc/self/mountinfo", mountinfo_);
        std::filesystem::create_directories(dir_.path() / point.substr(1));
    }

    void set_io(const std::string& name, const DiskIo& io) {
        io_[name] = io;
        write_diskstats();
    }
    DiskIo& io(const std::string& name) { return io_[name]; }
    void write_diskstats() {
        std::string text;
        int minor = 0;
        for (const auto& [name, d] : io_)
            text += fmt::format("   8 {:7} {} {} 0 {} {} {} 0 {} {} {} {} {} 0 0 0 0 0 0\n",
                                minor++, name, d.reads, d.read_sectors, d.read_ms, d.writes,
                                d.write_sectors, d.write_ms, d.in_flight, d.io_ms, d.weighted_ms);
        write("/proc/diskstats", text);
    }

    // /proc/stat with one line per processor (times in ticks) and the summary line.
    void set_cpus(const std::vector<CpuTimes>& cpus) {
        CpuTimes sum;
        std::string lines;
        for (const auto& c : cpus) {
            lines += fmt::format("cpu{} {} {} {} {} {} {} {} {} 0 0\n", c.cpu, c.user, c.nice,
                                 c.system, c.idle, c.iowait, c.irq, c.softirq, c.steal);
            sum.user += c.user, sum.nice += c.nice, sum.system += c.system, sum.idle += c.idle;
            sum.iowait += c.iowait, sum.irq += c.irq, sum.softirq += c.softirq,
                sum.steal += c.steal;
        }
        write("/proc/stat",
              fmt::format("cpu  {} {} {} {} {} {} {} {} 0 0\n", sum.user, sum.nice, sum.system,
                          sum.idle, sum.iowait, sum.irq, sum.softirq, sum.steal) +
                  lines + "intr 0\nctxt 0\n");
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
    TempDir dir_;
    std::map<std::string, DiskIo> io_;
    std::string mountinfo_;
    int mounts_ = 0;
};

}  // namespace bw::test
