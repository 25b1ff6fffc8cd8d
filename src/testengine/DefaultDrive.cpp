#include "testengine/DefaultDrive.h"

#include <cctype>

#include <fmt/format.h>

namespace bw::testengine {

namespace {

bool same_letter(const std::string& entry, char letter) {
    return entry.size() >= 2 && entry[1] == ':' &&
           std::toupper(static_cast<unsigned char>(entry[0])) ==
               std::toupper(static_cast<unsigned char>(letter));
}

// The mount a path is on: the deepest mount point that holds it; of equal ones the last, which
// hides those mounted before it.
const MountEntry* mount_of(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const auto& m : mounts)
        if (path_within(path, m.target) && (!best || m.target.size() >= best->target.size()))
            best = &m;
    return best;
}

// The lettered volume of a mount: mounted there, or the same device mounted elsewhere (a bind
// mount of one of its folders).
const Volume* volume_of_mount(const VolumeMap& map, const MountEntry& m) {
    for (const auto& v : map.volumes)
        if (v.letter != 0 && (v.mount_point == m.target || m.source == "/dev/" + v.device_name))
            return &v;
    return nullptr;
}

}  // namespace

std::string drive_letters(const std::vector<std::string>& drive_list) {
    std::string out;
    for (const auto& e : drive_list) out += (out.empty() ? "" : ", ") + e.substr(0, 2);
    return out.empty() ? "none" : out;
}

DefaultDrive drive_holding(const VolumeMap& map, const std::vector<MountEntry>& mounts,
                           const std::vector<std::string>& drive_list, const std::string& folder) {
    const MountEntry* m = mount_of(mounts, folder);
    if (!m) return {"", fmt::format("the working folder {} is on no mounted file system", folder)};
    const Volume* v = volume_of_mount(map, *m);
    if (!v)
        return {"", fmt::format("the working folder {} is on {} ({} mounted at {}), which has no "
                                "drive letter: only file systems on a block device have disk "
                                "counters to measure",
                                folder, m->source, m->fstype, m->target)};
    for (const auto& entry : drive_list)
        if (same_letter(entry, v->letter)) return {entry.substr(0, 2), ""};
    return {"", fmt::format("the working folder {} is on {}: ({} at {}), which is not in the "
                            "drive list",
                            folder, v->letter, v->device_name, v->mount_point)};
}

}  // namespace bw::testengine
