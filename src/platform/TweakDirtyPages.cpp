// The large file cache = the kernel's dirty-page limit: how much of memory may hold data not yet
// written before writers are made to wait. The page cache itself already takes all free memory on
// Linux; what the old setting changed in effect, more write-behind, is this limit.
#include "platform/KernelSwitches.h"
#include "platform/SystemQueryText.h"
#include "platform/TweakAdapters.h"

namespace bw::tweak {
namespace {

inline constexpr std::uint64_t kKernelDefaultRatio = 20;  // percent
inline constexpr std::uint64_t kLargeRatio = 40;
// The limit is given either as a share of memory or in bytes; writing one sets the other to 0.
inline constexpr std::string_view kRatio = "dirty_ratio";
inline constexpr std::string_view kBytes = "dirty_bytes";

class DirtyPages : public SwitchTweak {
  public:
    explicit DirtyPages(const TweakMachine& m) : SwitchTweak(m.root, KernelSwitch::VmSetting) {}

    TweakReading read() const override {
        const SwitchResult ratio = switches_.read(KernelSwitch::VmSetting, kRatio);
        const auto percent = ratio.ok ? text::to_u64(ratio.value) : std::nullopt;
        if (!percent) return {std::nullopt, ratio.ok ? "dirty_ratio unreadable" : ratio.error};
        // A limit in bytes reads as ratio 0: the kernel's own way of saying "not a share".
        return {*percent > kKernelDefaultRatio ? 1u : 0u, list_objects(capture())};
    }

    std::vector<TweakChange> write(std::uint32_t level) override {
        const SwitchResult ratio = switches_.read(KernelSwitch::VmSetting, kRatio);
        if (!ratio.ok) return {{std::string(kRatio), false, ratio.error}};
        const std::uint64_t percent = text::to_u64(ratio.value).value_or(0);
        const bool large = percent > kKernelDefaultRatio;
        if (large == (level != 0)) return {};
        return {set({std::string(kRatio), ratio.value},
                    std::to_string(level ? kLargeRatio : kKernelDefaultRatio))};
    }

    // Whichever of the pair was in use is written back; that clears the other.
    std::vector<TweakChange> put_back(const TweakSnapshot& saved) override {
        TweakSnapshot in_use;
        for (const auto& s : saved)
            if (s.object == kBytes && s.value != "0") in_use = {s};
        if (in_use.empty())
            for (const auto& s : saved)
                if (s.object == kRatio) in_use = {s};
        return SwitchTweak::put_back(in_use);
    }

  private:
    std::vector<std::string> objects() const override {
        return {std::string(kRatio), std::string(kBytes)};
    }
};

}  // namespace

std::unique_ptr<TweakAdapter> dirty_pages(const TweakMachine& machine) {
    return std::make_unique<DirtyPages>(machine);
}

}  // namespace bw::tweak
