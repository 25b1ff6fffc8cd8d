#pragma once

// The machine's delete-notification value ("disabledeletenotify": 0 TRIM on, 1 TRIM off) served
// from a volume's discard switch: on when the volume is mounted with `discard` or fstrim.timer
// trims it periodically; setting 0 or 1 remounts with `discard` or `nodiscard`. The start-up
// advice reads and sets it for the system volume.

#include <string>

#include "core/mdlRegistry.h"
#include "platform/DiscardSwitch.h"

namespace bw {

inline constexpr std::string_view kDeleteNotifyKey = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";
inline constexpr std::string_view kDisableDeleteNotify = "disabledeletenotify";

class DiscardNotifyValue : public RegistryAdapter {
  public:
    DiscardNotifyValue(Sysroot root, MountRunner& runner, std::string mount_point);
    RegValue query() override;
    bool set(const RegValue& value) override;
    std::string note() const override;

  private:
    DiscardSwitch switch_;
    std::string mount_point_;
};

// Serves the value from the discard switch of "/" on this machine.
void register_discard_notify_value();

}  // namespace bw
