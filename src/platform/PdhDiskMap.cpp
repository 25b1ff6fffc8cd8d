#include "platform/PdhDiskMap.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace bw {

namespace {

// sd/vd/hd/xvd disks count in letters (sdz, sdaa); every other family ends in a number.
struct NameKey {
    std::string family;
    long long number = -1;
    std::string rest;
};

NameKey name_key(const std::string& name) {
    static constexpr std::string_view kLetterFamilies[] = {"xvd", "sd", "vd", "hd"};
    for (auto fam : kLetterFamilies) {
        if (name.size() > fam.size() && name.compare(0, fam.size(), fam) == 0) {
            const std::string tail = name.substr(fam.size());
            if (std::all_of(tail.begin(), tail.end(),
                            [](char c) { return c >= 'a' && c <= 'z'; })) {
                long long n = 0;
                for (char c : tail) n = n * 26 + (c - 'a' + 1);
                return {std::string(fam), n, ""};
            }
        }
    }
    size_t i = 0;
    while (i < name.size() && !std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    size_t j = i;
    long long n = -1;
    if (j < name.size()) {
        n = 0;
        while (j < name.size() && std::isdigit(static_cast<unsigned char>(name[j])) &&
               n < 1'000'000'000)
            n = n * 10 + (name[j++] - '0');
    }
    return {name.substr(0, i), n, name.substr(j)};
}

std::string base_name(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// mountinfo escapes blanks and backslashes as \040-style octal.
std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool octal = s[i] == '\\' && i + 3 < s.size() &&
                           std::all_of(s.begin() + i + 1, s.begin() + i + 4,
                                       [](char c) { return c >= '0' && c <= '7'; });
        if (octal) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Mount {
    std::string device;  // kernel name
    std::string mount_point;
};

std::vector<Mount> block_mounts(const Sysroot& root) {
    std::vector<Mount> mounts;
    const auto text = root.read("/proc/self/mountinfo");
    if (!text) return mounts;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string id, parent, majmin, fsroot, point;
        if (!(f >> id >> parent >> majmin >> fsroot >> point)) continue;
        std::string word, source;
        while (f >> word && word != "-") {
        }
        std::string fstype;
        f >> fstype >> source;
        std::string device;
        if (majmin.rfind("0:", 0) != 0) {
            if (auto dev = root.resolve("/sys/dev/block/" + majmin)) device = base_name(*dev);
        } else if (source.rfind("/dev/", 0) == 0 &&
                   root.exists("/sys/class/block/" + base_name(source))) {
            device = base_name(source);  // btrfs and friends report an anonymous device number
        }
        if (device.empty() || fsroot != "/") continue;
        mounts.push_back({device, unescape(point)});
    }
    return mounts;
}

bool is_empty_device(const Sysroot& root, const std::string& name) {
    const std::string size = root.read_line("/sys/block/" + name + "/size");
    return size.empty() || size == "0";
}

}  // namespace

bool DiskNameLess(const std::string& a, const std::string& b) {
    const NameKey ka = name_key(a), kb = name_key(b);
    if (ka.family != kb.family) return ka.family < kb.family;
    if (ka.number != kb.number) return ka.number < kb.number;
    return ka.rest != kb.rest ? ka.rest < kb.rest : a < b;
}

std::string PhysicalInstanceName(const CounterDisk& disk) {
    std::string name = std::to_string(disk.index);
    for (char letter : disk.letters) {
        name += ' ';
        name += letter;
        name += ':';
    }
    return name;
}

std::string LogicalInstanceName(const CounterVolume& volume) {
    return std::string(1, volume.letter) + ":";
}

std::vector<std::string> BackingDisks(const Sysroot& root, const std::string& kernel_name) {
    std::vector<std::string> out;
    const std::string dir = "/sys/class/block/" + kernel_name;
    if (root.exists(dir + "/partition")) {
        if (auto real = root.resolve(dir)) {
            const std::string parent = real->substr(0, real->rfind('/'));
            out.push_back(base_name(parent));
        }
        return out;
    }
    const auto slaves = root.list(dir + "/slaves");
    if (slaves.empty()) {
        out.push_back(kernel_name);
        return out;
    }
    for (const auto& slave : slaves)
        for (auto& disk : BackingDisks(root, slave))
            if (std::find(out.begin(), out.end(), disk) == out.end()) out.push_back(disk);
    return out;
}

CounterDiskMap DefaultCounterDiskMap(const Sysroot& root) {
    CounterDiskMap map;
    std::vector<std::string> names;
    for (const auto& name : root.list("/sys/block")) {
        if (root.read_line("/sys/block/" + name + "/hidden") == "1") continue;
        if (is_empty_device(root, name)) continue;
        // dm and md devices are volumes over disks, not disks.
        if (!root.list("/sys/block/" + name + "/slaves").empty()) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), DiskNameLess);
    for (size_t i = 0; i < names.size(); ++i)
        map.disks.push_back({static_cast<int>(i), names[i], ""});

    // "/" first as C:, then the others in mount-point order; one letter per device.
    auto mounts = block_mounts(root);
    std::stable_sort(mounts.begin(), mounts.end(), [](const Mount& a, const Mount& b) {
        if ((a.mount_point == "/") != (b.mount_point == "/")) return a.mount_point == "/";
        return a.mount_point < b.mount_point;
    });
    char next = 'C';
    for (const auto& m : mounts) {
        if (next > 'Z') break;
        const bool seen =
            std::any_of(map.volumes.begin(), map.volumes.end(),
                        [&](const CounterVolume& v) { return v.kernel_name == m.device; });
        if (seen) continue;
        if (m.mount_point != "/" && map.volumes.empty()) next = 'D';  // "/" is not a block device
        map.volumes.push_back({next, m.device, m.mount_point});
        for (const auto& disk : BackingDisks(root, m.device))
            for (auto& d : map.disks)
                if (d.kernel_name == disk) d.letters += next;
        ++next;
    }
    return map;
}

}  // namespace bw
