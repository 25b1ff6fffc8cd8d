#include "platform/SystemRequirements.h"

#include <string_view>

namespace bw {

namespace {

struct Requirement {
    std::string_view path;  // must be readable
    std::string_view what;  // told to the user when it is not
};

inline constexpr Requirement kRequirements[] = {
    {"/proc/self/stat", "/proc (the process file system, mounted)"},
    {"/proc/diskstats", "/proc/diskstats (disk statistics of the kernel)"},
    {"/proc/self/mountinfo", "/proc/self/mountinfo (mounted file systems)"},
    {"/sys/block", "/sys/block (sysfs, mounted)"},
};

}  // namespace

std::vector<std::string> missing_system_facts(const Sysroot& sys) {
    std::vector<std::string> missing;
    for (const auto& r : kRequirements) {
        bool ok = sys.is_dir(r.path) ? !sys.list(r.path).empty() || sys.exists(r.path)
                                     : sys.read(r.path).has_value();
        if (!ok) missing.emplace_back(r.what);
    }
    return missing;
}

bool holds_captured_system(const Sysroot& sys) {
    return sys.is_dir("/sys/block");
}

std::string not_a_captured_system(const Sysroot& sys) {
    if (sys.is_live() || holds_captured_system(sys)) return {};
    return sys.root().string() + " has no sys/block: not a captured system";
}

}  // namespace bw
