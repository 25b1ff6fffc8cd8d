#include "platform/TweakSettings.h"

#include <unistd.h>

#include "platform/TweakAdapters.h"

namespace bw {

const LinuxTweakDef& linux_tweak(LinuxTweak which) {
    for (const auto& d : kLinuxTweaks)
        if (d.which == which) return d;
    return kLinuxTweaks[0];
}

std::unique_ptr<TweakAdapter> make_tweak_adapter(LinuxTweak which, const TweakMachine& machine) {
    switch (which) {
        case LinuxTweak::LastAccess:
            return tweak::last_access(machine);
        case LinuxTweak::DeviceLinkPower:
            return tweak::link_power(machine, true);
        case LinuxTweak::HostLinkPower:
            return tweak::link_power(machine, false);
        case LinuxTweak::ReadAhead:
            return tweak::read_ahead(machine);
        case LinuxTweak::DirtyPages:
            return tweak::dirty_pages(machine);
        case LinuxTweak::FileIndexer:
            return tweak::file_indexer(machine);
    }
    return nullptr;
}

std::string tweak_rights_note() {
    if (::geteuid() == 0) return {};
    return "Not running as root: the system will refuse changes to its settings (each refusal is "
           "shown beside its row); the values without an effect on Linux are still saved.";
}

namespace tweak {

TweakSnapshot SwitchTweak::capture() const {
    TweakSnapshot found;
    for (const auto& object : objects()) {
        const SwitchResult r = switches_.read(which_, object);
        if (r.ok) found.push_back({object, r.value});
    }
    return found;
}

std::vector<TweakChange> SwitchTweak::put_back(const TweakSnapshot& saved) {
    return put_back_changed(
        saved, capture(), [&](const TweakSaved& now, const std::string& v) { return set(now, v); });
}

TweakChange SwitchTweak::set(const TweakSaved& now, std::string_view value,
                             std::string_view unit) const {
    const SwitchResult r = switches_.write(which_, now.object, value);
    return {now.object, r.ok,
            r.ok ? now.value + " -> " + std::string(value) + std::string(unit) : r.error};
}

std::string list_objects(const TweakSnapshot& objects, std::string_view unit) {
    std::string out;
    for (const auto& o : objects) {
        if (!out.empty()) out += ", ";
        out += o.object + " " + o.value + std::string(unit);
    }
    return out;
}

}  // namespace tweak
}  // namespace bw
