#pragma once

// The file-system checkers behind the disk check, one row each, and how the window's four options
// become their arguments. What a checker cannot do is said, not hidden: a row names the reason.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

struct CheckerDef {
    std::string_view fstypes;        // the filesystem types it checks, blank-separated
    std::string_view program;        // the program, looked up on the machine
    std::string_view package;        // the Debian package that brings it
    std::string_view check_args;     // read-only check
    std::string_view repair_args;    // repair ("" when the program repairs by default)
    std::string_view progress_args;  // makes it write progress lines to descriptor 3
    std::string_view verbose_arg;    // "" when it has no verbose mode
    std::string_view force_arg;      // checks a volume it takes as clean; "" when it always checks
    std::string_view badblocks_arg;  // a bad-block read of the device (offered with repair only)
    std::string_view mounted_arg;    // lets its read-only check run on a mounted volume
    bool checks_mounted;             // its read-only check can run on a mounted volume at all
    std::string_view no_repair;      // "" when Brantwell runs its repair, else why not
};

// fstypes, program, package, check, repair, progress, verbose, force, bad blocks, mounted,
// checks mounted, why no repair.
inline constexpr CheckerDef kCheckers[] = {
    {"ext2 ext3 ext4", "e2fsck", "e2fsprogs", "-n", "-y", "-C 3", "-v", "-f", "-c", "", true, ""},
    {"xfs", "xfs_repair", "xfsprogs", "-n", "", "", "-v", "", "", "", false, ""},
    {"btrfs", "btrfs", "btrfs-progs", "check --readonly", "", "", "", "", "", "--force", true,
     "the makers of btrfs check advise against its --repair except on the advice of a developer"},
    {"vfat msdos", "fsck.fat", "dosfstools", "-n", "-a", "", "-v", "", "-t", "", true, ""},
};

// The checker of a filesystem type, nullptr when there is none.
const CheckerDef* CheckerFor(std::string_view fstype);
// "ext2, ext3, ext4, xfs, btrfs, vfat, msdos": for the message on a filesystem without one.
std::string CheckedFilesystems();

// What the window asked for, and what the volume allows.
struct CheckerOptions {
    bool repair = false;  // repair runs (the volume is unmounted)
    bool verbose = false;
    bool only_if_dirty = false;  // "Drive is Dirty"
    bool enhanced = false;       // "Enhanced Scan"
    bool mounted = false;        // the volume stays mounted (read-only check)
};

struct CheckerPlan {
    std::vector<std::string> argv;  // program path first, device last
    bool progress_on_fd3 = false;
    std::vector<std::string> notes;  // options it could not honour, and why (one line each)
};
// The command for `device` (a path under /dev); `program_path` is where the program was found.
CheckerPlan PlanChecker(const CheckerDef& checker, const std::string& program_path,
                        const std::string& device, const CheckerOptions& options);

// What a checker's exit status says, decided from the status and not from its wording.
enum class CheckOutcome { NoProblems, Repaired, RepairDone, ProblemsLeft, Failed, Cancelled };
CheckOutcome OutcomeOf(const CheckerDef& checker, bool repair, int exit_status);
// The line the check ends with. Only NoProblems says "No Problems", which the window looks for.
std::string OutcomeText(CheckOutcome outcome, std::string_view program, int exit_status);
// Outcomes in which the checker came to a result.
bool IsResult(CheckOutcome outcome);

}  // namespace bw
