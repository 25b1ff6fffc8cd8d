#pragma once

// The adapters of TweakSettings.h, one file each; make_tweak_adapter picks among them.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KernelSwitches.h"
#include "platform/TweakSettings.h"

namespace bw::tweak {

std::unique_ptr<TweakAdapter> last_access(const TweakMachine& machine);
std::unique_ptr<TweakAdapter> link_power(const TweakMachine& machine, bool device_initiated);
std::unique_ptr<TweakAdapter> read_ahead(const TweakMachine& machine);
std::unique_ptr<TweakAdapter> dirty_pages(const TweakMachine& machine);
std::unique_ptr<TweakAdapter> file_indexer(const TweakMachine& machine);

// Sets (through `set`) each object of `now` whose value differs from the one `saved` holds for it;
// objects that are gone since are skipped.
template <typename Set>
std::vector<TweakChange> put_back_changed(const TweakSnapshot& saved, const TweakSnapshot& now,
                                          Set set) {
    std::vector<TweakChange> changes;
    for (const auto& s : saved)
        for (const auto& n : now)
            if (n.object == s.object && n.value != s.value) changes.push_back(set(n, s.value));
    return changes;
}

// An adapter over one kernel switch of several objects (the disks' read-ahead, the hosts' policy).
class SwitchTweak : public TweakAdapter {
  public:
    SwitchTweak(const Sysroot& root, KernelSwitch which)
        : root_(root), switches_(root), which_(which) {}
    // The switch of every object that has a readable one.
    TweakSnapshot capture() const override;
    std::vector<TweakChange> put_back(const TweakSnapshot& saved) override;

  protected:
    virtual std::vector<std::string> objects() const = 0;
    // Writes `value`; the change reads "old -> new" with `unit` after it.
    TweakChange set(const TweakSaved& now, std::string_view value,
                    std::string_view unit = "") const;

    Sysroot root_;
    KernelSwitches switches_;
    KernelSwitch which_;
};

// "a 1, b 2": the objects and their values, as a reading shows them.
std::string list_objects(const TweakSnapshot& objects, std::string_view unit = "");

}  // namespace bw::tweak
