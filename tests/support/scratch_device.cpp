#include "support/scratch_device.h"

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <thread>

#include "support/fakes.h"

namespace bw::test {

namespace fs = std::filesystem;

int run_shell(const std::string& command, std::string* out) {
    std::string full = command + " 2>&1";
    FILE* p = ::popen(full.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf{};
    std::string text;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) text.append(buf.data(), n);
    int status = ::pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string scratch_unavailable() {
    if (::geteuid() != 0) return "needs root (creates loop and zram devices)";
    if (::access("/dev/loop-control", R_OK | W_OK) != 0) return "no /dev/loop-control";
    return {};
}

namespace {

fs::path make_mount_dir() {
    std::string tmpl = (scratch_base() / "bwmnt.XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) return {};
    return tmpl;
}

std::string mkfs_command(const std::string& fs_type, const std::string& dev) {
    if (fs_type == "ext4" || fs_type == "ext2" || fs_type == "ext3")
        return "mkfs." + fs_type + " -q -F " + dev;
    return "mkfs." + fs_type + " -f " + dev;  // xfs, btrfs
}

// Starts the record of a new device: the stale leftovers of killed tests go first, then this
// process's record is written before anything is made.
fs::path begin_record(ScratchRecord& record, std::string& error) {
    if (std::string left = sweep_stale_scratch(); !left.empty())
        std::fprintf(stderr, "scratch devices of earlier tests left: %s\n", left.c_str());
    record = own_scratch_record();
    fs::path path = new_scratch_record_path();
    if (!save_scratch_record(path, record)) {
        error = "cannot write the scratch device record under " + scratch_base().string();
        return {};
    }
    return path;
}

void note_device(ScratchRecord& record, const fs::path& record_path, const std::string& device) {
    record.device = device;
    record.diskseq = device_diskseq(fs::path(device).filename().string());
    if (device.rfind("/dev/zram", 0) == 0) record.zram_index = std::stoi(device.substr(9));
    save_scratch_record(record_path, record);
}

bool make_and_mount(const std::string& fs_type, bool mount, const std::string& dev,
                    ScratchRecord& record, const fs::path& record_path,
                    std::vector<fs::path>& mounts, std::string& error) {
    std::string out;
    if (run_shell(mkfs_command(fs_type, dev), &out) != 0) {
        error = "mkfs on " + dev + " failed: " + out;
        return false;
    }
    if (!mount) return true;
    fs::path dir = make_mount_dir();
    if (dir.empty()) {
        error = "cannot make a mount folder under " + scratch_base().string();
        return false;
    }
    // Recorded before it is mounted: a test killed in between leaves nothing unrecorded.
    record.mounts.push_back(dir);
    save_scratch_record(record_path, record);
    if (run_shell("mount " + dev + " " + dir.string(), &out) != 0) {
        error = "mount " + dev + " failed: " + out;
        return false;
    }
    mounts.push_back(dir);
    return true;
}

// Removes what the record names and, when all of it went, the record; else the record stays for
// the next sweep and the test's output says what was left.
void end_record(ScratchRecord& record, const fs::path& record_path) {
    if (record_path.empty()) return;
    std::string left;
    if (release_scratch(record, &left)) {
        std::error_code ec;
        fs::remove(record_path, ec);
    } else {
        record.ended = true;
        save_scratch_record(record_path, record);
        std::fprintf(stderr, "scratch device not removed yet (a later test's sweep will): %s\n",
                     left.c_str());
    }
}

}  // namespace

ScratchLoop::ScratchLoop(const Options& o) {
    if (error_ = scratch_unavailable(); !error_.empty()) return;
    record_path_ = begin_record(record_, error_);
    if (record_path_.empty()) return;
    std::string tmpl =
        ((o.image_folder.empty() ? scratch_base() : o.image_folder) / "bwloop.XXXXXX").string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        error_ = "cannot create the image file";
        return;
    }
    ::close(fd);
    image_ = tmpl;
    record_.image = image_;
    save_scratch_record(record_path_, record_);
    std::error_code ec;
    fs::resize_file(image_, static_cast<uintmax_t>(o.size_mib) << 20, ec);
    if (ec) {
        error_ = "cannot size the image file " + image_.string() + ": " + ec.message();
        return;
    }
    std::string out;
    if (!o.partitions_mib.empty()) {
        std::string script = "label: gpt\n";
        for (long p : o.partitions_mib) script += "size=" + std::to_string(p) + "MiB\n";
        std::ofstream(image_.string() + ".sfdisk") << script;
        if (run_shell("sfdisk -q " + image_.string() + " < " + image_.string() + ".sfdisk", &out)) {
            error_ = "sfdisk failed: " + out;
            return;
        }
        fs::remove(image_.string() + ".sfdisk");
    }
    std::string cmd = "losetup -f --show --sector-size " + std::to_string(o.sector_size) +
                      (o.partitions_mib.empty() ? " " : " -P ") + image_.string();
    if (run_shell(cmd, &out) != 0) {
        error_ = "losetup failed: " + out;
        return;
    }
    device_ = out.substr(0, out.find('\n'));
    record_.partitioned = !o.partitions_mib.empty();
    note_device(record_, record_path_, device_);
    if (!o.partitions_mib.empty()) {
        run_shell("partx -a " + device_);  // this kernel does not read the table by itself
        for (size_t i = 1; i <= o.partitions_mib.size(); ++i) {
            std::string part = device_ + "p" + std::to_string(i);
            for (int tries = 0; tries < 50 && !fs::exists(part); ++tries)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            partitions_.push_back(part);
        }
    }
    if (o.filesystem.empty()) return;
    if (partitions_.empty()) {
        make_and_mount(o.filesystem, o.mount, device_, record_, record_path_, mounts_, error_);
    } else {
        for (const auto& part : partitions_)
            if (!make_and_mount(o.filesystem, o.mount, part, record_, record_path_, mounts_,
                                error_))
                break;
    }
}

ScratchLoop::~ScratchLoop() {
    end_record(record_, record_path_);
}

std::string ScratchLoop::name() const { return fs::path(device_).filename().string(); }

ScratchZram::ScratchZram(const Options& o) {
    if (error_ = scratch_unavailable(); !error_.empty()) return;
    record_path_ = begin_record(record_, error_);
    if (record_path_.empty()) return;
    if (!fs::exists("/sys/class/zram-control/hot_add")) run_shell("modprobe zram num_devices=1");
    std::ifstream add("/sys/class/zram-control/hot_add");
    if (!(add >> index_)) {
        error_ = "zram is not available (no /sys/class/zram-control/hot_add)";
        index_ = -1;
        return;
    }
    device_ = "/dev/zram" + std::to_string(index_);
    note_device(record_, record_path_, device_);
    std::string sys = "/sys/block/zram" + std::to_string(index_);
    for (int tries = 0; tries < 50 && !fs::exists(device_); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ofstream(sys + "/disksize") << o.size_mib << "M";
    if (o.filesystem.empty()) return;
    std::vector<fs::path> mounts;
    make_and_mount(o.filesystem, o.mount, device_, record_, record_path_, mounts, error_);
    if (!mounts.empty()) mount_ = mounts.front();
}

ScratchZram::~ScratchZram() {
    end_record(record_, record_path_);
}

std::string ScratchZram::name() const { return "zram" + std::to_string(index_); }

}  // namespace bw::test
