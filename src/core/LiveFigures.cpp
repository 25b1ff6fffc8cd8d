#include "core/LiveFigures.h"

#include <fmt/format.h>

#include <cmath>

namespace bw {

namespace {
constexpr double kMiB = 1048576.0;
constexpr std::uint32_t kGreen = 32768, kRed = 255;
}  // namespace

std::string cpu_text(double percent) { return fmt::format("CPU: {:.1f}%", percent); }

std::uint32_t cpu_colour(double percent) { return percent > 10 ? kRed : kGreen; }

std::string transfer_text(double v) {
    if (v < 1000) return fmt::format("{:.0f} Bytes", v);
    if (v < 1'000'000) return fmt::format("{:.1f} KB", v / 1000);
    return fmt::format("{:.1f} MB", v / 1'000'000);
}

std::string memory_text(double used, double free, double cache, double peak, double faults) {
    auto mb = [](double bytes) { return std::llround(bytes / kMiB); };
    return fmt::format(
        "Memory   Used: {} MB   Free: {} MB\nCache  Current: {} MB   Peak: {} MB\nMemory Page "
        "Faults: {} Sec",
        mb(used), mb(free), mb(cache), mb(peak), std::llround(faults));
}

}  // namespace bw
