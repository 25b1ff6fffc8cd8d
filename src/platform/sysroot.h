#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// Folders where the kernel's interfaces are mounted; they never hold user data (the volume map
// leaves mounts beneath them out).
inline constexpr std::string_view kKernelInterfaceFolders[] = {"/proc", "/sys", "/dev", "/run"};

// Every read of /proc, /sys, /run, /dev and /etc goes through a Sysroot: "/" in the program, a
// captured fixture tree in tests. Absolute paths are given as the running system names them
// ("/proc/diskstats") and are resolved beneath the root.
class Sysroot {
public:
    explicit Sysroot(std::filesystem::path root = "/");

    const std::filesystem::path& root() const { return root_; }
    bool is_live() const { return root_ == "/"; }

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
