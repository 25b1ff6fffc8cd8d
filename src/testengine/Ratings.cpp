#include "testengine/Ratings.h"

#include <fmt/format.h>

#include <stdexcept>

namespace bw::testengine {

namespace {

int side_index(Side side) { return side == Side::Read ? 0 : 1; }
std::string_view side_word(Side side) { return side == Side::Read ? "Read" : "Write"; }

}  // namespace

double threshold(SpeedClass id, Side side) {
    for (const auto& row : kSpeedThresholds)
        if (row.id == id) return side == Side::Read ? row.read_bytes_per_s : row.write_bytes_per_s;
    throw std::logic_error("speed class missing from the threshold table");
}

std::string mb_per_s(double bytes_per_s) { return fmt::format("{:.2f}", bytes_per_s / 1e6); }

std::vector<std::string> multi_task_verdict(IdleTest test, Side side, int idle) {
    const int s = side_index(side);
    for (const auto& row : kMultiTaskVerdicts) {
        if (row.test != test || idle < row.idle_min || idle > row.idle_max) continue;
        std::vector<std::string> lines{std::string(row.lead[s]) + std::to_string(idle) + "%",
                                       std::string(row.first[s])};
        if (!row.second[s].empty()) lines.emplace_back(row.second[s]);
        return lines;
    }
    return {};
}

std::string peak_class_verdict(double single_peak_bytes_per_s, Side side) {
    const std::string lead = fmt::format("The Single Peak {} Speed is ", side_word(side));
    for (const auto& row : kPeakClassChain)
        if (single_peak_bytes_per_s > threshold(row.threshold, side))
            return lead + "Above a " + std::string(row.class_text);
    return lead + "Below a USB 2.0 Drive";
}

const SpeedBand& sustained_band(DriveTree tree, double best_bytes_per_s, Side side) {
    for (const auto& band : kSustainedBands) {
        if (band.tree != tree) continue;
        if (band.factor == 0 || best_bytes_per_s > band.factor * threshold(band.threshold, side))
            return band;
    }
    throw std::logic_error("verdict tree without a last row");
}

std::vector<std::string> sustained_verdict(DriveTree tree, double best_bytes_per_s, Side side,
                                           const std::string& drive, bool usb3_port) {
    const std::string mb = mb_per_s(best_bytes_per_s);
    const std::string_view word = side_word(side);
    std::vector<std::string> lines{fmt::format("Peak {} Speed is {} MBps. ", word, mb)};
    if (tree == DriveTree::Ram)
        lines.push_back(fmt::format("Best Sustained {} Speed for RAM Drive {} is {}", word, drive, mb));
    else if (tree == DriveTree::Usb)
        lines.push_back(fmt::format("Best Sustained {} Speed for USB Drive {} is {}", word, drive, mb));
    else
        lines.push_back(fmt::format("Best Sustained {} Speed is {}", word, mb));
    const SpeedBand& band = sustained_band(tree, best_bytes_per_s, side);
    lines.emplace_back(band.text);
    // Below the USB 3.0 class a drive may simply sit in a USB 2.0 port.
    if (tree == DriveTree::Usb && band.threshold == SpeedClass::Usb2 && usb3_port)
        for (auto advice : kUsb3PortAdvice) lines.emplace_back(advice);
    return lines;
}

}  // namespace bw::testengine
