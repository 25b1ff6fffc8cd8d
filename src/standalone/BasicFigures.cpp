#include "standalone/BasicFigures.h"

#include <cmath>

#include "drives/DriveText.h"

namespace bw::basic {

namespace {

constexpr const char* kCrLf = "\r\n";

// Figures are kept as whole numbers, as they are shown.
double whole(double v) {
    return std::isfinite(v) ? std::round(v) : 0;
}

}  // namespace

SecondSampler::SecondSampler(double start_seconds, double min_seconds)
    : second_start_(start_seconds), min_seconds_(min_seconds) {}

std::optional<double> SecondSampler::add(std::uint64_t bytes, double now_seconds) {
    bytes_ += bytes;
    const double elapsed = now_seconds - second_start_;
    if (elapsed <= min_seconds_) return std::nullopt;
    const double current = whole(static_cast<double>(bytes_) / elapsed);
    bytes_ = 0;
    second_start_ = now_seconds;
    return current;
}

bool Peaks::offer(double current, std::uint64_t block_size) {
    if (current <= bytes) return false;
    bytes = current;
    const double ops = block_size ? whole(current / static_cast<double>(block_size)) : 0;
    if (ops > operations) operations = ops;
    return true;
}

double average_above_threshold(const std::vector<double>& samples, double peak) {
    const double threshold = whole(kAverageRatio * peak);
    double sum = 0;
    int count = 0;
    for (double s : samples)
        if (s > threshold) {
            sum += s;
            ++count;
        }
    return count ? whole(sum / count) : 0;
}

std::optional<RatingBar> rating_bar(double peak) {
    if (peak <= 1'000'000) return std::nullopt;
    const double value = peak / 1'000'000 + 5;
    RatingBar bar;
    bar.height = value * 10;
    bar.top = kRatingBase - bar.height;
    return bar;
}

BlockFigures block_figures(const Peaks& peaks, const std::vector<double>& samples,
                           std::uint64_t block_size) {
    BlockFigures f;
    f.peak = peaks.bytes;
    f.peak_io = peaks.operations;
    f.average = average_above_threshold(samples, peaks.bytes);
    f.average_io = block_size ? whole(f.average / static_cast<double>(block_size)) : 0;
    return f;
}

std::string status_text(Side side, char letter, std::uint64_t block_size) {
    return std::string(side == Side::Write ? "Write" : "Read") + " Test on " +
           std::string(1, letter) + " Drive at " +
           format_hash(static_cast<double>(block_size) / 1024) + " KB";
}

std::string bps(double value) {
    return format_grouped(value) + " Bps";
}
std::string iops(double value) {
    return format_grouped(value) + " IOps";
}

std::string summary_lines(Side side, const std::string& status, const BlockFigures& f) {
    const std::string s = side == Side::Write ? "Write" : "Read";
    std::string text = status + kCrLf;
    text += "   Peak " + s + ": " + bps(f.peak) + kCrLf;
    text += "   Peak " + s + " I/O: " + iops(f.peak_io) + kCrLf;
    text += "   Average " + s + ": " + bps(f.average) + kCrLf;
    text += "   Average " + s + " I/O: " + iops(f.average_io) + kCrLf;
    return text + kCrLf;
}

}  // namespace bw::basic
