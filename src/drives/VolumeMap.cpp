#include "drives/VolumeMap.h"

#include <algorithm>

#include "core/INIReadWrite.h"

namespace bw {

bool path_within(const std::string& path, const std::string& mount) {
    if (mount == "/") return !path.empty() && path.front() == '/';
    return path.compare(0, mount.size(), mount) == 0 &&
           (path.size() == mount.size() || path[mount.size()] == '/');
}

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

DeviceFacts ReadDeviceFacts(const SystemQuery& query, const Volume& v) {
    DeviceFacts facts;
    if (v.type == DriveType::Optical) {
        if (!v.mount_point.empty()) facts.identity = query.identify(v.device_name);
        return facts;
    }
    facts.identity = query.identify(v.device_name);
    facts.disks = query.disks_under(v.device_name);
    facts.all_removable =
        std::all_of(facts.disks.begin(), facts.disks.end(),
                    [&](const std::string& d) { return query.is_removable_disk(d); });
    return facts;
}

RememberedLetters ReadRememberedLetters(const std::filesystem::path& prefs) {
    RememberedLetters remembered;
    if (prefs.empty()) return remembered;
    for (char l = 'D'; l <= 'Z'; ++l) {
        std::string key = ReadINI(prefs, kDriveLetterSection, std::string(1, l));
        if (!key.empty() && !remembered.count(key)) remembered[key] = l;
    }
    return remembered;
}

void RememberLetters(const std::filesystem::path& prefs,
                     const std::vector<LetterToRemember>& letters) {
    if (prefs.empty()) return;
    for (const auto& [letter, key] : letters)
        WriteINI(prefs, kDriveLetterSection, std::string(1, letter), key);
}

VolumeMap BuildVolumeMap(const SystemQuery& query, const std::filesystem::path& prefs) {
    VolumeMap map;
    std::string error;
    std::vector<DeviceMount> mounts;
    for (auto& m : query.mounts(&error)) {
        std::string dev = query.device_name(m.major, m.minor, m.source);
        mounts.push_back({std::move(m), std::move(dev)});
    }
    if (!error.empty()) map.notes.push_back(error);

    ChosenMounts chosen = ChooseMounts(mounts, query.optical_drives());
    map.notes.insert(map.notes.end(), chosen.notes.begin(), chosen.notes.end());
    for (auto& v : chosen.volumes) IdentifyVolume(v, ReadDeviceFacts(query, v));
    SortByMountPoint(chosen.volumes);
    RememberLetters(prefs, AssignLetters(chosen.volumes, ReadRememberedLetters(prefs)));
    map.volumes = std::move(chosen.volumes);
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
