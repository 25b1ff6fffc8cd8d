#include "results/DriveIdentity.h"

#include <algorithm>

namespace bw::results {

namespace {

// The kinds of identity the disk list gives that stay with the disk wherever it is plugged in;
// its other kind, the device path, does not.
constexpr std::string_view kLastingKinds[] = {"wwn:", "serial:"};

std::string identity_of(const SystemQuery& query, const DiskInfo& d) {
    for (std::string_view kind : kLastingKinds)
        if (d.identity.rfind(kind, 0) == 0) return d.identity;
    std::string key = "model:" + d.caption + " size:" +
                      (d.size_bytes ? std::to_string(*d.size_bytes) : std::string("unknown"));
    if (const std::string file = query.loop_backing_file(d.name); !file.empty())
        key += " file:" + file;
    return key;
}

}  // namespace

DriveIdentity drive_identity(const SystemQuery& query, const std::string& device) {
    DriveIdentity id;
    std::string name = device;
    if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
    if (name.empty()) {
        id.reason = "the drive has no block device";
        return id;
    }
    const auto under = query.disks_under(name);
    if (under.empty()) {
        id.reason = "no disk was found beneath " + device;
        return id;
    }
    const auto disks = query.disks();
    for (const auto& disk_name : under) {
        auto it = std::find_if(disks.begin(), disks.end(),
                               [&](const DiskInfo& d) { return d.name == disk_name; });
        if (it == disks.end()) continue;
        id.key += (id.key.empty() ? "" : "+") + identity_of(query, *it);
        id.model += (id.model.empty() ? "" : " + ") + it->caption;
    }
    if (id.key.empty()) id.reason = "the disk beneath " + device + " is not in the disk list";
    return id;
}

}  // namespace bw::results
