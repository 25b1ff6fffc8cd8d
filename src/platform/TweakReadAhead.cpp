// Prefetch = the disks' read-ahead. The four items of the page's list become four depths; a disk
// counts as the deepest item its read-ahead reaches, so a disk set by hand to 4096 KB reads as the
// last item and is left alone when that item is saved again.
#include <array>
#include <map>

#include "platform/KernelSwitches.h"
#include "platform/SystemQuery.h"
#include "platform/SystemQueryText.h"
#include "platform/TweakAdapters.h"

namespace bw::tweak {
namespace {

// Read-ahead in KB written for list items 0..3: off, the kernel's default, twice and four times it.
inline constexpr std::array<std::uint64_t, 4> kItemKb = {0, 128, 256, 512};

std::uint32_t item_of(std::uint64_t kb) {
    std::uint32_t item = 0;
    for (std::uint32_t i = 1; i < kItemKb.size(); ++i)
        if (kb > kItemKb[i - 1]) item = i;
    return item;
}

class ReadAhead : public SwitchTweak {
  public:
    explicit ReadAhead(const TweakMachine& m)
        : SwitchTweak(m.root, KernelSwitch::ReadAheadKb), chosen_(m.disks) {}

    TweakReading read() const override {
        const TweakSnapshot found = capture();
        if (found.empty()) return {std::nullopt, "no disk with a read-ahead setting"};
        // The item most disks are at; on a tie the lower one.
        std::map<std::uint32_t, int> votes;
        for (const auto& d : found)
            if (auto kb = text::to_u64(d.value)) ++votes[item_of(*kb)];
        if (votes.empty()) return {std::nullopt, list_objects(found, " KB")};
        std::uint32_t best = votes.begin()->first;
        for (const auto& [item, n] : votes)
            if (n > votes[best]) best = item;
        return {best, list_objects(found, " KB")};
    }

    std::vector<TweakChange> write(std::uint32_t level) override {
        std::vector<TweakChange> changes;
        if (level >= kItemKb.size())
            return {{"read_ahead_kb", false, "no list item " + std::to_string(level)}};
        for (const auto& d : capture()) {
            const auto kb = text::to_u64(d.value);
            if (kb && item_of(*kb) == level) continue;
            changes.push_back(set(d, std::to_string(kItemKb[level]), " KB"));
        }
        return changes;
    }

  private:
    // The whole disks the drive list is made from (loop and zram devices only while set up).
    std::vector<std::string> objects() const override {
        if (!chosen_.empty()) return chosen_;
        std::vector<std::string> names;
        for (const auto& d : SystemQuery(root_).disks()) names.push_back(d.name);
        return names;
    }

    std::vector<std::string> chosen_;
};

}  // namespace

std::unique_ptr<TweakAdapter> read_ahead(const TweakMachine& machine) {
    return std::make_unique<ReadAhead>(machine);
}

}  // namespace bw::tweak
