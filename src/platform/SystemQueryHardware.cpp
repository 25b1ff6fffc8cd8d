// Controllers, USB hubs, processor, board, BIOS, memory and the system's name. DMI and SMBIOS may
// be missing (virtual machines): the facts are then empty.
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <set>

#include "platform/SystemQuery.h"
#include "platform/SystemQueryText.h"

namespace bw {

namespace {

// PCI storage controllers the controller query reports, by class code (base, sub, interface).
struct ControllerRule {
    unsigned class_code;  // compared with the class shifted right by `shift`
    int shift;
    std::string_view driver;  // "" = any
    std::string_view description;
};
inline constexpr ControllerRule kControllerRules[] = {
    {0x010601, 0, "ahci", "Serial ATA AHCI Controller"},
    {0x0106, 8, "", "Serial ATA Controller"},
    {0x0101, 8, "", "Parallel ATA Controller"},
    {0x0100, 8, "", "SCSI Controller"},
    {0x0107, 8, "", "SAS SCSI Controller"},
};

// One SMBIOS structure as the kernel exposes it in /sys/firmware/dmi/entries/T-N/raw.
struct SmbiosRecord {
    std::string raw;
    unsigned length() const { return raw.size() >= 2 ? static_cast<unsigned char>(raw[1]) : 0; }
    unsigned byte(unsigned off) const {
        return off < length() && off < raw.size() ? static_cast<unsigned char>(raw[off]) : 0;
    }
    unsigned word(unsigned off) const { return byte(off) | (byte(off + 1) << 8); }
    std::string string_at(unsigned off) const {
        unsigned index = byte(off);
        if (index == 0 || length() > raw.size()) return {};
        size_t pos = length();
        for (unsigned i = 1; pos < raw.size(); ++i) {
            size_t end = raw.find('\0', pos);
            if (end == std::string::npos) end = raw.size();
            if (end == pos) break;  // double NUL ends the strings
            if (i == index) return text::trim(raw.substr(pos, end - pos));
            pos = end + 1;
        }
        return {};
    }
};

std::vector<SmbiosRecord> smbios(const Sysroot& root, int type) {
    std::vector<SmbiosRecord> out;
    const std::string prefix = std::to_string(type) + "-";
    auto names = root.list("/sys/firmware/dmi/entries");
    std::sort(names.begin(), names.end(), disk_name_less);
    for (const auto& name : names) {
        if (name.rfind(prefix, 0) != 0) continue;
        if (auto raw = root.read("/sys/firmware/dmi/entries/" + name + "/raw"))
            if (raw->size() >= 4) out.push_back({*raw});
    }
    return out;
}

// Placeholder texts firmware writers leave in DMI fields.
bool is_placeholder(const std::string& v) {
    static constexpr std::string_view kPlaceholders[] = {
        "To Be Filled By O.E.M.", "To be filled by O.E.M.", "Default string",
        "Not Specified",          "System Product Name",    "None"};
    return std::find(std::begin(kPlaceholders), std::end(kPlaceholders), v) !=
           std::end(kPlaceholders);
}

std::string dmi(const Sysroot& root, const std::string& key) {
    std::string v = text::trim(root.read_line("/sys/class/dmi/id/" + key));
    return is_placeholder(v) ? "" : v;
}

std::string mhz_text(double mhz) {
    if (!(mhz > 0)) return {};
    return std::to_string(static_cast<long long>(std::llround(mhz)));
}

}  // namespace

SystemQuery::SystemQuery(Sysroot root) : root_(std::move(root)) {}

std::vector<UsbHub> SystemQuery::usb_hubs() const {
    std::vector<UsbHub> out;
    for (const auto& name : root_.list("/sys/bus/usb/devices")) {
        if (name.rfind("usb", 0) != 0) continue;  // root hubs: usb1, usb2, ...
        auto speed = text::to_u64(root_.read_line("/sys/bus/usb/devices/" + name + "/speed"));
        UsbHub hub;
        hub.device_id = name;
        hub.speed_mbps = static_cast<int>(speed.value_or(0));
        hub.description = hub.speed_mbps >= 5000 ? "USB3 Root Hub" : "USB2 Root Hub";
        out.push_back(hub);
    }
    std::sort(out.begin(), out.end(), [](const UsbHub& a, const UsbHub& b) {
        return disk_name_less(a.device_id, b.device_id);
    });
    return out;
}

std::vector<IdeController> SystemQuery::ide_controllers() const {
    std::vector<IdeController> out;
    for (const auto& addr : root_.list("/sys/bus/pci/devices")) {
        const std::string base = "/sys/bus/pci/devices/" + addr;
        auto cls = text::to_u64(root_.read_line(base + "/class"), 16);
        if (!cls) continue;
        std::string driver;
        if (auto link = root_.read_link(base + "/driver"))
            driver = link->substr(link->rfind('/') + 1);
        for (const auto& rule : kControllerRules) {
            if ((*cls >> rule.shift) != rule.class_code) continue;
            if (!rule.driver.empty() && driver != rule.driver) continue;
            out.push_back({addr, driver, std::string(rule.description)});
            break;
        }
    }
    return out;
}

std::vector<ProcessorInfo> SystemQuery::processors() const {
    // /proc/cpuinfo has one block per logical processor; WMI-like records are one per package.
    std::map<std::string, ProcessorInfo> packages;
    std::vector<std::string> order;
    auto info = root_.read("/proc/cpuinfo");
    const std::string arch = text::trim(root_.read_line("/proc/sys/kernel/arch"));
    if (info) {
        std::map<std::string, std::string> block;
        auto flush = [&] {
            if (block.empty()) return;
            std::string id = block.count("physical id") ? block["physical id"] : "0";
            if (!packages.count(id)) {
                ProcessorInfo p;
                p.name = block.count("model name") ? block["model name"]
                         : block.count("Model")    ? block["Model"]
                                                   : "";
                p.manufacturer = block.count("vendor_id") ? block["vendor_id"] : "";
                if (block.count("cpu family"))
                    p.description = text::trim((arch.empty() ? "" : arch + " ") + "Family " +
                                               block["cpu family"] + " Model " + block["model"] +
                                               " Stepping " + block["stepping"]);
                if (block.count("cpu MHz"))
                    p.current_clock_mhz = mhz_text(std::atof(block["cpu MHz"].c_str()));
                packages[id] = p;
                order.push_back(id);
            }
            block.clear();
        };
        for (const auto& line : text::lines(*info)) {
            auto colon = line.find(':');
            if (text::trim(line).empty()) {
                flush();
                continue;
            }
            if (colon == std::string::npos) continue;
            block[text::trim(line.substr(0, colon))] = text::trim(line.substr(colon + 1));
        }
        flush();
    }
    std::vector<ProcessorInfo> out;
    for (const auto& id : order) out.push_back(packages[id]);
    if (out.empty()) return out;

    // Highest rated frequency: cpufreq, else the SMBIOS processor record.
    std::string max_mhz;
    if (auto khz =
            text::to_u64(root_.read_line("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq")))
        max_mhz = mhz_text(*khz / 1000.0);
    auto records = smbios(root_, 4);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i].max_clock_mhz = max_mhz;
        if (i < records.size()) {
            out[i].socket = records[i].string_at(0x04);
            if (out[i].max_clock_mhz.empty() && records[i].word(0x14) > 0)
                out[i].max_clock_mhz = std::to_string(records[i].word(0x14));
            if (out[i].manufacturer.empty()) out[i].manufacturer = records[i].string_at(0x07);
        }
    }
    return out;
}

int SystemQuery::online_processors() const {
    // "0-3,6" style list.
    int count = 0;
    for (const auto& range : text::split(root_.read_line("/sys/devices/system/cpu/online"), ',')) {
        auto parts = text::split(range, '-');
        auto a = parts.empty() ? std::nullopt : text::to_u64(parts[0]);
        auto b = parts.size() > 1 ? text::to_u64(parts[1]) : a;
        if (a && b && *b >= *a && *b - *a < 100000) count += static_cast<int>(*b - *a + 1);
    }
    if (count > 0) return count;
    if (auto info = root_.read("/proc/cpuinfo"))
        for (const auto& line : text::lines(*info))
            if (line.rfind("processor", 0) == 0) ++count;
    return count > 0 ? count : 1;
}

std::string SystemQuery::board_product() const {
    if (auto v = dmi(root_, "board_name"); !v.empty()) return v;
    for (const auto& r : smbios(root_, 2))
        if (auto v = r.string_at(0x05); !v.empty() && !is_placeholder(v)) return v;
    return {};
}

std::string SystemQuery::system_model() const {
    return dmi(root_, "product_name");
}

std::string SystemQuery::bios_version() const {
    if (auto v = dmi(root_, "bios_version"); !v.empty()) return v;
    for (const auto& r : smbios(root_, 0))
        if (auto v = r.string_at(0x05); !v.empty()) return v;
    return {};
}

std::vector<std::string> SystemQuery::memory_speeds() const {
    std::vector<std::string> out;
    // SMBIOS memory devices (root may read them); a slot without a module has size 0.
    for (const auto& r : smbios(root_, 17)) {
        if (r.length() < 0x17 || r.word(0x0C) == 0) continue;
        unsigned speed = r.word(0x15);
        out.push_back(speed ? std::to_string(speed) : "");
    }
    if (!out.empty()) return out;
    // udev keeps the same facts for everyone in its record of the DMI device.
    if (auto db = root_.read("/run/udev/data/+dmi:id")) {
        std::map<int, std::string> by_slot;
        for (const auto& line : text::lines(*db)) {
            const std::string key = "E:MEMORY_DEVICE_";
            if (line.rfind(key, 0) != 0) continue;
            auto rest = line.substr(key.size());
            auto us = rest.find('_');
            auto eq = rest.find('=');
            if (us == std::string::npos || eq == std::string::npos) continue;
            auto slot = text::to_u64(rest.substr(0, us));
            auto field = rest.substr(us + 1, eq - us - 1);
            if (slot && (field == "SPEED_MTS" ||
                         (field == "CONFIGURED_SPEED_MTS" && !by_slot.count(int(*slot)))))
                by_slot[static_cast<int>(*slot)] = rest.substr(eq + 1);
        }
        for (auto& [slot, speed] : by_slot) out.push_back(speed);
    }
    return out;
}

std::string SystemQuery::os_name() const {
    for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
        auto text = root_.read(file);
        if (!text) continue;
        std::string pretty, name;
        for (const auto& line : text::lines(*text)) {
            auto eq = line.find('=');
            if (eq == std::string::npos) continue;
            std::string v = text::trim(line.substr(eq + 1));
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            if (line.compare(0, eq, "PRETTY_NAME") == 0) pretty = v;
            if (line.compare(0, eq, "NAME") == 0) name = v;
        }
        if (!pretty.empty()) return pretty;
        if (!name.empty()) return name;
    }
    return "Linux";
}

namespace {
std::mutex g_query_mutex;
std::shared_ptr<SystemQuery> g_query;
}  // namespace

SystemQuery& system_query() {
    std::lock_guard lock(g_query_mutex);
    if (!g_query) g_query = std::make_shared<SystemQuery>();
    return *g_query;
}

void set_system_query(std::shared_ptr<SystemQuery> query) {
    std::lock_guard lock(g_query_mutex);
    g_query = std::move(query);
}

}  // namespace bw
