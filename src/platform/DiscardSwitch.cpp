#include "platform/DiscardSwitch.h"

#include <unistd.h>

#include <algorithm>

namespace bw {

namespace {

const DiscardRemountRule* rule_of(std::string_view fstype) {
    for (const auto& r : kDiscardRemountRules)
        if (r.fstype == fstype) return &r;
    return nullptr;
}

bool timer_enabled(const Sysroot& root) {
    return std::any_of(std::begin(kFstrimTimerLinks), std::end(kFstrimTimerLinks),
                       [&](std::string_view link) {
                           return root.exists(link) || root.read_link(link).has_value();
                       });
}

}  // namespace

DiscardSwitch::DiscardSwitch(Sysroot root, MountRunner& runner)
    : root_(std::move(root)), runner_(runner) {}

DiscardState DiscardSwitch::read(std::string_view mount_point) const {
    DiscardState s;
    s.timer_enabled = timer_enabled(root_);
    const auto m = Mounts(root_, runner_).find(mount_point);
    if (!m) {
        s.cannot_switch = std::string(mount_point) + " is not mounted";
        return s;
    }
    s.mounted = true;
    s.fstype = m->fstype;
    s.discard = std::find(m->options.begin(), m->options.end(), "discard") != m->options.end();
    const DiscardRemountRule* rule = rule_of(s.fstype);
    s.by_remount = rule && rule->by_remount;
    if (!rule)
        s.cannot_switch = s.fstype + " is not known to switch discard by remount";
    else if (!rule->by_remount)
        s.cannot_switch = s.fstype + " changes discard only when it is mounted again";
    else if (runner_.acts_on_machine() && ::geteuid() != 0)
        s.cannot_switch = "switching TRIM needs root";
    return s;
}

MountResult DiscardSwitch::set(std::string_view mount_point, bool on) {
    const DiscardState before = read(mount_point);
    if (!before.cannot_switch.empty()) return {false, before.cannot_switch};
    const std::string option(discard_option(on));
    if (before.discard == on) return {true, std::string(mount_point) + " already " + option};
    MountResult r = Mounts(root_, runner_).remount(mount_point, {option});
    if (!r.ok) return r;
    if (read(mount_point).discard != on)
        return {false, std::string(mount_point) + " was remounted " + option +
                           " but its options do not show it"};
    return {true, std::string(mount_point) + " remounted " + option};
}

}  // namespace bw
