// Last-access stamping = the atime option of the mounted disk volumes. Level 1 (the registry's
// "disable last access update") is noatime on every read-write volume on a block device; level 0
// puts volumes that have noatime on relatime, the kernel's default, and leaves volumes on
// relatime or strictatime as they are.
#include <algorithm>

#include "platform/SystemQuery.h"
#include "platform/TweakAdapters.h"

namespace bw::tweak {
namespace {

// mountinfo names one of these; strictatime is what shows when it names none.
inline constexpr std::string_view kAtimeOptions[] = {"noatime", "relatime"};
inline constexpr std::string_view kStrictAtime = "strictatime";

bool has(const std::vector<std::string>& options, std::string_view o) {
    return std::find(options.begin(), options.end(), o) != options.end();
}

bool under_kernel_folder(std::string_view target) {
    for (const auto folder : kKernelInterfaceFolders)
        if (target == folder || (target.starts_with(folder) && target[folder.size()] == '/'))
            return true;
    return false;
}

class LastAccess : public TweakAdapter {
  public:
    explicit LastAccess(const TweakMachine& m)
        : root_(m.root), runner_(m.runner), chosen_(m.volumes) {}

    TweakReading read() const override {
        const TweakSnapshot found = capture();
        if (found.empty()) return {std::nullopt, "no read-write disk volume mounted"};
        const bool all_noatime = std::all_of(
            found.begin(), found.end(), [](const TweakSaved& v) { return v.value == "noatime"; });
        return {all_noatime ? 1u : 0u, list_objects(found)};
    }

    std::vector<TweakChange> write(std::uint32_t level) override {
        std::vector<TweakChange> changes;
        for (const auto& v : capture()) {
            if (level != 0 && v.value != "noatime") changes.push_back(set(v, "noatime"));
            if (level == 0 && v.value == "noatime") changes.push_back(set(v, "relatime"));
        }
        return changes;
    }

    // Every read-write mount of a block device outside the kernel's folders, once per mount point.
    TweakSnapshot capture() const override {
        TweakSnapshot found;
        for (const auto& m : SystemQuery(root_).mounts()) {
            if (!m.source.starts_with("/dev/") || under_kernel_folder(m.target)) continue;
            if (!chosen_.empty() && std::find(chosen_.begin(), chosen_.end(), m.target) == chosen_.end())
                continue;
            const auto options = SplitMountOptions(m.options);
            std::erase_if(found, [&](const TweakSaved& v) { return v.object == m.target; });
            if (has(options, "ro")) continue;
            std::string_view atime = kStrictAtime;
            for (const auto o : kAtimeOptions)
                if (has(options, o)) atime = o;
            found.push_back({m.target, std::string(atime)});
        }
        return found;
    }

    std::vector<TweakChange> put_back(const TweakSnapshot& saved) override {
        return put_back_changed(saved, capture(), [&](const TweakSaved& now, const std::string& v) {
            return set(now, v);
        });
    }

  private:
    TweakChange set(const TweakSaved& now, const std::string& atime) const {
        if (!runner_) return {now.object, false, "no mount runner: nothing remounted"};
        Mounts mounts(root_, *runner_);
        const MountResult r = mounts.remount_flags(now.object, {atime});
        return {now.object, r.ok, r.ok ? now.value + " -> " + atime : r.message};
    }

    Sysroot root_;
    MountRunner* runner_;
    std::vector<std::string> chosen_;
};

}  // namespace

std::unique_ptr<TweakAdapter> last_access(const TweakMachine& machine) {
    return std::make_unique<LastAccess>(machine);
}

}  // namespace bw::tweak
