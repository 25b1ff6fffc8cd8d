#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// Folders where the kernel's interfaces are mounted; they never hold user data (the volume map
// leaves mounts beneath them out).
inline constexpr std::string_view kKernelInterfaceFolders[] = {"/proc", "/sys", "/dev", "/run"};

// Largest file a Sysroot reads. The biggest file the program reads is /proc/self/mountinfo, about
// 150 bytes a mount: 16 MiB holds over 100 000 mounts, far more than a busy container host has.
// Anything larger is not a kernel file the program knows, and reading it would only eat memory.
inline constexpr std::size_t kSysrootReadCap = std::size_t{16} << 20;

// Every read of /proc, /sys, /run, /dev and /etc goes through a Sysroot: "/" in the program, a
// captured fixture tree in tests. Absolute paths are given as the running system names them
// ("/proc/diskstats") and are resolved beneath the root: in a fixture, links (absolute or "..")
// never lead out of the tree, because a folder given with --sysroot may be anyone's. Only regular
// files are read, opened so that a FIFO cannot hang the read, and never more than kSysrootReadCap.
class Sysroot {
public:
    explicit Sysroot(std::filesystem::path root = "/");

    const std::filesystem::path& root() const { return root_; }
    bool is_live() const { return root_ == "/"; }

    // Path of an absolute system path beneath the root.
    std::filesystem::path path(std::string_view abs) const;

    // Whole file, or nullopt when it cannot be read (missing, not a regular file, larger than
    // kSysrootReadCap); `error` (optional) receives the reason.
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

    // How a fixture path is opened beneath its root: by the kernel (openat2 with RESOLVE_IN_ROOT)
    // or, where the kernel lacks openat2, by walking the path here with the same rules. Returns a
    // descriptor (to close) or -1 with errno set. Public so that tests hold both to one table.
    enum class InRoot { kernel, walk };
    static int open_in_root(int root_fd, std::string_view abs, int flags, InRoot how);

private:
    // Descriptor of `abs` (live: as the system resolves it; fixture: beneath the root), -1 with
    // errno set when it cannot be opened.
    int open(std::string_view abs, int flags) const;

    std::filesystem::path root_;
};

}  // namespace bw
