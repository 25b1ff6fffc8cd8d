// Which mount stands for each block device, and what the device says of itself: the first two
// steps of the volume map, over plain data.
#include <algorithm>
#include <map>

#include "drives/VolumeMap.h"
#include "platform/sysroot.h"

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

// Kernel interface mounts live beneath these; they never hold user data.
bool is_system_folder(const std::string& target) {
    for (auto f : kKernelInterfaceFolders)
        if (target.compare(0, f.size(), f) == 0 &&
            (target.size() == f.size() || target[f.size()] == '/'))
            return true;
    return false;
}

// Why a mount without a block device gets no letter.
std::string no_device_note(const MountEntry& m) {
    const std::string why = is_network(m.fstype) ? "network filesystem" : "no block device";
    if (m.target == "/")
        return "/ is on " + m.fstype + " (" + why + "): no volume holds the system";
    return m.target + " (" + m.fstype + "): " + why;
}

}  // namespace

ChosenMounts ChooseMounts(const std::vector<DeviceMount>& mounts,
                          const std::vector<std::string>& optical_drives) {
    ChosenMounts out;
    std::map<std::string, Volume> by_device;
    std::map<std::string, std::pair<bool, std::string>> chosen;  // device -> (bind?, target)
    std::string root_device;
    for (const auto& [m, dev] : mounts) {
        if (dev.empty()) {
            // proc, sysfs, devpts, cgroups: not worth a word
            if (!is_system_folder(m.target)) out.notes.push_back(no_device_note(m));
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
    for (const auto& sr : optical_drives) {
        if (by_device.count(sr)) continue;
        Volume v;
        v.device_name = sr;
        v.reasons.push_back("no disc mounted");
        by_device[sr] = std::move(v);
    }
    for (auto& [dev, v] : by_device) {
        if (dev.rfind("sr", 0) == 0) v.type = DriveType::Optical;
        v.holds_root = dev == root_device;
        out.volumes.push_back(std::move(v));
    }
    return out;
}

void IdentifyVolume(Volume& v, const DeviceFacts& facts) {
    if (v.fstype.empty()) v.fstype = facts.identity.type;
    v.uuid = facts.identity.uuid;
    v.label = facts.identity.label;
    if (v.type == DriveType::Optical) return;
    if (!facts.identity.reason.empty()) v.reasons.push_back(facts.identity.reason);
    v.disks = facts.disks;
    if (!v.disks.empty() && facts.all_removable) v.type = DriveType::Removable;
}

void SortByMountPoint(std::vector<Volume>& volumes) {
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        if (a.mount_point.empty() != b.mount_point.empty()) return b.mount_point.empty();
        if (a.mount_point != b.mount_point) return a.mount_point < b.mount_point;
        return disk_name_less(a.device_name, b.device_name);
    });
}

}  // namespace bw
