#include "platform/LinkFacts.h"

#include <cstdlib>
#include <regex>
#include <vector>

namespace bw {

namespace {

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

std::string join(const std::vector<std::string>& parts, std::size_t count) {
    std::string path;
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) path += "/" + parts[i];
    return path;
}

int to_int(const std::string& text) { return std::atoi(text.c_str()); }

bool read_usb(const Sysroot& sys, const std::vector<std::string>& parts, LinkFacts& f) {
    static const std::regex kUsbDevice(R"(\d+-[\d.]+)");  // "2-1", "1-3.2"; not "2-1:1.0"
    std::size_t deepest = 0;
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (std::regex_match(parts[i], kUsbDevice)) deepest = i + 1;
    if (deepest == 0) return false;
    f.kind = LinkKind::Usb;
    f.usb_mbps = to_int(sys.read_line(join(parts, deepest) + "/speed"));
    if (f.usb_mbps == 0) f.reason = "USB device without a speed";
    return true;
}

bool read_ata(const Sysroot& sys, const std::vector<std::string>& parts, LinkFacts& f) {
    static const std::regex kAtaPort(R"(ata(\d+))");
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::smatch m;
        if (!std::regex_match(parts[i], m, kAtaPort)) continue;
        const std::string link = "link" + m[1].str();
        const std::string file = join(parts, i + 1) + "/" + link + "/ata_link/" + link + "/sata_spd";
        if (!sys.exists(file)) {
            f.reason = "ATA link without a speed file: " + file;
            return true;
        }
        // A parallel port's link has no serial speed ("<unknown>").
        const double gbps = std::atof(sys.read_line(file).c_str());
        f.kind = gbps > 0 ? LinkKind::Sata : LinkKind::ParallelAta;
        f.sata_gbps = gbps;
        return true;
    }
    return false;
}

bool read_pcie(const Sysroot& sys, const std::vector<std::string>& parts, LinkFacts& f) {
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] != "nvme") continue;
        const std::string dev = join(parts, i);  // the PCI function of the controller
        f.kind = LinkKind::Pcie;
        f.pcie_gen = pcie_generation(sys.read_line(dev + "/current_link_speed"));
        f.pcie_width = to_int(sys.read_line(dev + "/current_link_width"));
        f.pcie_max_gen = pcie_generation(sys.read_line(dev + "/max_link_speed"));
        f.pcie_max_width = to_int(sys.read_line(dev + "/max_link_width"));
        if (f.pcie_gen == 0 || f.pcie_width == 0) f.reason = "PCIe link speed or width not given";
        return true;
    }
    return false;
}

}  // namespace

int pcie_generation(const std::string& speed_text) {
    struct Rate {
        double gts;
        int gen;
    };
    static constexpr Rate kRates[] = {{2.5, 1}, {5, 2}, {8, 3}, {16, 4}, {32, 5}, {64, 6}};
    const double gts = std::atof(speed_text.c_str());
    for (const auto& r : kRates)
        if (gts == r.gts) return r.gen;
    return 0;
}

LinkFacts link_facts(const Sysroot& sys, const std::string& disk_name) {
    LinkFacts f;
    for (const auto& hub : sys.list("/sys/bus/usb/devices"))
        if (hub.rfind("usb", 0) == 0 &&
            to_int(sys.read_line("/sys/bus/usb/devices/" + hub + "/speed")) >= 5000)
            f.machine_usb3 = true;
    if (disk_name.empty() || disk_name.find('/') != std::string::npos || disk_name[0] == '.') {
        f.reason = "no disk named";
        return f;
    }
    auto path = sys.resolve("/sys/block/" + disk_name);
    if (!path) {
        f.reason = "/sys/block/" + disk_name + " not found";
        return f;
    }
    f.device_path = *path;
    const auto parts = components(*path);
    // USB first: a USB bridge may present the disk through an ATA-looking path below it.
    if (read_usb(sys, parts, f) || read_pcie(sys, parts, f) || read_ata(sys, parts, f)) return f;
    f.reason = "no SATA, PCIe or USB link above " + *path;
    return f;
}

}  // namespace bw
