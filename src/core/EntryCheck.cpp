#include "core/Startup.h"

namespace bw {

std::vector<std::string> missing_requirements(const Sysroot& sys, bool display_available) {
    std::vector<std::string> missing;
    for (const auto& r : kKernelRequirements) {
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
