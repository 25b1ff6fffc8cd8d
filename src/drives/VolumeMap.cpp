#include "drives/VolumeMap.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/INIReadWrite.h"

namespace bw {

namespace {

// Filesystems that live on another machine: no block device, no letter.
inline constexpr std::string_view kNetworkFilesystems[] = {
    "nfs", "nfs4", "cifs",      "smb3",       "smbfs", "ncpfs",
    "9p",  "ceph", "glusterfs", "fuse.sshfs", "afs",   "virtiofs"};

bool is_network(const std::string& fstype) {
    return std::find(std::begin(kNetworkFilesystems), std::end(kNetworkFilesystems), fstype) !=
           std::end(kNetworkFilesystems);
}

std::string remember_key(const Volume& v) {
    if (v.type == DriveType::Optical) return "OPTICAL=" + v.device_name;
    if (!v.uuid.empty()) return "UUID=" + v.uuid;
    return {};
}

bool path_within(const std::string& path, const std::string& mount) {
    if (mount == "/") return !path.empty() && path.front() == '/';
    return path.compare(0, mount.size(), mount) == 0 &&
           (path.size() == mount.size() || path[mount.size()] == '/');
}

// Kernel interface mounts live beneath these; they never hold user data.
bool is_system_folder(const std::string& target) {
    static constexpr std::string_view kSystemFolders[] = {"/proc", "/sys", "/dev", "/run"};
    for (auto f : kSystemFolders)
        if (target.compare(0, f.size(), f) == 0 &&
            (target.size() == f.size() || target[f.size()] == '/'))
            return true;
    return false;
}

}  // namespace

const Volume* VolumeMap::find(char letter) const {
    for (const auto& v : volumes)
        if (v.letter != 0 && v.letter == letter) return &v;
    return nullptr;
}

const Volume* VolumeMap::volume_of_path(const std::string& path) const {
    const Volume* best = nullptr;
    for (const auto& v : volumes) {
        if (v.letter == 0 || v.mount_point.empty() || !path_within(path, v.mount_point)) continue;
        if (!best || v.mount_point.size() > best->mount_point.size()) best = &v;
    }
    return best;
}

VolumeMap BuildVolumeMap(const SystemQuery& query, const std::filesystem::path& prefs) {
    VolumeMap map;
    std::string error;
    auto mounts = query.mounts(&error);
    if (!error.empty()) map.notes.push_back(error);

    // One volume per block device, represented by its mount of the filesystem's own root
    // (bind mounts of subfolders and files come second), the shortest mount point first.
    std::map<std::string, Volume> by_device;
    std::map<std::string, std::pair<bool, std::string>> chosen;  // device -> (bind?, target)
    std::string root_device;
    for (const auto& m : mounts) {
        std::string dev = query.device_name(m.major, m.minor, m.source);
        if (dev.empty()) {
            if (is_system_folder(m.target))
                continue;  // proc, sysfs, devpts, cgroups: not worth a word
            const std::string why = is_network(m.fstype) ? "network filesystem" : "no block device";
            if (m.target == "/")
                map.notes.push_back("/ is on " + m.fstype + " (" + why +
                                    "): no volume holds the system");
            else
                map.notes.push_back(m.target + " (" + m.fstype + "): " + why);
            continue;
        }
        if (m.target == "/") root_device = dev;
        const bool bind = m.root != "/";
        auto it = chosen.find(dev);
        const bool better = it == chosen.end() || (m.target == "/") ||
                            (it->second.second != "/" &&
                             std::make_pair(bind, m.target.size()) <
                                 std::make_pair(it->second.first, it->second.second.size()));
        if (!better) continue;
        chosen[dev] = {bind, m.target};
        Volume v;
        v.mount_point = m.target;
        v.device_name = dev;
        v.fstype = m.fstype;
        v.mount_options = m.options;
        by_device[dev] = std::move(v);
    }
    for (const auto& sr : query.optical_drives()) {
        if (by_device.count(sr)) continue;
        Volume v;
        v.device_name = sr;
        v.reasons.push_back("no disc mounted");
        by_device[sr] = std::move(v);
    }

    std::vector<Volume> candidates;
    for (auto& [dev, v] : by_device) {
        if (dev.rfind("sr", 0) == 0) v.type = DriveType::Optical;
        v.holds_root = dev == root_device;
        // An optical drive without a disc is not opened (that may spin it up for nothing).
        auto id = v.type == DriveType::Optical && v.mount_point.empty() ? FsIdentity{}
                                                                        : query.identify(dev);
        if (v.fstype.empty()) v.fstype = id.type;
        v.uuid = id.uuid;
        v.label = id.label;
        if (!id.reason.empty() && v.type != DriveType::Optical) v.reasons.push_back(id.reason);
        if (v.type != DriveType::Optical) {
            v.disks = query.disks_under(dev);
            if (!v.disks.empty() &&
                std::all_of(v.disks.begin(), v.disks.end(),
                            [&](const std::string& d) { return query.is_removable_disk(d); }))
                v.type = DriveType::Removable;
        }
        candidates.push_back(std::move(v));
    }
    // Mounted volumes in mount-point order, then optical drives without a disc by name.
    std::stable_sort(candidates.begin(), candidates.end(), [](const Volume& a, const Volume& b) {
        if (a.mount_point.empty() != b.mount_point.empty()) return b.mount_point.empty();
        if (a.mount_point != b.mount_point) return a.mount_point < b.mount_point;
        return disk_name_less(a.device_name, b.device_name);
    });

    // Letters remembered from earlier runs.
    std::map<std::string, char> remembered;
    std::set<char> reserved;
    if (!prefs.empty())
        for (char l = 'D'; l <= 'Z'; ++l) {
            std::string key = ReadINI(prefs, kDriveLetterSection, std::string(1, l));
            if (!key.empty() && !remembered.count(key)) remembered[key] = l;
        }
    std::set<std::string> present;
    for (const auto& v : candidates) present.insert(remember_key(v));
    for (const auto& [key, l] : remembered)
        if (!present.count(key)) reserved.insert(l);

    std::set<char> used;
    for (auto& v : candidates)
        if (v.holds_root) {
            v.letter = 'C';
            used.insert('C');
        }
    for (auto& v : candidates) {
        if (v.letter) continue;
        auto it = remembered.find(remember_key(v));
        if (it != remembered.end() && !used.count(it->second)) {
            v.letter = it->second;
            used.insert(v.letter);
        }
    }
    auto next_free = [&](bool allow_reserved) -> char {
        for (char l = 'D'; l <= 'Z'; ++l)
            if (!used.count(l) && (allow_reserved || !reserved.count(l))) return l;
        return 0;
    };
    for (auto& v : candidates) {
        if (v.letter) continue;
        char l = next_free(false);
        if (!l) l = next_free(true);  // letters of absent volumes go before none at all
        if (!l) {
            v.reasons.push_back("no drive letter left (D: to Z: are taken)");
            continue;
        }
        v.letter = l;
        used.insert(l);
    }
    if (!prefs.empty())
        for (const auto& v : candidates) {
            const std::string key = remember_key(v);
            if (v.letter < 'D' || key.empty()) continue;
            auto it = remembered.find(key);
            if (it == remembered.end() || it->second != v.letter)
                WriteINI(prefs, kDriveLetterSection, std::string(1, v.letter), key);
        }

    std::stable_sort(candidates.begin(), candidates.end(), [](const Volume& a, const Volume& b) {
        return (a.letter ? a.letter : 0x7f) < (b.letter ? b.letter : 0x7f);
    });
    map.volumes = std::move(candidates);
    return map;
}

std::filesystem::path LetterTestFolder(const SystemQuery& query, const VolumeMap& map, char letter,
                                       const std::vector<std::string>& candidates,
                                       std::string* reason) {
    auto say = [&](const std::string& why) {
        if (reason) *reason = why;
        return std::filesystem::path();
    };
    const Volume* v = map.find(letter);
    if (!v) return say(std::string(1, letter) + ": is not a drive letter of this machine");
    if (v->mount_point.empty()) return say(std::string(1, letter) + ": nothing is mounted");
    if (query.writable_folder(v->mount_point)) return v->mount_point;
    const auto fs_id = query.filesystem_id(v->mount_point);
    for (const auto& c : candidates)
        if (fs_id && path_within(c, v->mount_point) && query.filesystem_id(c) == fs_id &&
            query.writable_folder(c))
            return c;
    return say(v->mount_point + " is not writable, and no writable folder of " +
               std::string(1, letter) + ": was found");
}

std::string LetterDevice(const VolumeMap& map, char letter) {
    const Volume* v = map.find(letter);
    return v && !v->device_name.empty() ? "/dev/" + v->device_name : std::string();
}

VolumeMap& volume_map() {
    static VolumeMap map;
    return map;
}

}  // namespace bw
