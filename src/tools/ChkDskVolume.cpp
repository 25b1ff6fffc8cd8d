#include "tools/ChkDskVolume.h"

namespace bw {

namespace {

// At most this many holders are named; the rest are counted.
inline constexpr size_t kUsersNamed = 5;

std::string drive(const Volume& v) {
    return std::string(1, v.letter) + ":";
}

std::string users_text(const std::vector<VolumeUser>& users) {
    std::string out;
    for (size_t i = 0; i < users.size() && i < kUsersNamed; ++i)
        out += (i ? ", " : "") + std::to_string(users[i].pid) + " " +
               (users[i].name.empty() ? "?" : users[i].name) + " (" + users[i].what + ")";
    if (users.size() > kUsersNamed)
        out += " and " + std::to_string(users.size() - kUsersNamed) + " more";
    return out;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : ", ") + i;
    return out;
}

// Why the volume cannot be unmounted; "" when it can.
std::string why_kept_mounted(const Volume& v, const std::vector<std::string>& mount_points,
                             const std::vector<VolumeUser>& users) {
    if (v.holds_root)
        return drive(v) + " holds the running system (/), which cannot be unmounted. " +
               std::string(kRootAtNextBoot);
    if (mount_points.size() > 1)
        return drive(v) + " is mounted at several places (" + joined(mount_points) +
               "): it is not unmounted.";
    if (!users.empty())
        return drive(v) + " (" + v.mount_point + ") is in use by " + users_text(users) +
               ": it is not unmounted. Close these programs to repair it.";
    return {};
}

}  // namespace

VolumeAccess DecideAccess(const Volume& v, const CheckerDef& c, bool repair_asked,
                          const std::vector<std::string>& mount_points,
                          const std::vector<VolumeUser>& users) {
    VolumeAccess access;
    access.repair = repair_asked;
    if (repair_asked && !c.no_repair.empty()) {
        access.repair = false;
        access.reasons.push_back("Repair is not run: " + std::string(c.no_repair) +
                                 ". The check runs read-only.");
    }
    if (!access.repair && c.checks_mounted) return access;
    const std::string why = why_kept_mounted(v, mount_points, users);
    if (why.empty()) {
        access.way = VolumeAccess::Way::Unmount;
        return access;
    }
    access.reasons.push_back(why);
    if (!c.checks_mounted) {
        access.way = VolumeAccess::Way::NotRun;
        access.repair = false;
        access.reasons.push_back(std::string(c.program) +
                                 " cannot check a volume while it is mounted for writing.");
        return access;
    }
    access.repair = false;
    access.reasons.push_back("The check runs read-only; nothing is repaired.");
    return access;
}

std::string UnmountQuestion(const Volume& v, bool repair) {
    return drive(v) + " will be unmounted from " + v.mount_point +
           (repair ? " to repair it" : " to check it") +
           ", and mounted there again afterwards with its options (" + v.mount_options +
           "). Programs cannot use it meanwhile. Continue?";
}

}  // namespace bw
