#pragma once

// Mounting, remounting and unmounting behind one interface that takes a sysroot and a mount
// runner. The program hands in the live runner (mount(2), umount2(2)); tests hand in one that
// records the calls, so no test ever changes the machine's mounts. The counter repair mounts
// /proc and /sys; the TRIM test switches a volume's discard option, the disk check unmounts a
// volume and mounts it again as it was, the tweaks set noatime.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sysroot.h"

namespace bw {

// One call to the kernel, in the kernel's terms.
struct MountCall {
    enum class Op { Mount, Remount, Unmount };
    Op op = Op::Mount;
    std::string source;       // "proc", "/dev/sda1"; empty for a remount or unmount
    std::string target;       // the mount point as the running system names it
    std::string fstype;       // empty for a remount or unmount
    unsigned long flags = 0;  // MS_* bits of the generic options (MS_REMOUNT for a remount)
    std::string data;         // the filesystem's own options, comma-joined ("discard,errors=...")
    bool operator==(const MountCall&) const = default;
};

class MountRunner {
  public:
    virtual ~MountRunner() = default;
    // 0 when done, else the errno.
    virtual int run(const MountCall& call) = 0;
    // True when the calls change the running machine: such a runner only serves the sysroot "/".
    virtual bool acts_on_machine() const = 0;
};
// mount(2) and umount2(2) on this machine.
MountRunner& live_mount_runner();

// A mount as mountinfo shows it.
struct MountState {
    std::string source, target, fstype;
    std::vector<std::string> options;  // per-mount and filesystem options, in mountinfo's order
};

struct MountResult {
    bool ok = false;
    std::string message;  // one line for the user: what was done, or why not
};

// The kernel filesystems the counters read from.
enum class KernelFs { Proc, Sys };
struct KernelFsDef {
    KernelFs fs;
    std::string_view fstype, target;
    std::string_view witness;  // a file that is there once the filesystem is mounted
};
inline constexpr KernelFsDef kKernelFilesystems[] = {
    {KernelFs::Proc, "proc", "/proc", "/proc/stat"},
    {KernelFs::Sys, "sysfs", "/sys", "/sys/block"},
};

// "rw,noatime,discard" <-> {"rw", "noatime", "discard"}; empty pieces are dropped.
std::vector<std::string> SplitMountOptions(std::string_view text);
std::string JoinMountOptions(const std::vector<std::string>& options);
// The options after `changes`: a change replaces every option it contradicts ("nodiscard"
// replaces "discard", "noatime" replaces "relatime"), is added once, and keeps the place of what it
// replaced (else it goes last).
std::vector<std::string> ApplyMountOptions(std::vector<std::string> options,
                                           const std::vector<std::string>& changes);
// The kernel call that mounts (or remounts) `state`: generic options become MS_* bits, the rest
// the filesystem's data string.
MountCall MountCallFor(MountCall::Op op, const MountState& state);

class Mounts {
  public:
    Mounts(Sysroot root, MountRunner& runner);

    // The mount at `mount_point` (the last one when several are stacked), from mountinfo.
    std::optional<MountState> find(std::string_view mount_point) const;
    bool has_option(std::string_view mount_point, std::string_view option) const;

    bool is_mounted(KernelFs fs) const;
    // Messages: "/proc mounted", "mount: Operation not permitted (mounting needs root)".
    MountResult mount_kernel_fs(KernelFs fs);
    // Remounts with the mount's options changed by `changes` ("discard", "nodiscard", "noatime").
    MountResult remount(std::string_view mount_point, const std::vector<std::string>& changes);
    // Changes only the mount's own flags (atime, nosuid, ...), as "mount -o remount,bind" does:
    // the filesystem's options are not passed again, so none it refuses on a remount is asked for.
    MountResult remount_flags(std::string_view mount_point, const std::vector<std::string>& changes);
    // Unmounts; `earlier` receives the mount as it was, for mount_again.
    MountResult unmount(std::string_view mount_point, MountState* earlier);
    MountResult mount_again(const MountState& earlier);

  private:
    std::optional<MountResult> refused() const;
    MountResult run(const MountCall& call, std::string done);

    Sysroot root_;
    MountRunner& runner_;
};

}  // namespace bw
