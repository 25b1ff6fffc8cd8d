#include "platform/DriveIdentify.h"

#include <fcntl.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/SystemQueryText.h"
#include "platform/UniqueFd.h"

namespace bw {

namespace {

// A capture of the page a live pass-through would return, beside the fixture's /sys and /proc.
inline constexpr std::string_view kCapturedIdentify = "/brantwell-capture/identify/";

// ATA strings hold two characters a word, the high byte first, padded with blanks.
std::string ata_string(const IdentifyWords& w, int first, int last) {
    std::string s;
    for (int i = first; i <= last; ++i) {
        s += static_cast<char>(w[i] >> 8);
        s += static_cast<char>(w[i] & 0xff);
    }
    for (char& c : s)
        if (!std::isprint(static_cast<unsigned char>(c))) c = ' ';
    return text::trim(s);
}

bool safe_name(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name[0] != '.';
}

std::string ata_string_bytes(std::string_view page, std::size_t offset, std::size_t length) {
    std::string s(page.substr(offset, length));
    for (char& c : s)
        if (!std::isprint(static_cast<unsigned char>(c))) c = ' ';
    return text::trim(s);
}

// IDENTIFY DEVICE (0xEC) through ATA PASS-THROUGH(16): PIO data-in, one 512-byte block.
std::optional<IdentifyWords> pass_through_identify(const std::string& node, std::string& reason) {
    UniqueFd fd(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.ok()) {
        reason = node + ": " + std::strerror(errno);
        return std::nullopt;
    }
    unsigned char cdb[16] = {0x85, 4 << 1, 0x0e, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xec, 0};
    unsigned char data[512] = {};
    unsigned char sense[32] = {};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.cmd_len = sizeof cdb;
    io.cmdp = cdb;
    io.dxfer_len = sizeof data;
    io.dxferp = data;
    io.mx_sb_len = sizeof sense;
    io.sbp = sense;
    io.timeout = 5000;  // ms; a drive that is asleep takes seconds to spin up
    if (::ioctl(fd.get(), SG_IO, &io) != 0) {
        reason = node + ": SG_IO: " + std::strerror(errno);
        return std::nullopt;
    }
    // A bridge without ATA pass-through answers with a check condition and no data.
    if ((io.info & SG_INFO_OK_MASK) != SG_INFO_OK && io.resid == static_cast<int>(sizeof data)) {
        reason = node + ": the drive's bridge does not pass ATA commands through";
        return std::nullopt;
    }
    IdentifyWords w{};
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (w[0] == 0 && w[10] == 0 && w[27] == 0) {
        reason = node + ": the drive answered IDENTIFY with an empty page";
        return std::nullopt;
    }
    return w;
}

}  // namespace

std::optional<IdentifyWords> parse_identify_words(std::string_view dump) {
    IdentifyWords w{};
    std::size_t count = 0, i = 0;
    while (i < dump.size()) {
        if (std::isspace(static_cast<unsigned char>(dump[i]))) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < dump.size() && !std::isspace(static_cast<unsigned char>(dump[i]))) ++i;
        auto word = dump.substr(start, i - start);
        auto v = word.size() == 4 ? text::to_u64(word, 16) : std::nullopt;
        if (!v || count == w.size()) return std::nullopt;
        w[count++] = static_cast<std::uint16_t>(*v);
    }
    if (count != w.size()) return std::nullopt;
    return w;
}

AtaIdentity decode_identify(const IdentifyWords& w) {
    AtaIdentity id;
    id.serial = ata_string(w, 10, 19);
    id.firmware = ata_string(w, 23, 26);
    id.model = ata_string(w, 27, 46);
    id.rotation_rate = w[217];
    id.sectors = (std::uint64_t{w[61]} << 16) | w[60];
    if (w[83] & (1u << 10)) {  // 48-bit addressing: words 100-103 count the sectors
        std::uint64_t big = 0;
        for (int i = 103; i >= 100; --i) big = (big << 16) | w[i];
        if (big != 0) id.sectors = big;
    }
    // Word 87 is valid when its top bits read 01; bit 8 says words 108-111 hold the WWN.
    if ((w[87] & 0xc000) == 0x4000 && (w[87] & (1u << 8))) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%04x%04x%04x%04x", w[108], w[109], w[110], w[111]);
        if (std::string(hex) != "0000000000000000") id.wwn = hex;
    }
    return id;
}

std::string ata_identify_dump(const Sysroot& sys, const std::string& sys_path) {
    // "ata3" and the SCSI address "2:0:1:0" of the disk's path give /sys/class/ata_device/dev3.1.
    std::string port, target;
    for (const auto& comp : text::split(sys_path, '/')) {
        if (comp.size() > 3 && comp.rfind("ata", 0) == 0 &&
            std::isdigit(static_cast<unsigned char>(comp[3])))
            port = comp.substr(3);
        auto parts = text::split(comp, ':');
        if (parts.size() == 4) target = parts[2];
    }
    if (port.empty()) return {};
    for (const std::string& dev : {port + "." + (target.empty() ? "0" : target), port + ".0"})
        if (auto dump = sys.read("/sys/class/ata_device/dev" + dev + "/id")) return *dump;
    return {};
}

IdentifyRead read_ata_identify(const Sysroot& sys, const std::string& disk_name,
                               const std::string& sys_path, bool privileged) {
    IdentifyRead r;
    if (const std::string dump = ata_identify_dump(sys, sys_path); !dump.empty()) {
        r.words = parse_identify_words(dump);
        if (r.words) {
            r.source = "sysfs";
            return r;
        }
    }
    if (!safe_name(disk_name)) {
        r.reason = "no disk named";
        return r;
    }
    if (!privileged) {
        r.reason = "asking the drive (ATA IDENTIFY through SG_IO) needs root";
        return r;
    }
    if (sys.is_live()) {
        r.words = pass_through_identify("/dev/" + disk_name, r.reason);
        if (r.words) r.source = "SG_IO";
        return r;
    }
    std::string error;
    if (auto dump = sys.read(std::string(kCapturedIdentify) + disk_name, &error)) {
        r.words = parse_identify_words(*dump);
        if (r.words) {
            r.source = "captured";
            return r;
        }
        r.reason = "the captured IDENTIFY page of " + disk_name + " is not 256 hex words";
        return r;
    }
    r.reason = "the drive did not answer IDENTIFY (none captured)";
    return r;
}

NvmeIdentity decode_nvme_identify(std::string_view page) {
    NvmeIdentity id;
    if (page.size() < 72) {
        id.reason = "identify page too short";
        return id;
    }
    // Bytes 4-23 serial number, 24-63 model, 64-71 firmware revision, ASCII padded with blanks.
    id.serial = ata_string_bytes(page, 4, 20);
    id.model = ata_string_bytes(page, 24, 40);
    id.firmware = ata_string_bytes(page, 64, 8);
    return id;
}

NvmeIdentity read_nvme_identify(const Sysroot& sys, const std::string& controller,
                                bool privileged) {
    NvmeIdentity id;
    if (!safe_name(controller)) {
        id.reason = "no controller named";
        return id;
    }
    if (!sys.is_live()) {
        id.reason = "a captured system is not asked";
        return id;
    }
    if (!privileged) {
        id.reason = "asking the controller (NVMe identify) needs root";
        return id;
    }
    const std::string node = "/dev/" + controller;
    UniqueFd fd(::open(node.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok()) {
        id.reason = node + ": " + std::strerror(errno);
        return id;
    }
    std::vector<unsigned char> page(4096);
    nvme_admin_cmd cmd{};
    cmd.opcode = 0x06;  // Identify
    cmd.addr = reinterpret_cast<std::uintptr_t>(page.data());
    cmd.data_len = static_cast<std::uint32_t>(page.size());
    cmd.cdw10 = 1;  // CNS 1: the controller
    if (::ioctl(fd.get(), NVME_IOCTL_ADMIN_CMD, &cmd) != 0) {
        id.reason = node + ": identify: " + std::strerror(errno);
        return id;
    }
    return decode_nvme_identify(
        std::string_view(reinterpret_cast<const char*>(page.data()), page.size()));
}

namespace {

std::string first_line(const Sysroot& sys, std::initializer_list<std::string> files) {
    for (const auto& f : files)
        if (auto v = text::trim(sys.read_line(f)); !v.empty()) return v;
    return {};
}

// The NVMe controller of a namespace path (".../nvme/nvme0/nvme0n1" -> "nvme0").
std::string nvme_controller(const std::string& sys_path) {
    const auto parts = text::split(sys_path, '/');
    return parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
}

void read_nvme(const Sysroot& sys, const std::string& base, const std::string& sys_path,
               bool privileged, DiskSelfReport& r) {
    r.serial = first_line(sys, {base + "/device/serial"});
    r.firmware = first_line(sys, {base + "/device/firmware_rev"});
    if (!r.serial.empty() && !r.firmware.empty()) return;
    const NvmeIdentity id = read_nvme_identify(sys, nvme_controller(sys_path), privileged);
    if (r.serial.empty()) r.serial = id.serial;
    if (r.firmware.empty()) r.firmware = id.firmware;
    if (r.serial.empty() || r.firmware.empty()) r.unread.push_back("serial, firmware: " + id.reason);
}

void read_ata_page(const Sysroot& sys, const std::string& disk_name, const std::string& sys_path,
                   bool privileged, DiskSelfReport& r) {
    const IdentifyRead page = read_ata_identify(sys, disk_name, sys_path, privileged);
    if (!page.words) {
        r.unread.push_back("serial, firmware, WWN and rotation rate: " + page.reason);
        return;
    }
    const AtaIdentity id = decode_identify(*page.words);
    r.serial = id.serial;
    r.firmware = id.firmware;
    r.wwn = id.wwn;
    r.rotation_rate = id.rotation_rate;
}

// Transports whose disks answer ATA IDENTIFY, natively or through a translating bridge.
inline constexpr std::string_view kAtaTransports[] = {"ata", "usb", "scsi"};

}  // namespace

DiskSelfReport read_disk_self(const Sysroot& sys, const std::string& disk_name,
                              const std::string& transport, bool privileged) {
    DiskSelfReport r;
    if (!safe_name(disk_name)) {
        r.unread.push_back("no disk named");
        return r;
    }
    const std::string base = "/sys/block/" + disk_name;
    const std::string sys_path = sys.resolve(base).value_or(base);
    r.rotational_flag = sys.read_line(base + "/queue/rotational");
    if (transport == "nvme") {
        read_nvme(sys, base, sys_path, privileged, r);
    } else if (std::find(std::begin(kAtaTransports), std::end(kAtaTransports), transport) !=
               std::end(kAtaTransports)) {
        read_ata_page(sys, disk_name, sys_path, privileged, r);
    } else {
        r.serial = first_line(sys, {base + "/serial", base + "/device/serial"});
        return r;  // a virtual disk has no world-wide name of its own
    }
    if (r.wwn.empty()) {
        // The kernel's name for the disk: "naa.5000c500...", "eui.0025388b...", "t10.ATA ...".
        const std::string wwid = first_line(sys, {base + "/wwid", base + "/device/wwid"});
        if (wwid.rfind("naa.", 0) == 0 || wwid.rfind("eui.", 0) == 0) r.wwn = wwid.substr(4);
    }
    return r;
}

bool may_ask_drives() {
    return ::geteuid() == 0;
}

}  // namespace bw
