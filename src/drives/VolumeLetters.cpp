// The last step of the volume map: letters, kept stable across runs by what each volume is
// remembered by. Pure: the preferences are read before and written after (VolumeMap.cpp).
#include <algorithm>
#include <set>

#include "drives/VolumeMap.h"

namespace bw {

std::string RememberKey(const Volume& v) {
    if (v.type == DriveType::Optical) return "OPTICAL=" + v.device_name;
    if (!v.uuid.empty()) return "UUID=" + v.uuid;
    return {};
}

std::vector<LetterToRemember> AssignLetters(std::vector<Volume>& volumes,
                                            const RememberedLetters& remembered) {
    // Letters of volumes that are away are kept for them while any other letter is left.
    std::set<std::string> present;
    for (const auto& v : volumes) present.insert(RememberKey(v));
    std::set<char> reserved;
    for (const auto& [key, l] : remembered)
        if (!present.count(key)) reserved.insert(l);

    std::set<char> used;
    for (auto& v : volumes)
        if (v.holds_root) {
            v.letter = 'C';
            used.insert('C');
        }
    for (auto& v : volumes) {
        if (v.letter) continue;
        auto it = remembered.find(RememberKey(v));
        if (it != remembered.end() && !used.count(it->second)) {
            v.letter = it->second;
            used.insert(v.letter);
        }
    }
    auto next_free = [&](bool allow_reserved) -> char {
        for (char l = 'D'; l <= 'Z'; ++l)
            if (!used.count(l) && (allow_reserved || !reserved.count(l))) return l;
        return 0;
    };
    for (auto& v : volumes) {
        if (v.letter) continue;
        char l = next_free(false);
        if (!l) l = next_free(true);  // letters of absent volumes go before none at all
        if (!l) {
            v.reasons.push_back("no drive letter left (D: to Z: are taken)");
            continue;
        }
        v.letter = l;
        used.insert(l);
    }

    std::vector<LetterToRemember> changed;
    for (const auto& v : volumes) {
        const std::string key = RememberKey(v);
        if (v.letter < 'D' || key.empty()) continue;
        auto it = remembered.find(key);
        if (it == remembered.end() || it->second != v.letter) changed.push_back({v.letter, key});
    }
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        return (a.letter ? a.letter : 0x7f) < (b.letter ? b.letter : 0x7f);
    });
    return changed;
}

}  // namespace bw
