#include "testengine/ReportFindings.h"

#include <fmt/format.h>

#include "testengine/Ratings.h"

namespace bw::testengine {

namespace {

std::string block_list(const std::vector<CacheBlock>& blocks) {
    std::string names;
    for (const auto& b : blocks) {
        if (!names.empty()) names += ", ";
        names += std::string(block_size(b.block)->name);
    }
    return names;
}

// Payload per lane after line coding, bytes per second, by PCIe generation 1..6.
constexpr double kPcieLaneBytes[] = {250e6, 500e6, 984.6e6, 1969e6, 3938e6, 7877e6};

struct UsbRate {
    int mbps;
    double bytes_per_s;  // bulk payload the bus carries at that speed
    const char* name;
};
constexpr UsbRate kUsbRates[] = {
    {12, 1.2e6, "USB 1.1"},        {480, 53.248e6, "USB 2.0"},  {5000, 500e6, "USB 3.0"},
    {10000, 1212e6, "USB 3.1"},    {20000, 2424e6, "USB 3.2 2x2"},
};

std::string advice(const LinkFacts& link) {
    switch (link.kind) {
        case LinkKind::Usb:
            if (link.usb_mbps < 5000)
                return link.machine_usb3
                           ? "This machine has a USB 3.0 port: connected there, a USB 3.0 drive "
                             "runs faster."
                           : "A USB 3.0 port would let a USB 3.0 drive run faster.";
            return "A faster USB port (10 Gb/s) would let a drive that supports it run faster.";
        case LinkKind::Sata:
            return link.sata_gbps < 6 ? "A SATA 6 Gb/s port would let the drive run faster."
                                      : "SATA 6 Gb/s is the fastest SATA link; only a PCIe "
                                        "(NVMe) drive goes faster.";
        case LinkKind::Pcie:
            if (link.pcie_gen < link.pcie_max_gen || link.pcie_width < link.pcie_max_width)
                return fmt::format("The drive can do PCIe {} x{}: a slot that gives it that "
                                   "would let it run faster.",
                                   link.pcie_max_gen, link.pcie_max_width);
            return "A slot of a later PCIe generation would help a drive that supports it.";
        default:
            return {};
    }
}

}  // namespace

CacheCheck cache_check(const Evaluation& eval, const std::vector<int>& blocks) {
    CacheCheck c;
    std::vector<CacheBlock> cached;
    for (int block : blocks) {
        CacheBlock b{block, 0, 0};
        for (int level = 0; level <= kMaxMultiLevel; ++level) {
            const SideFigures& f = eval.main(type_of(Side::Read, level), block);
            b.tester_bytes += f.tester_bytes;
            b.drive_bytes += f.drive_bytes;
        }
        if (b.tester_bytes <= 0) continue;  // no reads, or the testers' counts were not there
        c.checked = true;
        c.blocks.push_back(b);
        if (b.drive_bytes < kCacheShare * b.tester_bytes) cached.push_back(b);
    }
    if (cached.empty()) return c;
    c.from_cache = true;
    double tester = 0, drive = 0;
    for (const auto& b : cached) {
        tester += b.tester_bytes;
        drive += b.drive_bytes;
    }
    c.line = fmt::format(
        "Cache Check: at block {} the drive's counters saw {:.0f} % of the bytes the testers "
        "read: the reads were served from a cache and the figures are not the drive's.",
        block_list(cached), 100 * drive / tester);
    return c;
}

LinkCeiling link_ceiling(const LinkFacts& link) {
    switch (link.kind) {
        case LinkKind::Sata:
            // 8b/10b: ten line bits carry one byte.
            return {link.sata_gbps * 1e9 / 10, fmt::format("SATA {:.1f} Gb/s", link.sata_gbps)};
        case LinkKind::Pcie:
            if (link.pcie_gen < 1 || link.pcie_gen > 6 || link.pcie_width < 1) return {};
            return {kPcieLaneBytes[link.pcie_gen - 1] * link.pcie_width,
                    fmt::format("PCIe {} x{}", link.pcie_gen, link.pcie_width)};
        case LinkKind::Usb:
            for (const auto& r : kUsbRates)
                if (r.mbps == link.usb_mbps)
                    return {r.bytes_per_s,
                            fmt::format("USB at {} Mb/s ({} speed)", r.mbps, r.name)};
            return {};
        default:
            return {};
    }
}

PortLimit port_limit(const LinkFacts& link, double best_bytes_per_s) {
    PortLimit p;
    const LinkCeiling ceiling = link_ceiling(link);
    p.best_bytes_per_s = best_bytes_per_s;
    if (ceiling.bytes_per_s <= 0) return p;
    p.known = true;
    p.link = ceiling.name;
    p.ceiling_bytes_per_s = ceiling.bytes_per_s;
    p.limited = best_bytes_per_s > kPortShare * ceiling.bytes_per_s;
    if (p.limited)
        p.line = fmt::format(
            "Port Limit: {} carries at most {} MBps and the best speed was {} MBps: the drive is "
            "limited by its port, not by itself. {}",
            ceiling.name, mb_per_s(ceiling.bytes_per_s), mb_per_s(best_bytes_per_s), advice(link));
    return p;
}

}  // namespace bw::testengine
