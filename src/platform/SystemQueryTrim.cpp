// Facts of a volume's disk that a Linux user asks about: the file behind a loop device, and
// whether the system trims its filesystems on a timer.
#include "platform/SystemQuery.h"
#include "platform/SystemQueryText.h"

namespace bw {

std::string SystemQuery::loop_backing_file(const std::string& disk_name) const {
    if (disk_name.rfind("loop", 0) != 0) return {};
    return text::trim(root_.read_line("/sys/block/" + disk_name + "/loop/backing_file"));
}

bool SystemQuery::periodic_trim_enabled() const {
    // systemctl enable links the timer into the timers target; the vendor preset may do the same
    // under /usr/lib for a timer enabled by default.
    static constexpr std::string_view kTimerLinks[] = {
        "/etc/systemd/system/timers.target.wants/fstrim.timer",
        "/usr/lib/systemd/system/timers.target.wants/fstrim.timer",
        "/lib/systemd/system/timers.target.wants/fstrim.timer",
    };
    for (auto link : kTimerLinks)
        if (root_.exists(link) || root_.read_link(link)) return true;
    return false;
}

}  // namespace bw
