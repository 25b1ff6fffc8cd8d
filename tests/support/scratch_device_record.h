#pragma once

// What a scratch device left on the machine, written down before it is made, so that whatever
// happens to the test (a failed assertion, an exception, a crash, a ctest timeout that kills it
// outright) the device, its mounts and its image file are removed: at once by the scratch
// object, or by the next scratch object of any test once the process that made them is gone.
//
// Records live in a private folder (root's, mode 0700) under the scratch base, one file per
// device. Only what a record names is ever undone, and only names of the forms the rig makes
// (/dev/zramN, /dev/loopN, <base>/bwmnt.*, <base>/bwloop.*): a device somebody else made, or a
// zram0 that another test run holds, is never touched.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace bw::test {

struct ScratchRecord {
    pid_t pid = 0;                   // the process that made the device
    unsigned long long start = 0;    // and its start time (so a reused pid is not taken for it)
    std::string device;              // /dev/zramN or /dev/loopN; "" before it exists
    unsigned long long diskseq = 0;  // the kernel's number of that device (a reused name differs)
    int zram_index = -1;             // N of a zram device
    bool partitioned = false;        // a loop device whose partitions were added with partx
    std::vector<std::filesystem::path> mounts;  // mount points (made before they are mounted)
    std::filesystem::path image;                // a loop device's image file
    bool ended = false;  // its object is gone but something was still held: sweep it
};

// The record of this process for a new device (pid and start time filled in).
ScratchRecord own_scratch_record();

// The record's text and back; parse gives false for a record that names anything the rig does
// not make (then nothing in it is followed).
std::string format_scratch_record(const ScratchRecord& record);
bool parse_scratch_record(const std::string& text, ScratchRecord* record);

// True when `point` is a mount point now.
bool scratch_mounted(const std::filesystem::path& point);

// True while the process that wrote the record runs (same pid, same start time).
bool scratch_owner_alive(const ScratchRecord& record);

// A new record file of this process, in the private folder (made when missing); "" when the
// folder cannot be made safely.
std::filesystem::path new_scratch_record_path();
// The kernel's sequence number of a block device ("zram3"), 0 when it has none.
unsigned long long device_diskseq(const std::string& device_name);
// Writes the record whole (replacing the old one); false when it could not be written.
bool save_scratch_record(const std::filesystem::path& path, const ScratchRecord& record);

// Unmounts (lazily when a process still holds it), removes the mount folders, resets and
// removes the zram device or detaches the loop device, removes the image. True when all of it is
// gone; false leaves something for a later sweep (a device still held open).
bool release_scratch(const ScratchRecord& record, std::string* left = nullptr);

// Releases what every record of a process that no longer runs (or whose object has ended) names,
// and removes those records that were released whole. Returns what was left and why, "" when
// nothing was.
std::string sweep_stale_scratch();

}  // namespace bw::test
