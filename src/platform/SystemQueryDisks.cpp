// Whole disks from /sys/block: which devices count as disks, their order, caption, interface,
// size and sector size.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/DriveIdentify.h"
#include "platform/SystemQuery.h"
#include "platform/SystemQueryText.h"

namespace bw {

namespace {

// How the sysfs path of a disk tells its bus. A path component that starts with `prefix` followed
// by a digit (or equal to it) decides; rows are tried in order, so a USB bridge (whose path also
// holds a SCSI host) is USB, and an ATA disk behind its SCSI host is IDE.
struct BusRule {
    std::string_view prefix;
    std::string_view transport;
    std::string_view interface_type;
};
// NVMe and VirtIO disks say what they are where Windows would say "SCSI": no class rule and no
// comparison keyword looks for "SCSI", and a Linux user knows the disk by these words.
inline constexpr BusRule kBusRules[] = {
    {"usb", "usb", "USB"},        {"fw", "ieee1394", "1394"}, {"ata", "ata", "IDE"},
    {"nvme", "nvme", "NVMe"},     {"mmc", "mmc", "SCSI"},     {"host", "scsi", "SCSI"},
    {"virtio", "virtio", "VirtIO"},
};

// Virtual disks recognised by their name. Loop devices say "Loop" (an interface word of two or
// more characters, so that they are not taken for RAM drives); zram and brd are RAM drives.
struct VirtualRule {
    std::string_view prefix;
    std::string_view transport;
    std::string_view interface_type;
    std::string_view caption;
};
inline constexpr VirtualRule kVirtualRules[] = {
    {"zram", "zram", "", "Compressed RAM Disk"},
    {"ram", "ram", "", "RAM Disk"},
    {"loop", "loop", "Loop", "Loop Device"},
};

// Devices in /sys/block that are not disk drives.
inline constexpr std::string_view kNotDisks[] = {"sr", "fd", "dm-", "md", "nbd", "zd"};

bool component_matches(std::string_view comp, std::string_view prefix) {
    if (comp.substr(0, prefix.size()) != prefix) return false;
    if (comp.size() == prefix.size()) return true;
    return std::isdigit(static_cast<unsigned char>(comp[prefix.size()])) != 0;
}

const BusRule* bus_of(const std::string& sys_path) {
    std::vector<std::string_view> comps;
    std::string_view p = sys_path;
    while (!p.empty()) {
        auto slash = p.find('/');
        auto comp = p.substr(0, slash);
        if (!comp.empty()) comps.push_back(comp);
        if (slash == std::string_view::npos) break;
        p.remove_prefix(slash + 1);
    }
    for (const auto& rule : kBusRules)
        for (auto comp : comps)
            if (component_matches(comp, rule.prefix)) return &rule;
    return nullptr;
}

// The model of the disk's IDENTIFY page that the kernel keeps for its ATA port.
std::string ata_model(const Sysroot& root, const std::string& sys_path) {
    const auto words = parse_identify_words(ata_identify_dump(root, sys_path));
    return words ? decode_identify(*words).model : std::string();
}

// The PCI address nearest the disk in its sysfs path ("0000:00:1f.2"): its controller.
std::string pci_controller(const std::string& sys_path) {
    auto is_pci = [](const std::string& c) {
        if (c.size() != 12 || c[4] != ':' || c[7] != ':' || c[10] != '.') return false;
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11})
            if (!std::isxdigit(static_cast<unsigned char>(c[i]))) return false;
        return true;
    };
    std::string found;
    for (const auto& comp : text::split(sys_path, '/'))
        if (is_pci(comp)) found = comp;
    return found;
}

// What a disk is known by across starts: its world-wide name, else its serial number (sysfs,
// else the udev record), else its device path. Virtual disks have only their path.
std::string disk_identity(const Sysroot& root, const std::string& name, bool is_virtual) {
    const std::string base = "/sys/block/" + name;
    if (!is_virtual) {
        for (const std::string& file : {base + "/wwid", base + "/device/wwid"})
            if (auto v = text::trim(root.read_line(file)); !v.empty()) return "wwn:" + v;
        for (const std::string& file : {base + "/device/serial", base + "/serial"})
            if (auto v = text::trim(root.read_line(file)); !v.empty()) return "serial:" + v;
        const std::string dev = text::trim(root.read_line(base + "/dev"));
        const auto udev = dev.empty() ? std::vector<std::string>{}
                                      : text::split(root.read("/run/udev/data/b" + dev)
                                                        .value_or(""), '\n');
        struct UdevKey {
            std::string_view key, kind;
        };
        for (const UdevKey k : {UdevKey{"E:ID_WWN=", "wwn:"}, UdevKey{"E:ID_SERIAL=", "serial:"}})
            for (const auto& line : udev)
                if (line.rfind(k.key, 0) == 0 && line.size() > k.key.size())
                    return std::string(k.kind) + line.substr(k.key.size());
    }
    return "path:/dev/" + name;
}

std::string join_nonempty(std::initializer_list<std::string> parts) {
    return text::join_nonempty(parts, ' ');
}

// Splits a name into runs of letters and digits. The letters after a "sd"/"vd"/"hd"/"xvd" prefix
// count in base 26 as the kernel assigns them (sdz, sdaa).
struct NameKey {
    std::vector<std::pair<std::string, unsigned long long>> runs;  // letters or (empty, number)
};

NameKey name_key(const std::string& name) {
    NameKey key;
    static constexpr std::string_view kLetterNumbered[] = {"xvd", "sd", "vd", "hd"};
    std::string_view rest = name;
    for (auto prefix : kLetterNumbered) {
        if (rest.substr(0, prefix.size()) != prefix || rest.size() == prefix.size()) continue;
        auto tail = rest.substr(prefix.size());
        size_t n = 0;
        while (n < tail.size() && std::islower(static_cast<unsigned char>(tail[n]))) ++n;
        if (n == 0) break;
        unsigned long long value = 0;
        for (size_t i = 0; i < n; ++i) value = value * 26 + (tail[i] - 'a' + 1);
        key.runs.emplace_back(std::string(prefix), 0);
        key.runs.emplace_back("", value);
        rest = tail.substr(n);
        break;
    }
    size_t i = 0;
    while (i < rest.size()) {
        size_t start = i;
        bool digits = std::isdigit(static_cast<unsigned char>(rest[i])) != 0;
        while (i < rest.size() &&
               (std::isdigit(static_cast<unsigned char>(rest[i])) != 0) == digits)
            ++i;
        auto run = rest.substr(start, i - start);
        if (digits)
            key.runs.emplace_back("", run.size() > 18 ? ~0ULL : text::to_u64(run).value_or(0));
        else
            key.runs.emplace_back(std::string(run), 0);
    }
    return key;
}

}  // namespace

bool disk_name_less(const std::string& a, const std::string& b) {
    auto ka = name_key(a), kb = name_key(b);
    if (ka.runs != kb.runs) return ka.runs < kb.runs;
    return a < b;
}

bool SystemQuery::is_removable_disk(const std::string& disk_name) const {
    return root_.read_line("/sys/block/" + disk_name + "/removable") == "1";
}

std::vector<std::string> SystemQuery::optical_drives() const {
    std::vector<std::string> out;
    for (const auto& name : root_.list("/sys/block"))
        if (name.rfind("sr", 0) == 0) out.push_back(name);
    std::sort(out.begin(), out.end(), disk_name_less);
    return out;
}

std::vector<DiskInfo> SystemQuery::disks() const {
    std::vector<std::string> names;
    for (const auto& name : root_.list("/sys/block")) {
        const std::string base = "/sys/block/" + name;
        if (std::any_of(std::begin(kNotDisks), std::end(kNotDisks),
                        [&](std::string_view p) { return name.rfind(p, 0) == 0; }))
            continue;
        if (root_.read_line(base + "/hidden") == "1") continue;
        // eMMC boot and replay-protected areas are parts of the card, not disks of their own.
        if (name.rfind("mmcblk", 0) == 0 &&
            (name.find("boot") != std::string::npos || name.find("rpmb") != std::string::npos))
            continue;
        if (!root_.list(base + "/slaves").empty()) continue;  // stacked on other disks
        // Loop devices without a backing file and zram devices without a size are not set up.
        if (name.rfind("loop", 0) == 0 && !root_.exists(base + "/loop/backing_file")) continue;
        if ((name.rfind("zram", 0) == 0 || name.rfind("ram", 0) == 0) &&
            root_.read_line(base + "/size") == "0")
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), disk_name_less);

    std::vector<DiskInfo> out;
    for (const auto& name : names) {
        const std::string base = "/sys/block/" + name;
        DiskInfo d;
        d.index = static_cast<int>(out.size());
        d.name = name;
        auto sys_path = root_.resolve(base);
        if (!sys_path) {
            // Gone between the listing and now (unplugged, loop detached): still listed, facts
            // empty.
            d.reasons.push_back(base + ": no longer present");
            sys_path = base;
        }

        const VirtualRule* virt = nullptr;
        for (const auto& rule : kVirtualRules)
            if (component_matches(name, rule.prefix)) virt = &rule;
        std::string vendor = text::trim(root_.read_line(base + "/device/vendor"));
        std::string model = text::trim(root_.read_line(base + "/device/model"));
        if (virt) {
            d.transport = virt->transport;
            d.interface_type = virt->interface_type;
            d.caption = virt->caption;
        } else if (const BusRule* bus = bus_of(*sys_path)) {
            d.transport = bus->transport;
            d.interface_type = bus->interface_type;
        } else {
            d.reasons.push_back("bus not recognised in " + *sys_path);
        }
        d.manufacturer = vendor.rfind("0x", 0) == 0 ? "" : vendor;  // virtio gives a PCI id

        if (d.transport == "ata") {
            std::string full = ata_model(root_, *sys_path);
            if (full.empty()) full = model;  // SCSI emulation cuts it at 16 characters
            d.caption = full.empty() ? "" : full + " ATA Device";
        } else if (d.transport == "usb") {
            d.caption = join_nonempty({vendor, model, "USB Device"});
        } else if (d.transport == "nvme") {
            d.caption = model;
        } else if (d.transport == "virtio") {
            d.caption = "VirtIO Block Device";
        } else if (d.transport == "mmc") {
            d.caption =
                join_nonempty({text::trim(root_.read_line(base + "/device/name")), "SD Card"});
        } else if (d.transport == "scsi" || d.transport == "ieee1394") {
            d.caption = join_nonempty({vendor, model, "SCSI Disk Device"});
        }
        if (d.caption.empty()) d.reasons.push_back("no model text");

        std::string error;
        auto sectors = root_.read(base + "/size", &error);
        if (auto n = sectors ? text::to_u64(*sectors) : std::nullopt)
            d.size_bytes = *n * 512ULL;
        else
            d.reasons.push_back(error.empty() ? base + "/size: not a number" : error);
        const auto lbs =
            text::to_u64(root_.read_line(base + "/queue/logical_block_size")).value_or(0);
        if (lbs > 0 && lbs <= 65536)
            d.bytes_per_sector = static_cast<std::uint32_t>(lbs);
        else
            d.reasons.push_back(base + "/queue/logical_block_size: unreadable");
        d.identity = disk_identity(root_, name, virt != nullptr);
        d.controller = pci_controller(*sys_path);
        d.removable = root_.read_line(base + "/removable") == "1";
        d.rotational = root_.read_line(base + "/queue/rotational") == "1";
        out.push_back(std::move(d));
    }
    return out;
}

std::vector<std::string> SystemQuery::disks_under(const std::string& device_name) const {
    std::vector<std::string> out;
    std::vector<std::string> todo{device_name};
    int guard = 0;
    while (!todo.empty() && ++guard < 256) {
        std::string name = todo.back();
        todo.pop_back();
        std::string disk = name;
        if (root_.exists("/sys/class/block/" + name + "/partition")) {
            auto path = root_.resolve("/sys/class/block/" + name);
            if (!path) continue;
            auto parts = text::split(*path, '/');
            if (parts.size() < 2) continue;
            disk = parts[parts.size() - 2];
        } else if (!root_.exists("/sys/class/block/" + name) &&
                   !root_.exists("/sys/block/" + name)) {
            continue;
        }
        auto slaves = root_.list("/sys/block/" + disk + "/slaves");
        if (slaves.empty()) {
            if (std::find(out.begin(), out.end(), disk) == out.end()) out.push_back(disk);
        } else {
            for (auto& s : slaves) todo.push_back(s);
        }
    }
    std::sort(out.begin(), out.end(), disk_name_less);
    return out;
}

std::string SystemQuery::device_name(unsigned major, unsigned minor,
                                     const std::string& source) const {
    if (major != 0) {
        auto path =
            root_.resolve("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
        if (path) return path->substr(path->rfind('/') + 1);
    }
    // btrfs reports an anonymous device number; its source names the device.
    if (source.rfind("/dev/", 0) != 0) return {};
    std::string base = source.substr(source.rfind('/') + 1);
    if (source.rfind("/dev/mapper/", 0) == 0) {
        for (const auto& name : root_.list("/sys/block"))
            if (name.rfind("dm-", 0) == 0 &&
                root_.read_line("/sys/block/" + name + "/dm/name") == base)
                return name;
        return {};
    }
    if (root_.exists("/sys/class/block/" + base)) return base;
    return {};
}

std::string SystemQuery::device_node(unsigned major, unsigned minor,
                                     const std::string& source) const {
    const std::string name = device_name(major, minor, source);
    if (name.empty()) return {};
    // A DEVNAME that climbs out of /dev is not the kernel's: the sysfs name is used instead.
    for (const auto& line : text::split(root_.read("/sys/class/block/" + name + "/uevent")
                                            .value_or(""),
                                        '\n'))
        if (line.rfind("DEVNAME=", 0) == 0) {
            const std::string devname = text::trim(line.substr(8));
            if (!devname.empty() && devname.find("..") == std::string::npos &&
                devname.front() != '/')
                return "/dev/" + devname;
        }
    std::string node = name;
    std::replace(node.begin(), node.end(), '!', '/');  // how sysfs spells a "/" in a name
    return "/dev/" + node;
}

}  // namespace bw
