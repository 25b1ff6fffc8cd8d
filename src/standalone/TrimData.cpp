#include "standalone/TrimData.h"

#include <algorithm>

#include "core/DOSOutputs.h"

namespace bw {

int CheckTRIM(const SystemQuery& query) {
    const auto controllers = query.ide_controllers();
    const auto disks = query.disks();
    const bool ahci = std::any_of(controllers.begin(), controllers.end(), [](const auto& c) {
        return c.description.find("AHCI") != std::string::npos;
    });
    const bool nvme = std::any_of(disks.begin(), disks.end(),
                                  [](const auto& d) { return d.transport == "nvme"; });
    return ahci_flag() = (ahci || nvme) ? 1 : 0;
}

std::string SetTrimCommand(const std::string& mount_point) {
    // Single quotes keep every character of the mount point; a quote in it closes the quotes,
    // is escaped, and opens them again.
    std::string quoted = "'";
    for (char c : mount_point) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return "mount -o remount,discard " + quoted + "'";
}

SetTrimResult SetTRIM(const std::string& mount_point, const Mounts& mounts) {
    SetTrimResult r;
    DOSOutputs runner;
    runner.ReceiveOutputs = [&r](std::string_view chunk) { r.DosBOX.append(chunk); };
    runner.ExecuteCommand(SetTrimCommand(mount_point));
    r.success = mounts.has_option(mount_point, "discard") ? 1 : 0;
    trim_set_flag() = r.success;
    return r;
}

int& ahci_flag() {
    static int flag = 0;
    return flag;
}

int& trim_set_flag() {
    static int flag = 0;
    return flag;
}

}  // namespace bw
