#pragma once

// The adapters of TweakSettings.h, one file each; make_tweak_adapter picks among them.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// "a 1, b 2": the objects and their values, as a reading shows them.
std::string list_objects(const TweakSnapshot& objects, std::string_view unit = "");

}  // namespace bw::tweak
