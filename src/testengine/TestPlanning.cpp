#include "testengine/TestPlanning.h"

#include <cctype>
#include <cmath>

#include <fmt/format.h>

namespace bw::testengine {

namespace {

// A lone small block runs a few seconds longer than its time: the testers lay out and settle
// before a 4 KB test measures anything.
struct LoneBlockExtra {
    std::string_view codes;
    int seconds;
};
inline constexpr LoneBlockExtra kLoneBlockExtras[] = {{"1", 9}, {"2", 6}, {"3", 3}};

// Processor-load warning thresholds, most processors first.
struct CpuThreshold {
    int min_processors;
    double percent;
};
inline constexpr CpuThreshold kCpuThresholds[] = {{4, 17}, {2, 15}, {1, 10}};

// Test-file size by free megabytes, largest first.
struct FileSizeStep {
    std::int64_t above_mb;
    std::int64_t size_mb;
};
inline constexpr FileSizeStep kFileSizes[] = {{5000, 500}, {1000, 300}, {500, 200}};
inline constexpr std::uint64_t kWriteTestMinFree = 500'000'000;

// Multi-task levels multiply the time: each level runs the single test and the multi-task ones.
inline constexpr int kLevelFactor[] = {1, 2, 3, 3};

inline constexpr int kAllBlocksExtraSeconds = 580;
inline constexpr int kFunctionalReadExtraSeconds = 15;

}  // namespace

std::string time_text(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return fmt::format("{}:{:02}:{:02}", (seconds / 3600) % 60, (seconds / 60) % 60, seconds % 60);
}

int seconds_per_block(int block_count, int test_time, bool adjust) {
    if (!adjust || block_count <= 5) return test_time;
    if (block_count >= kBlockCount) return static_cast<int>(std::lround(test_time / 2.0));
    return static_cast<int>(std::lround(test_time / 1.25));
}

std::int64_t estimate_seconds(const EstimateInput& in) {
    const auto n = static_cast<std::int64_t>(in.block_codes.size());
    std::int64_t per_block = seconds_per_block(static_cast<int>(n), in.test_time, in.adjust);
    for (const auto& extra : kLoneBlockExtras)
        if (in.block_codes == extra.codes) per_block += extra.seconds;
    std::int64_t total = 0;
    if (in.read) total += per_block * n;
    if (in.write) total += per_block * n;
    if (in.multi >= 0 && in.multi <= kMaxMultiLevel) total *= kLevelFactor[in.multi];
    if (n == kBlockCount) total += kAllBlocksExtraSeconds;
    if (in.type == JobType::Functional && !in.write) total += kFunctionalReadExtraSeconds;
    return total;
}

bool cpu_too_busy(double total_percent, int processors) {
    for (const auto& t : kCpuThresholds)
        if (processors >= t.min_processors) return total_percent > t.percent;
    return total_percent > kCpuThresholds[std::size(kCpuThresholds) - 1].percent;
}

std::string cpu_warning_text(double total_percent, std::string_view process_lines) {
    return fmt::format(
        "CPU Usage is {}% and can affect the results of the test. You should Close or Stop the "
        "Following:\r\n\r\n{}\r\n\r\nContinue after Programs are closed or to Bypass.\r\n",
        std::lround(total_percent), process_lines);
}

bool disk_active(double disk_time_percent, double bytes_per_sec) {
    return disk_time_percent > 0 || bytes_per_sec > 0.1;
}

std::optional<std::int64_t> file_size_for_free_bytes(std::uint64_t free_bytes) {
    if (free_bytes <= kWriteTestMinFree) return std::nullopt;
    const auto free_mb = std::llround(static_cast<double>(free_bytes) / 1'000'000.0);
    for (const auto& step : kFileSizes)
        if (free_mb > step.above_mb) return step.size_mb;
    return 0;  // just above the minimum: the testers size the file themselves
}

std::string cluster_size_for(const std::vector<std::string>& cluster_list, char letter) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (const auto& row : cluster_list)
        if (!row.empty() && lower(row.front()) == lower(letter)) return row.substr(1);
    return "512";
}

std::string long_test_question(std::string_view time) {
    return fmt::format(
        "Estimated Test Time for Running ALL BlockSizes is  {}. Do you want to continue the Test?",
        time);
}

std::string all_drives_question(int drives, std::string_view time) {
    return fmt::format(
        "Estimated Test Time for {} Drives Running ALL BlockSizes is  {}. Do you want to continue "
        "the Test?",
        drives, time);
}

}  // namespace bw::testengine
