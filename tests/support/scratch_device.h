#pragma once

// Block devices that an e2e test makes for itself and removes again, whatever happens: a loop
// device over a file in /tmp, or a zram RAM disk added with hot_add (so tests never fight over
// /dev/zram0). Both need root; `unavailable()` says why not, for GTEST_SKIP.
//
// Each device is recorded before it is made (scratch_device_record.h): the object removes it, its
// mounts and its image when it goes, and what a killed or crashed test left behind is removed by
// the next scratch object of any test. A mount still held by a process that outlived its test is
// detached lazily and its device freed by a later sweep once that process has ended.

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_device_record.h"

namespace bw::test {

// "" when this process can make scratch devices, else the reason.
std::string scratch_unavailable();

// Runs a shell command; returns its exit status and fills `out` with what it printed.
int run_shell(const std::string& command, std::string* out = nullptr);

class ScratchLoop {
public:
    struct Options {
        long size_mib = 64;
        int sector_size = 512;
        // Partition sizes in MiB (GPT); empty: no partition table.
        std::vector<long> partitions_mib;
        // Filesystem to make on the device (or on each partition): "" for none, "ext4", ...
        std::string filesystem;
        bool mount = false;
        // Folder of the image file; empty: scratch_base(). "/dev/shm" keeps the host's disk
        // (and its load) out of timings.
        std::filesystem::path image_folder;
    };
    explicit ScratchLoop(const Options& options);
    ~ScratchLoop();
    ScratchLoop(const ScratchLoop&) = delete;
    ScratchLoop& operator=(const ScratchLoop&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& device() const { return device_; }       // /dev/loopN
    std::string name() const;                                    // loopN
    const std::vector<std::string>& partitions() const { return partitions_; }  // /dev/loopNp1..
    // Mount points, one per filesystem made (the device's, or each partition's).
    const std::vector<std::filesystem::path>& mounts() const { return mounts_; }

private:
    std::string error_, device_;
    std::filesystem::path image_;
    std::vector<std::string> partitions_;
    std::vector<std::filesystem::path> mounts_;
    ScratchRecord record_;
    std::filesystem::path record_path_;
};

class ScratchZram {
public:
    struct Options {
        long size_mib = 256;
        std::string filesystem;  // "" for none
        bool mount = false;
    };
    explicit ScratchZram(const Options& options);
    ~ScratchZram();
    ScratchZram(const ScratchZram&) = delete;
    ScratchZram& operator=(const ScratchZram&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& device() const { return device_; }  // /dev/zramN
    std::string name() const;                               // zramN
    const std::filesystem::path& mount_point() const { return mount_; }

private:
    std::string error_, device_;
    int index_ = -1;
    std::filesystem::path mount_;
    ScratchRecord record_;
    std::filesystem::path record_path_;
};

}  // namespace bw::test
