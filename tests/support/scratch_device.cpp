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

bool make_and_mount(const std::string& fs_type, bool mount, const std::string& dev,
                    std::vector<fs::path>& mounts, std::string& error) {
    std::string out;
    if (run_shell(mkfs_command(fs_type, dev), &out) != 0) {
        error = "mkfs on " + dev + " failed: " + out;
        return false;
    }
    if (!mount) return true;
    fs::path dir = make_mount_dir();
    if (run_shell("mount " + dev + " " + dir.string(), &out) != 0) {
        error = "mount " + dev + " failed: " + out;
        fs::remove(dir);
        return false;
    }
    mounts.push_back(dir);
    return true;
}

void unmount_all(std::vector<fs::path>& mounts) {
    for (auto& m : mounts) {
        for (int tries = 0; tries < 20 && run_shell("umount " + m.string()) != 0; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::error_code ec;
        fs::remove(m, ec);
    }
    mounts.clear();
}

}  // namespace

ScratchLoop::ScratchLoop(const Options& o) {
    if (error_ = scratch_unavailable(); !error_.empty()) return;
    std::string tmpl =
        ((o.image_folder.empty() ? scratch_base() : o.image_folder) / "bwloop.XXXXXX").string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        error_ = "cannot create the image file";
        return;
    }
    ::close(fd);
    image_ = tmpl;
    fs::resize_file(image_, static_cast<uintmax_t>(o.size_mib) << 20);
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
        make_and_mount(o.filesystem, o.mount, device_, mounts_, error_);
    } else {
        for (const auto& part : partitions_)
            if (!make_and_mount(o.filesystem, o.mount, part, mounts_, error_)) break;
    }
}

ScratchLoop::~ScratchLoop() {
    unmount_all(mounts_);
    if (!device_.empty()) {
        if (!partitions_.empty()) run_shell("partx -d " + device_);
        run_shell("losetup -d " + device_);
    }
    std::error_code ec;
    if (!image_.empty()) fs::remove(image_, ec);
}

std::string ScratchLoop::name() const { return fs::path(device_).filename().string(); }

ScratchZram::ScratchZram(const Options& o) {
    if (error_ = scratch_unavailable(); !error_.empty()) return;
    if (!fs::exists("/sys/class/zram-control/hot_add")) run_shell("modprobe zram num_devices=1");
    std::ifstream add("/sys/class/zram-control/hot_add");
    if (!(add >> index_)) {
        error_ = "zram is not available (no /sys/class/zram-control/hot_add)";
        index_ = -1;
        return;
    }
    device_ = "/dev/zram" + std::to_string(index_);
    std::string sys = "/sys/block/zram" + std::to_string(index_);
    for (int tries = 0; tries < 50 && !fs::exists(device_); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ofstream(sys + "/disksize") << o.size_mib << "M";
    if (o.filesystem.empty()) return;
    std::vector<fs::path> mounts;
    make_and_mount(o.filesystem, o.mount, device_, mounts, error_);
    if (!mounts.empty()) mount_ = mounts.front();
}

ScratchZram::~ScratchZram() {
    if (!mount_.empty()) {
        std::vector<fs::path> m{mount_};
        unmount_all(m);
    }
    if (index_ < 0) return;
    std::string sys = "/sys/block/zram" + std::to_string(index_);
    std::ofstream(sys + "/reset") << "1";
    // zram0 is the system's own; devices we added go away again.
    if (index_ > 0) std::ofstream("/sys/class/zram-control/hot_remove") << index_;
}

std::string ScratchZram::name() const { return "zram" + std::to_string(index_); }

}  // namespace bw::test
