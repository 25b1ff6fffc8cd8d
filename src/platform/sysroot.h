#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// Every read of /proc, /sys, /run, /dev and /etc goes through a Sysroot: "/" in the program, a
// captured fixture tree in tests. Absolute paths are given as the running system names them
// ("/proc/diskstats") and are resolved beneath the root.
// Folders where the kernel's interfaces are mounted; they never hold user data.
inline constexpr std::string_view kKernelInterfaceFolders[] = {"/proc", "/sys", "/dev", "/run"};

// The kernel files every part of the program reads: without them there are no drives and no
// counters. `what` is told to the user when one is missing.
struct KernelRequirement {
    std::string_view path;
    std::string_view what;
};
inline constexpr KernelRequirement kKernelRequirements[] = {
    {"/proc/self/stat", "/proc (the process file system, mounted)"},
    {"/proc/diskstats", "/proc/diskstats (disk statistics of the kernel)"},
    {"/proc/self/mountinfo", "/proc/self/mountinfo (mounted file systems)"},
    {"/sys/block", "/sys/block (sysfs, mounted)"},
};

class Sysroot {
public:
    explicit Sysroot(std::filesystem::path root = "/");

    const std::filesystem::path& root() const { return root_; }
    bool is_live() const { return root_ == "/"; }
    // True when the tree has the kernel's block devices, as a captured system does.
    bool has_block_devices() const { return is_dir("/sys/block"); }

    // Path of an absolute system path beneath the root.
    std::filesystem::path path(std::string_view abs) const;

    // Whole file, or nullopt when it cannot be read; `error` (optional) receives the reason.
    std::optional<std::string> read(std::string_view abs, std::string* error = nullptr) const;
    // First line of a file without the trailing blanks and line end ("" when unreadable).
    std::string read_line(std::string_view abs) const;
    bool exists(std::string_view abs) const;
    bool is_dir(std::string_view abs) const;
    // Names of a folder's entries, sorted; empty when it cannot be listed.
    std::vector<std::string> list(std::string_view abs) const;
    // Target of a symlink as stored, or nullopt.
    std::optional<std::string> read_link(std::string_view abs) const;
    // The link resolved to an absolute system path (relative to the root, symlinks inside the
    // fixture followed lexically), e.g. /sys/block/sda -> /sys/devices/pci0000:00/.../block/sda.
    std::optional<std::string> resolve(std::string_view abs) const;

private:
    std::filesystem::path root_;
};

}  // namespace bw
