#include "standalone/TrimSwitchValue.h"

#include <memory>

namespace bw {

DiscardNotifyValue::DiscardNotifyValue(Sysroot root, MountRunner& runner, std::string mount_point)
    : switch_(std::move(root), runner), mount_point_(std::move(mount_point)) {}

RegValue DiscardNotifyValue::query() {
    const DiscardState s = switch_.read(mount_point_);
    if (!s.mounted) return {};
    return RegValue::dword(s.discard || s.timer_enabled ? 0 : 1);
}

bool DiscardNotifyValue::set(const RegValue& value) {
    if (value.type != REG_DWORD || value.number > 1) return false;
    return switch_.set(mount_point_, value.number == 0).ok;
}

std::string DiscardNotifyValue::note() const {
    return "TRIM of " + mount_point_ +
           ": its discard mount option, or fstrim.timer; a remount lasts until it is mounted again";
}

void register_discard_notify_value() {
    register_registry_adapter(RegHive::HKEY_LOCAL_MACHINE, kDeleteNotifyKey, kDisableDeleteNotify,
                              std::make_shared<DiscardNotifyValue>(Sysroot("/"),
                                                                   live_mount_runner(), "/"));
}

}  // namespace bw
