#pragma once

// Drive letters for Linux volumes. "/" is C:; every other mounted local filesystem on a block
// device gets one of D: to Z: in mount-point order, and optical drives follow. A letter once
// given is remembered by filesystem UUID in the preferences file, so a volume keeps its letter
// across runs and a volume that is away keeps its letter free while others are left.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/SystemQuery.h"

namespace bw {

// The kinds of logical disk the inventory tells apart.
enum class DriveType { Removable = 2, Local = 3, Network = 4, Optical = 5 };

struct Volume {
    char letter = 0;          // 'C'..'Z'; 0 when none was left
    std::string mount_point;  // "" for an optical drive without a disc
    std::string device_name;  // "sda1", "dm-0", "sr0"
    std::string fstype, uuid, label;
    std::string mount_options;
    std::vector<std::string> disks;  // whole disks beneath the volume
    DriveType type = DriveType::Local;
    bool holds_root = false;
    std::vector<std::string> reasons;  // facts that are missing, and why
};

struct VolumeMap {
    std::vector<Volume> volumes;  // lettered volumes in letter order, then those without a letter
    std::vector<std::string> notes;  // mounts that got no letter and why (tmpfs, network, ...)
    const Volume* find(char letter) const;
    // The lettered volume that holds a path (the longest mount point that is a prefix of it).
    const Volume* volume_of_path(const std::string& path) const;
};

// Whether `path` is `mount` or lies beneath it (by whole folder names: /mnt/a is not within /mnt/ab).
bool path_within(const std::string& path, const std::string& mount);

// Where the tests of a letter put their files: the mount point when this process may write there,
// else a writable folder of the same filesystem among `candidates` (home, working folder, /var/tmp,
// /tmp). Empty, with the reason, when there is none.
std::filesystem::path LetterTestFolder(const SystemQuery& query, const VolumeMap& map, char letter,
                                       const std::vector<std::string>& candidates,
                                       std::string* reason);
// The block device of a letter ("/dev/sda1"), "" when it has none.
std::string LetterDevice(const VolumeMap& map, char letter);

// Preferences section holding the remembered letters: key = letter, value = "UUID=..." or
// "OPTICAL=sr0".
inline constexpr std::string_view kDriveLetterSection = "Drive Letters";

// Builds the map from the system's mounts. `prefs` is the preferences file to remember letters in;
// an empty path remembers nothing (a fixture, a read-only look).
VolumeMap BuildVolumeMap(const SystemQuery& query, const std::filesystem::path& prefs);

// --- The steps of BuildVolumeMap, each over plain data ---------------------------------------

// A mount with the block device it is on ("sda1"); "" when it has none (tmpfs, network, proc).
struct DeviceMount {
    MountEntry mount;
    std::string device;
};

// One volume per block device and per optical drive without a disc, in device-name order, with
// the notes on mounts that get none.
struct ChosenMounts {
    std::vector<Volume> volumes;  // mount point, device, filesystem type, options, type, holds_root
    std::vector<std::string> notes;
};

// Chooses the mount that stands for each block device: the one at "/", else the mount of the
// filesystem's own root before bind mounts of its subfolders, the shortest mount point first.
ChosenMounts ChooseMounts(const std::vector<DeviceMount>& mounts,
                          const std::vector<std::string>& optical_drives);

// What a volume's device says of itself.
struct DeviceFacts {
    FsIdentity identity;
    std::vector<std::string> disks;  // whole disks beneath it
    bool all_removable = false;      // every one of them is removable
};

// The facts a volume needs (an optical drive without a disc is not opened: that may spin it up).
DeviceFacts ReadDeviceFacts(const SystemQuery& query, const Volume& volume);
// Fills in the identity, the disks and the removable type of a volume.
void IdentifyVolume(Volume& volume, const DeviceFacts& facts);
// Mounted volumes in mount-point order, then optical drives without a disc by name.
void SortByMountPoint(std::vector<Volume>& volumes);

// The key a volume is remembered by: "UUID=..." or "OPTICAL=sr0"; "" when it has none.
std::string RememberKey(const Volume& volume);
// Letters given in earlier runs: remember key -> letter (a key under two letters keeps the first).
using RememberedLetters = std::map<std::string, char>;
struct LetterToRemember {
    char letter;
    std::string key;
    bool operator==(const LetterToRemember&) const = default;
};

// Gives letters to volumes in mount-point order: "/" is C:, a volume remembered gets its letter
// again, the others the first free one, where letters of absent volumes are kept free while any
// other is left. Sorts the volumes into letter order (those without a letter last) and returns the
// letters new or changed since the earlier runs, in mount-point order.
std::vector<LetterToRemember> AssignLetters(std::vector<Volume>& volumes,
                                            const RememberedLetters& remembered);

// The letters remembered in the preferences file, and remembering new ones there.
RememberedLetters ReadRememberedLetters(const std::filesystem::path& prefs);
void RememberLetters(const std::filesystem::path& prefs,
                     const std::vector<LetterToRemember>& letters);

// The program-wide map, built once at start-up before the counters list their disk instances.
VolumeMap& volume_map();

}  // namespace bw
