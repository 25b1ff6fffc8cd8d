// Link power management = the SATA hosts' link_power_management_policy. The kernel has no
// separate switches for host- and device-initiated power management: each policy is a pair of
// them, so each row reads its half of the pair and writes the policy of the new pair. The kernel
// has no device-only policy either: turning the device-initiated half on also turns the host-
// initiated half on, and turning the host-initiated half off also turns the other off; the change
// says so.
#include <algorithm>

#include "platform/KernelSwitches.h"
#include "platform/TweakAdapters.h"

namespace bw::tweak {
namespace {

struct Policy {
    std::string_view name;
    bool host, device;  // host-initiated (HIPM), device-initiated (DIPM)
};
// Reading: every policy the kernel names. Writing: the first row of the wanted pair.
inline constexpr Policy kPolicies[] = {
    {"max_performance", false, false},   {"medium_power", true, false},
    {"med_power_with_dipm", true, true}, {"min_power_with_partial", true, true},
    {"min_power", true, true},
};

const Policy* policy_named(std::string_view name) {
    for (const auto& p : kPolicies)
        if (p.name == name) return &p;
    return nullptr;  // keep_firmware_settings, or a name of a later kernel
}

std::string_view policy_for(bool host, bool device) {
    for (const auto& p : kPolicies)
        if (p.host == host && p.device == device) return p.name;
    return kPolicies[0].name;
}

class LinkPower : public SwitchTweak {
  public:
    LinkPower(const TweakMachine& m, bool device)
        : SwitchTweak(m.root, KernelSwitch::LinkPowerPolicy), device_(device) {}

    TweakReading read() const override {
        const TweakSnapshot found = capture();
        if (found.empty()) return {std::nullopt, "no SATA host with a link power policy"};
        // On when any host has it: a laptop with a second, idle controller is still saving power.
        std::optional<std::uint32_t> level;
        for (const auto& h : found) {
            const Policy* p = policy_named(h.value);
            if (!p) {  // the firmware's choice: nothing the kernel switched on
                level = level.value_or(0);
                continue;
            }
            const bool on = device_ ? p->device : p->host;
            level = std::max<std::uint32_t>(level.value_or(0), on ? 1 : 0);
        }
        return {level, list_objects(found)};
    }

    std::vector<TweakChange> write(std::uint32_t level) override {
        std::vector<TweakChange> changes;
        for (const auto& h : capture()) {
            const Policy* p = policy_named(h.value);
            bool host = device_ ? (p && p->host) : level != 0;
            bool device = device_ ? level != 0 : (p && p->device);
            std::string note;
            if (device && !host) {  // no device-only policy: the row being written wins
                if (device_) {
                    host = true;
                    note =
                        " (host-initiated turned on with it: the kernel has no device-only mode)";
                } else {
                    device = false;
                    note =
                        " (device-initiated turned off with it: the kernel has no device-only "
                        "mode)";
                }
            }
            const std::string_view want = policy_for(host, device);
            if (want == h.value) continue;
            TweakChange c = set(h, want);
            if (c.ok) c.message += note;
            changes.push_back(std::move(c));
        }
        return changes;
    }

  private:
    std::vector<std::string> objects() const override { return root_.list("/sys/class/scsi_host"); }

    bool device_;
};

}  // namespace

std::unique_ptr<TweakAdapter> link_power(const TweakMachine& machine, bool device_initiated) {
    return std::make_unique<LinkPower>(machine, device_initiated);
}

}  // namespace bw::tweak
