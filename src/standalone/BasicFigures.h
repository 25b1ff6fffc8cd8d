#pragma once

// The figures of the basic test and the quick read baseline: a sample of throughput once a
// second, peaks, the average over the samples that were not stalls, the rating bar and the
// summary lines. Throughput figures are whole bytes per second.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/TesterProtocol.h"

namespace bw::basic {

// Samples below this share of the peak (a stall, a flush) are left out of the average.
inline constexpr double kAverageRatio = 0.3;
// A second is closed once a little less than a second has passed since it began (write test
// and baseline; the read test closes it a little earlier).
inline constexpr double kWriteSampleSeconds = 0.999;
inline constexpr double kReadSampleSeconds = 0.995;

// Adds the bytes of each transfer and closes a second when more than `min_seconds` have passed
// since it began: the throughput of that second, in whole bytes per second.
class SecondSampler {
  public:
    SecondSampler(double start_seconds, double min_seconds);
    std::optional<double> add(std::uint64_t bytes, double now_seconds);

  private:
    double second_start_;
    double min_seconds_;
    std::uint64_t bytes_ = 0;
};

// Peak bytes and operations per second of one block. A second that does not beat the peak
// leaves both as they were; operations follow the byte peak, not a peak of their own.
struct Peaks {
    double bytes = 0, operations = 0;
    // True when `current` is the new peak.
    bool offer(double current, std::uint64_t block_size);
};

// Average of the samples above kAverageRatio x peak (whole bytes per second; 0 without any).
double average_above_threshold(const std::vector<double>& samples, double peak);

// The rating bar of a peak: its height and top in twips, standing on a base line at 3200. None
// for a peak of 1,000,000 bytes per second or less: the bar stays as it was.
struct RatingBar {
    double height = 0, top = 0;
};
inline constexpr double kRatingBase = 3200;
std::optional<RatingBar> rating_bar(double peak);

// One block's results on one side.
struct BlockFigures {
    double peak = 0, peak_io = 0, average = 0, average_io = 0;
};
BlockFigures block_figures(const Peaks& peaks, const std::vector<double>& samples,
                           std::uint64_t block_size);

// "Write Test on D Drive at 4 KB" (the block size in KiB, whole).
std::string status_text(Side side, char letter, std::uint64_t block_size);
// The block's lines of the summary: the status text, the four figures, an empty line.
std::string summary_lines(Side side, const std::string& status, const BlockFigures& figures);
// "12,345,678 Bps" and "3,014 IOps".
std::string bps(double value);
std::string iops(double value);

}  // namespace bw::basic
