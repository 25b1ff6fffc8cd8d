#include "drives/DiskNumbers.h"

#include <algorithm>
#include <set>

#include "core/INIReadWrite.h"
#include "core/private_profile.h"
#include "drives/ModHDDetails.h"

namespace bw {

namespace {

// Disks that exist only as long as someone set them up.
inline constexpr std::string_view kVirtualTransports[] = {"loop", "zram", "ram"};

// Numbers above this in a preferences file are damage, not disks.
constexpr int kMaxDiskNumber = 999;

}  // namespace

DiskGroup disk_group(const DiskInfo& disk) {
    for (auto t : kVirtualTransports)
        if (disk.transport == t) return DiskGroup::Virtual;
    return disk.removable ? DiskGroup::Removable : DiskGroup::Real;
}

std::vector<NumberToRemember> AssignDiskNumbers(std::vector<DiskInfo>& disks,
                                                const RememberedNumbers& remembered) {
    // New disks are numbered in group order, by name within a group (the order they come in).
    std::stable_sort(disks.begin(), disks.end(), [](const DiskInfo& a, const DiskInfo& b) {
        return disk_group(a) < disk_group(b);
    });
    std::set<std::string> present;
    for (const auto& d : disks) present.insert(d.identity);
    std::set<int> reserved, used;
    for (const auto& [identity, number] : remembered)
        if (!present.count(identity)) reserved.insert(number);

    std::vector<bool> numbered(disks.size(), false);
    for (size_t i = 0; i < disks.size(); ++i) {
        auto it = remembered.find(disks[i].identity);
        if (it == remembered.end() || used.count(it->second)) continue;
        disks[i].index = it->second;
        used.insert(it->second);
        numbered[i] = true;
    }
    auto next_free = [&](bool skip_reserved) {
        int n = 0;
        while (used.count(n) || (skip_reserved && reserved.count(n))) ++n;
        return n;
    };
    for (size_t i = 0; i < disks.size(); ++i) {
        if (numbered[i]) continue;
        int n = next_free(true);
        // A number of an absent disk goes before one the decoder has no slot for.
        if (n >= kDriveSlots) n = std::min(n, next_free(false));
        disks[i].index = n;
        used.insert(n);
    }

    std::vector<NumberToRemember> changed;
    for (const auto& d : disks) {
        auto it = remembered.find(d.identity);
        if (it == remembered.end() || it->second != d.index) changed.push_back({d.index, d.identity});
    }
    std::stable_sort(disks.begin(), disks.end(),
                     [](const DiskInfo& a, const DiskInfo& b) { return a.index < b.index; });
    return changed;
}

RememberedNumbers ReadRememberedNumbers(const std::filesystem::path& prefs) {
    RememberedNumbers remembered;
    if (prefs.empty()) return remembered;
    for (const auto& key : profile::get_keys(prefs, kDiskNumberSection)) {
        if (key.empty() || key.size() > 3 ||
            !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const int number = std::stoi(key);
        const std::string identity = ReadINI(prefs, kDiskNumberSection, key);
        if (number <= kMaxDiskNumber && !identity.empty() && !remembered.count(identity))
            remembered[identity] = number;
    }
    return remembered;
}

void RememberNumbers(const std::filesystem::path& prefs,
                     const std::vector<NumberToRemember>& numbers) {
    if (prefs.empty() || numbers.empty()) return;
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& [number, identity] : numbers)
        entries.emplace_back(std::to_string(number), identity);
    profile::write_strings(prefs, kDiskNumberSection, entries);
}

std::vector<DiskInfo> NumberedDisks(const SystemQuery& query, const std::filesystem::path& prefs) {
    std::vector<DiskInfo> disks = query.disks();
    RememberNumbers(prefs, AssignDiskNumbers(disks, ReadRememberedNumbers(prefs)));
    return disks;
}

}  // namespace bw
