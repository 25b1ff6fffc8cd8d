#include "drives/DriveOwnFacts.h"

#include <fmt/format.h>

#include "platform/DriveIdentify.h"
#include "platform/LinkFacts.h"

namespace bw {

namespace {

// Disks whose rotation the kernel's flag does not tell: a RAM disk has none, a loop device and a
// virtual disk carry a default (virtio says "rotational" for any host storage).
struct VirtualRotation {
    std::string_view transport;
    Rotation rotation;
    std::string_view why;  // the source when known, else the reason it is not
};
inline constexpr VirtualRotation kVirtualRotations[] = {
    {"zram", Rotation::SolidState, "RAM disk"},
    {"ram", Rotation::SolidState, "RAM disk"},
    {"loop", Rotation::Unknown, "a loop device turns as the disk of its backing file does"},
    {"virtio", Rotation::Unknown, "a virtual disk's rotational flag is a default, not the drive's"},
};

// Word 217 values: 1 is solid state; 0x0401-0xfffe a speed; anything else says nothing.
void rotation_from_identify(unsigned rate, DriveOwnFacts& f) {
    if (rate == 1) {
        f.rotation = Rotation::SolidState;
    } else if (rate >= 0x0401 && rate <= 0xfffe) {
        f.rotation = Rotation::Rotating;
        f.rpm = rate;
    } else {
        return;
    }
    f.rotation_source = "IDENTIFY word 217";
}

std::string link_text(const LinkFacts& link) {
    switch (link.kind) {
        case LinkKind::Sata:
            return fmt::format("SATA {:.1f} Gb/s", link.sata_gbps);
        case LinkKind::ParallelAta:
            return "parallel ATA";
        case LinkKind::Pcie:
            return link.pcie_gen ? fmt::format("PCIe {}.0 x{}", link.pcie_gen, link.pcie_width)
                                 : "PCIe";
        case LinkKind::Usb:
            return link.usb_mbps ? fmt::format("USB {} Mb/s", link.usb_mbps) : "USB";
        case LinkKind::Unknown:
            break;
    }
    return {};
}

}  // namespace

DriveOwnFacts ReadDriveOwnFacts(const SystemQuery& query, const DiskInfo& disk, bool privileged) {
    const Sysroot& sys = query.sysroot();
    DriveOwnFacts f;
    f.disk = disk.name;
    f.capacity_bytes = disk.size_bytes;
    if (!f.capacity_bytes) f.unread.push_back("capacity: the kernel gives no size");
    const DiskSelfReport self = read_disk_self(sys, disk.name, disk.transport, privileged);
    f.serial = self.serial;
    f.firmware = self.firmware;
    f.wwn = self.wwn;
    for (const auto& v : kVirtualRotations)
        if (disk.transport == v.transport) {
            f.rotation = v.rotation;
            if (v.rotation == Rotation::Unknown)
                f.unread.push_back("rotation: " + std::string(v.why));
            else
                f.rotation_source = v.why;
            return f;
        }

    const LinkFacts link = link_facts(sys, disk.name);
    f.link = link_text(link);
    if (f.link.empty()) f.unread.push_back("link: " + link.reason);
    f.unread.insert(f.unread.end(), self.unread.begin(), self.unread.end());
    rotation_from_identify(self.rotation_rate, f);
    if (f.rotation == Rotation::Unknown) {
        if (self.rotational_flag == "0" || self.rotational_flag == "1") {
            f.rotation = self.rotational_flag == "1" ? Rotation::Rotating : Rotation::SolidState;
            f.rotation_source = "queue/rotational";
        } else {
            f.unread.push_back("rotation: the kernel's rotational flag is unreadable");
        }
    }
    return f;
}

DriveOwnFacts GivenDriveFacts(std::optional<std::uint64_t> capacity_bytes,
                              std::optional<unsigned> rpm) {
    DriveOwnFacts f;
    f.capacity_bytes = capacity_bytes;
    if (rpm) rotation_from_identify(*rpm, f);
    if (f.rotation != Rotation::Unknown) f.rotation_source = "given";
    return f;
}

std::string CapacityText(std::uint64_t bytes) {
    struct Unit {
        double size;
        std::string_view name;
    };
    static constexpr Unit kUnits[] = {{1e12, "TB"}, {1e9, "GB"}, {1e6, "MB"}, {1e3, "KB"}};
    for (const auto& u : kUnits)
        if (static_cast<double>(bytes) >= u.size) {
            // As on the box: "500 GB" (not 500.11), "1.5 TB", "2 TB".
            const double v = static_cast<double>(bytes) / u.size;
            std::string n = fmt::format("{:.{}f}", v, v >= 100 ? 0 : v >= 10 ? 1 : 2);
            if (n.find('.') == std::string::npos) return n + " " + std::string(u.name);
            while (n.back() == '0') n.pop_back();
            if (n.back() == '.') n.pop_back();
            return n + " " + std::string(u.name);
        }
    return std::to_string(bytes) + " bytes";
}

std::string RotationText(const DriveOwnFacts& f) {
    switch (f.rotation) {
        case Rotation::SolidState:
            return "solid state";
        case Rotation::Rotating:
            return f.rpm ? std::to_string(f.rpm) + " rpm" : "rotating";
        case Rotation::Unknown:
            break;
    }
    return {};
}

}  // namespace bw
