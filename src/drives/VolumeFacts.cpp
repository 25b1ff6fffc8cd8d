#include "drives/VolumeFacts.h"

#include <algorithm>

#include "core/AppState.h"
#include "drives/DiskNumbers.h"
#include "drives/DriveInventory.h"
#include "drives/DriveText.h"
#include "platform/Mounts.h"

namespace bw {

namespace {

// Discard given as itself or with a mode ("discard=async"); "nodiscard" is not.
bool mounted_with_discard(const std::string& options) {
    for (const auto& o : SplitMountOptions(options))
        if (o == "discard" || o.rfind("discard=", 0) == 0) return true;
    return false;
}

}  // namespace

DriveFacts LetterFacts(const SystemQuery& query, const VolumeMap& map,
                       const std::vector<DiskInfo>& disks,
                       const std::vector<IdeController>& controllers, char letter) {
    DriveFacts f;
    const Volume* v = map.find(letter);
    if (!v) {
        f.details = std::string(1, letter) + ": is not a drive letter of this machine";
        return f;
    }
    f.device = LetterDevice(map, letter);
    std::vector<std::string> parts;
    parts.push_back("Device: " + (f.device.empty() ? std::string("none") : f.device));
    parts.push_back("Mounted on: " + (v->mount_point.empty() ? std::string("nothing mounted")
                                                             : v->mount_point));
    if (!v->fstype.empty()) parts.push_back("File system: " + v->fstype);
    const FreeSpaceFigures space = LetterFreeSpace(query, map, letter);
    if (space.total_bytes) {
        parts.push_back("Size: " + space.total_text);
        parts.push_back("Free: " + space.free_text);
    }
    for (const auto& disk : v->disks)
        if (auto file = query.loop_backing_file(disk); !file.empty())
            parts.push_back("Backing file: " + file);
    for (const auto& p : parts) f.details += (f.details.empty() ? "" : "   ") + p;

    for (const auto& d : disks) {
        if (std::find(v->disks.begin(), v->disks.end(), d.name) == v->disks.end()) continue;
        if (d.transport != "ata") continue;
        f.sata = true;
        // A controller whose driver is not ahci runs its disks in IDE (legacy) mode.
        for (const auto& c : controllers)
            if (c.device_id == d.controller && c.name != "ahci") f.ahci = false;
    }
    f.trim_on = mounted_with_discard(v->mount_options) || query.periodic_trim_enabled();
    return f;
}

std::map<std::string, DriveFacts> EntryFacts(const std::vector<std::string>& entries) {
    const SystemQuery& query = system_query();
    // Numbering reads the disks' identities only; nothing is remembered from here.
    const auto disks = NumberedDisks(query, {});
    const auto controllers = query.ide_controllers();
    std::map<std::string, DriveFacts> facts;
    for (const auto& entry : entries)
        if (!entry.empty())
            facts[entry] = LetterFacts(query, volume_map(), disks, controllers, entry.front());
    return facts;
}

}  // namespace bw
