// The text report on a drive.
#include <fmt/format.h>

#include "drives/DosApp.h"

namespace bw {

namespace {

// Byte counts of the report: the first unit whose size the value reaches.
struct ReportUnit {
    double size;
    std::string_view unit;
};
inline constexpr ReportUnit kReportUnits[] = {
    {1e12, " TB"}, {1e9, " GB"}, {1e6, " MB"}, {0, " KB"}};

std::string report_bytes(double v) {
    for (const auto& u : kReportUnits)
        if (v >= u.size)
            return fmt::format("{:.2f}", v / (u.size > 0 ? u.size : 1e3)) + std::string(u.unit);
    return fmt::format("{:.2f}", v / 1e3) + " KB";
}

// Statistics the kernel keeps for a mounted ext4, with the label each is shown under.
struct Ext4Stat {
    std::string_view key, label;
};
inline constexpr Ext4Stat kExt4Stats[] = {
    {"lifetime_write_kbytes", "Lifetime Writes (KB)"},
    {"session_write_kbytes", "Writes Since Mount (KB)"},
    {"errors_count", "Errors"},
    {"warning_count", "Warnings"},
    {"first_error_time", "First Error Time"},
    {"last_error_time", "Last Error Time"},
    {"delayed_allocation_blocks", "Delayed Allocation Blocks"},
    {"reserved_clusters", "Reserved Clusters"},
};

}  // namespace

std::string DriveCInfo(char drive, const SystemQuery& query, const VolumeMap& map) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
    std::string out;
    auto line = [&](const std::string& text) { out += text + "\n"; };
    const Volume* v = map.find(letter);
    if (!v) {
        line(std::string(1, letter) + ": is not a drive letter of this machine");
        return out;
    }
    std::string error;
    std::optional<FsSpace> space;
    if (v->mount_point.empty())
        error = "nothing is mounted";
    else
        space = query.space(v->mount_point, &error);

    std::uint32_t bytes_per_sector = 512;
    for (const auto& d : query.disks())
        if (!v->disks.empty() && d.name == v->disks.front() && d.bytes_per_sector)
            bytes_per_sector = *d.bytes_per_sector;

    line("***** Drive Size *****");
    if (space) {
        line("Total: " + report_bytes(static_cast<double>(space->total_bytes())));
        line("Free: " + report_bytes(static_cast<double>(space->avail_bytes())));
        const std::uint64_t cluster = space->block_size;
        line("   Cluster Size: " + std::to_string(cluster) + " Bytes");
        line("   Sectors Per Cluster: " +
             std::to_string(bytes_per_sector ? cluster / bytes_per_sector : 0));
        line("   Bytes Per Sector: " + std::to_string(bytes_per_sector));
        line("   Total Clusters: " + std::to_string(space->blocks));
        line("   Free Cluster: " + std::to_string(space->free_blocks));
    } else {
        line("Total: ");
        line("Free: ");
        line("   (" + error + ")");
    }
    line("");

    line("***** Volume Info *****");
    line("Volume Name : " + v->label);
    line("Volume UUID : " + v->uuid);
    line("File System Name : " + v->fstype);
    line("Mount Point : " + v->mount_point);
    line("Device : " + (v->device_name.empty() ? std::string() : "/dev/" + v->device_name));
    line("Mount Options : " + v->mount_options);
    for (const auto& r : v->reasons) line("Note : " + r);
    line("");

    const bool ntfs = v->fstype == "ntfs" || v->fstype == "ntfs3" || v->fstype == "fuseblk";
    line("***** File Repair Status *****");
    if (!ntfs) {
        line("File Repair is only available on an NTFS Formated Drive");
    } else {
        line("Self-healing is not offered for NTFS on Linux; use the disk check.");
    }
    line("");

    line("***** Drive Statistics *****");
    if (space) {
        line("Total Files (inodes) : " + std::to_string(space->files));
        line("Free Files (inodes) : " + std::to_string(space->free_files));
    }
    bool any = false;
    // ext2 and ext3 are run by the ext4 driver, which keeps the statistics.
    const bool ext = v->fstype.rfind("ext", 0) == 0;
    for (const auto& s : kExt4Stats)
        if (auto value = ext ? query.fs_statistic("ext4", v->device_name, std::string(s.key))
                             : std::nullopt) {
            line(std::string(s.label) + " : " + *value);
            any = true;
        }
    if (!any)
        line("No kernel statistics for " +
             (v->fstype.empty() ? std::string("this filesystem") : v->fstype));
    line("");

    line("***** NTFS Data *****");
    line(ntfs ? "NTFS volume (" + v->fstype + " driver)" : "Not an NTFS volume");
    return out;
}

std::string DriveCInfo(char drive) {
    return DriveCInfo(drive, system_query(), volume_map());
}

}  // namespace bw
