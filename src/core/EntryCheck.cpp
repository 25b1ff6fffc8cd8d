#include "core/Startup.h"

namespace bw {

namespace {

struct Requirement {
    std::string_view path;  // must be readable
    std::string_view what;  // told to the user when it is not
};

// The facts every part of the program reads: without them there are no drives and no counters.
inline constexpr Requirement kRequirements[] = {
    {"/proc/self/stat", "/proc (the process file system, mounted)"},
    {"/proc/diskstats", "/proc/diskstats (disk statistics of the kernel)"},
    {"/proc/self/mountinfo", "/proc/self/mountinfo (mounted file systems)"},
    {"/sys/block", "/sys/block (sysfs, mounted)"},
};

}  // namespace

std::vector<std::string> missing_requirements(const Sysroot& sys, bool display_available) {
    std::vector<std::string> missing;
    for (const auto& r : kRequirements) {
        bool ok = sys.is_dir(r.path) ? !sys.list(r.path).empty() || sys.exists(r.path)
                                     : sys.read(r.path).has_value();
        if (!ok) missing.emplace_back(r.what);
    }
    if (!display_available)
        missing.emplace_back("a display for the windows (X11 or Wayland); without one, use brantwell-cli");
    return missing;
}

std::string missing_requirements_message(const std::vector<std::string>& missing) {
    std::string text(kMissingFilesInstall);
    for (const auto& m : missing) text += "\n  " + m;
    return text;
}

}  // namespace bw
