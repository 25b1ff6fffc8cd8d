// Mounts, swap areas and filesystem facts: mountinfo through libmount, identity from the udev
// database or blkid, space from statvfs (or, in a fixture, from the capture's statvfs file).
#include <blkid/blkid.h>
#include <fcntl.h>
#include <libmount/libmount.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/SystemQuery.h"
#include "platform/SystemQueryText.h"
#include "platform/UniqueFd.h"

namespace bw {

namespace {

// The filesystem geometry an XFS reports (version 5 of the structure, with its health fields).
struct XfsGeometryV5 {
    std::uint32_t blocksize, rtextsize, agblocks, agcount, logblocks, sectsize, inodesize, imaxpct;
    std::uint64_t datablocks, rtblocks, rtextents, logstart;
    unsigned char uuid[16];
    std::uint32_t sunit, swidth;
    std::int32_t version;
    std::uint32_t flags, logsectsize, rtsectsize, dirblocksize, logsunit;
    std::uint32_t sick, checked;
    std::uint64_t reserved[17];
};
static_assert(sizeof(XfsGeometryV5) == 256);
inline constexpr unsigned long kXfsIocFsGeometry = _IOR('X', 126, XfsGeometryV5);

// In a fixture, what statvfs said for each mount point when the fixture was captured.
inline constexpr std::string_view kCapturedStatvfs = "/brantwell-capture/statvfs";

inline constexpr std::string_view kMountInfo = "/proc/self/mountinfo";

std::string device_number(const Sysroot& root, const std::string& device_name) {
    return text::trim(root.read_line("/sys/class/block/" + device_name + "/dev"));
}

}  // namespace

std::string unescape_octal(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' &&
            text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7') {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<MountEntry> SystemQuery::mounts(std::string* error) const {
    std::vector<MountEntry> out;
    // Read through the sysroot (bounded, regular file only), then handed to libmount as a stream:
    // libmount opening the path itself would follow a fixture's link to /dev/zero or wait on a FIFO.
    std::string read_error;
    std::optional<std::string> text = root_.read(kMountInfo, &read_error);
    if (!text) {
        if (error) *error = read_error;
        return out;
    }
    // Lines libmount cannot parse are skipped (its default), the rest are used.
    libmnt_table* table = mnt_new_table();
    FILE* stream = text->empty() ? nullptr : ::fmemopen(text->data(), text->size(), "r");
    const bool parsed = table && (text->empty() || (stream && mnt_table_parse_stream(
                                                                  table, stream,
                                                                  kMountInfo.data()) == 0));
    if (stream) std::fclose(stream);
    if (!parsed) {
        mnt_unref_table(table);
        if (error) *error = std::string(kMountInfo) + ": cannot be parsed";
        return out;
    }
    libmnt_iter* it = mnt_new_iter(MNT_ITER_FORWARD);
    libmnt_fs* fs = nullptr;
    auto str = [](const char* s) { return s ? std::string(s) : std::string(); };
    while (it && mnt_table_next_fs(table, it, &fs) == 0) {
        MountEntry m;
        dev_t dev = mnt_fs_get_devno(fs);
        m.major = major(dev);
        m.minor = minor(dev);
        m.root = str(mnt_fs_get_root(fs));
        m.target = str(mnt_fs_get_target(fs));
        m.fstype = str(mnt_fs_get_fstype(fs));
        m.source = str(mnt_fs_get_source(fs));
        m.options = str(mnt_fs_get_options(fs));
        if (!m.target.empty()) out.push_back(std::move(m));
    }
    mnt_free_iter(it);
    mnt_unref_table(table);
    return out;
}

std::vector<SwapEntry> SystemQuery::swaps() const {
    std::vector<SwapEntry> out;
    auto text = root_.read("/proc/swaps");
    if (!text) return out;
    auto all = text::lines(*text);
    for (size_t i = 1; i < all.size(); ++i) {  // the first line is the heading
        // The name is escaped (blanks as \040), so the fields split at whitespace.
        std::vector<std::string> fields;
        for (auto& f : text::split(all[i], ' '))
            for (auto& g : text::split(f, '\t')) fields.push_back(g);
        if (fields.size() < 2) continue;
        std::string name = unescape_octal(fields[0]);
        const std::string deleted = " (deleted)";
        if (name.size() > deleted.size() &&
            name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0)
            name.erase(name.size() - deleted.size());
        out.push_back({name, fields[1]});
    }
    return out;
}

FsIdentity SystemQuery::identify(const std::string& device_name) const {
    FsIdentity id;
    if (device_name.empty()) {
        id.reason = "no block device";
        return id;
    }
    // The udev database holds what blkid found when the device appeared.
    const std::string devno = device_number(root_, device_name);
    if (!devno.empty()) {
        if (auto db = root_.read("/run/udev/data/b" + devno)) {
            for (const auto& line : text::lines(*db)) {
                if (line.rfind("E:ID_FS_TYPE=", 0) == 0) id.type = line.substr(13);
                if (line.rfind("E:ID_FS_UUID=", 0) == 0) id.uuid = line.substr(13);
                if (line.rfind("E:ID_FS_LABEL=", 0) == 0) id.label = line.substr(14);
            }
            if (!id.type.empty() || !id.uuid.empty()) return id;
        }
    }
    if (!root_.is_live()) {
        id.reason = "no udev record for " + device_name;
        return id;
    }
    const std::string dev = "/dev/" + device_name;
    UniqueFd fd(::open(dev.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.ok()) {
        id.reason = dev + ": " + std::strerror(errno);
        return id;
    }
    blkid_probe probe = blkid_new_probe();
    if (!probe || blkid_probe_set_device(probe, fd.get(), 0, 0) != 0) {
        if (probe) blkid_free_probe(probe);
        id.reason = dev + ": cannot be probed";
        return id;
    }
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe,
                                      BLKID_SUBLKS_TYPE | BLKID_SUBLKS_UUID | BLKID_SUBLKS_LABEL);
    if (blkid_do_safeprobe(probe) == 0) {
        const char* v = nullptr;
        if (blkid_probe_lookup_value(probe, "TYPE", &v, nullptr) == 0 && v) id.type = v;
        if (blkid_probe_lookup_value(probe, "UUID", &v, nullptr) == 0 && v) id.uuid = v;
        if (blkid_probe_lookup_value(probe, "LABEL", &v, nullptr) == 0 && v) id.label = v;
    } else {
        id.reason = dev + ": no filesystem signature found";
    }
    blkid_free_probe(probe);
    return id;
}

std::optional<FsSpace> SystemQuery::space(const std::string& mount_point,
                                          std::string* error) const {
    if (root_.is_live()) {
        struct statvfs st {};
        if (::statvfs(mount_point.c_str(), &st) != 0) {
            if (error) *error = mount_point + ": " + std::strerror(errno);
            return std::nullopt;
        }
        FsSpace s;
        s.block_size = st.f_frsize ? st.f_frsize : st.f_bsize;
        s.blocks = st.f_blocks;
        s.free_blocks = st.f_bfree;
        s.avail_blocks = st.f_bavail;
        s.files = st.f_files;
        s.free_files = st.f_ffree;
        return s;
    }
    // Captured: "<frsize> <blocks> <bfree> <bavail> <files> <ffree> <mount point, escaped>".
    if (auto captured = root_.read(kCapturedStatvfs)) {
        for (const auto& line : text::lines(*captured)) {
            auto f = text::split(line, ' ');
            if (f.size() < 7 || unescape_octal(f[6]) != mount_point) continue;
            std::uint64_t v[6];
            bool ok = true;
            for (int i = 0; i < 6; ++i) {
                auto n = text::to_u64(f[i]);
                ok = ok && n.has_value();
                v[i] = n.value_or(0);
            }
            if (!ok) break;
            return FsSpace{v[0], v[1], v[2], v[3], v[4], v[5]};
        }
    }
    if (error) *error = mount_point + ": no space figures captured";
    return std::nullopt;
}

DeviceBytes SystemQuery::read_device(const std::string& device_name, std::uint64_t offset,
                                     std::size_t length) const {
    DeviceBytes out;
    if (device_name.empty() || device_name.find('/') != std::string::npos) {
        out.error = "no block device";
        return out;
    }
    const std::string dev = root_.path("/dev/" + device_name).string();
    UniqueFd fd(::open(dev.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.ok()) {
        out.error = "/dev/" + device_name + ": " + std::strerror(errno);
        return out;
    }
    out.bytes.resize(length);
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = ::pread(fd.get(), out.bytes.data() + done, length - done,
                            static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.error = "/dev/" + device_name + ": " + std::strerror(errno);
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    out.bytes.resize(done);
    return out;
}

std::optional<std::string> SystemQuery::fs_statistic(const std::string& fstype,
                                                     const std::string& device_name,
                                                     const std::string& key) const {
    if (fstype.empty() || device_name.empty() || key.find('/') != std::string::npos)
        return std::nullopt;
    auto v = root_.read("/sys/fs/" + fstype + "/" + device_name + "/" + key);
    if (!v) return std::nullopt;
    return text::trim(*v);
}

bool SystemQuery::writable_folder(const std::string& path) const {
    if (!root_.is_live() || path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::uint64_t> SystemQuery::filesystem_id(const std::string& path) const {
    if (!root_.is_live() || path.empty()) return std::nullopt;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_dev);
}

std::optional<SystemQuery::XfsHealth> SystemQuery::xfs_health(const std::string& mount_point,
                                                              std::string* error) const {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return std::nullopt;
    };
    if (!root_.is_live()) return fail("XFS health is only known on the running system");
    UniqueFd fd(::open(mount_point.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.ok()) return fail(mount_point + ": " + std::strerror(errno));
    XfsGeometryV5 geo{};
    if (::ioctl(fd.get(), kXfsIocFsGeometry, &geo) != 0)
        return fail(mount_point + ": XFS geometry: " + std::strerror(errno));
    return XfsHealth{geo.sick, geo.checked};
}

std::optional<std::uint64_t> SystemQuery::btrfs_error_count(const std::string& uuid) const {
    if (uuid.empty() || uuid.find('/') != std::string::npos) return std::nullopt;
    const std::string base = "/sys/fs/btrfs/" + uuid + "/devinfo";
    auto devices = root_.list(base);
    if (devices.empty()) return std::nullopt;
    std::uint64_t total = 0;
    bool any = false;
    for (const auto& d : devices) {
        auto stats = root_.read(base + "/" + d + "/error_stats");
        if (!stats) continue;
        for (const auto& line : text::lines(*stats)) {
            auto f = text::split(line, ' ');
            if (f.size() == 2) {
                if (auto n = text::to_u64(f[1])) {
                    total += *n;
                    any = true;
                }
            }
        }
    }
    if (!any) return std::nullopt;
    return total;
}

}  // namespace bw
