#pragma once

// Drive letters for Linux volumes. "/" is C:; every other mounted local filesystem on a block
// device gets one of D: to Z: in mount-point order, and optical drives follow. A letter once
// given is remembered by filesystem UUID in the preferences file, so a volume keeps its letter
// across runs and a volume that is away keeps its letter free while others are left.

#include <filesystem>
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

// The program-wide map, built once at start-up before the counters list their disk instances.
VolumeMap& volume_map();

}  // namespace bw
