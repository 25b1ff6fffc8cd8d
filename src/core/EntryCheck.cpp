#include "core/Startup.h"
#include "platform/SystemRequirements.h"

namespace bw {

std::vector<std::string> missing_requirements(const Sysroot& sys, bool display_available) {
    std::vector<std::string> missing = missing_system_facts(sys);
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
