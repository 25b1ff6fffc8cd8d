#include "testengine/TestDisplay.h"

#include <cmath>

#include <fmt/format.h>

#include "drives/DriveText.h"

namespace bw::testengine {

namespace {

enum class Shape { Whole, Grouped, Percent, Kilo };

struct FigureRow {
    int counter;
    std::string_view caption;
    Shape shape;
    std::string_view suffix;
};

// The testers' row: the suffixes are the window's own, kept as it always showed them.
inline constexpr FigureRow kMainValueRows[] = {
    {tester_io::kReadOpsPerSec, "Read operations/s", Shape::Grouped, " Ops"},
    {tester_io::kWriteOpsPerSec, "Write operations/s", Shape::Grouped, " Ops"},
    {tester_io::kDataOpsPerSec, "Data operations/s", Shape::Grouped, " Ops"},
    {tester_io::kOtherOpsPerSec, "Other operations/s", Shape::Grouped, " Ops"},
    {tester_io::kReadBytesPerSec, "Read bytes/s", Shape::Grouped, " sec"},
    {tester_io::kWriteBytesPerSec, "Write bytes/s", Shape::Grouped, " Bps"},
    {tester_io::kDataBytesPerSec, "Data bytes/s", Shape::Grouped, " Bps"},
    {tester_io::kOtherBytesPerSec, "Other bytes/s", Shape::Grouped, " Ops"},
};
static_assert(std::size(kMainValueRows) == tester_io::kCount);

inline constexpr FigureRow kValueARows[] = {
    {logical_disk::kDiskTime, "Disk time (%)", Shape::Percent, " %"},
    {logical_disk::kIdleTime, "Idle time (%)", Shape::Percent, " %"},
    {logical_disk::kDiskReadTime, "Disk read time (%)", Shape::Percent, " %"},
    {logical_disk::kDiskWriteTime, "Disk write time (%)", Shape::Percent, " %"},
    {logical_disk::kBytesPerSec, "Disk bytes/s", Shape::Grouped, " Bps"},
    {logical_disk::kReadBytesPerSec, "Disk read bytes/s", Shape::Grouped, " Bps"},
    {logical_disk::kWriteBytesPerSec, "Disk write bytes/s", Shape::Grouped, " Bps"},
    {logical_disk::kTransfersPerSec, "Transfers/s", Shape::Grouped, " sec"},
    {logical_disk::kReadsPerSec, "Reads/s", Shape::Grouped, " sec"},
    {logical_disk::kWritesPerSec, "Writes/s", Shape::Grouped, " Sec"},
    {logical_disk::kAvgBytesTransfer, "Average transfer (KB)", Shape::Kilo, " KB"},
    {logical_disk::kAvgBytesRead, "Average read (KB)", Shape::Kilo, " KB"},
    {logical_disk::kAvgBytesWrite, "Average write (KB)", Shape::Kilo, " KB"},
    {logical_disk::kCurrentQueueLength, "Queue length", Shape::Whole, ""},
    {logical_disk::kAvgQueueLength, "Average queue length", Shape::Whole, ""},
};
static_assert(std::size(kValueARows) == kValueACount);

std::string shaped(double v, Shape shape) {
    switch (shape) {
    case Shape::Grouped: return format_grouped(v);
    case Shape::Percent:
    case Shape::Whole: return fmt::format("{}", std::llround(v));
    case Shape::Kilo: return fmt::format("{:.1f}", v / 1000.0);
    }
    return {};
}

template <size_t N, typename Values>
std::array<Figure, N> figures(const FigureRow (&rows)[N], const Values& values) {
    std::array<Figure, N> out;
    for (size_t i = 0; i < N; ++i)
        out[i] = {rows[i].caption,
                  shaped(values[static_cast<size_t>(rows[i].counter)], rows[i].shape) +
                      std::string(rows[i].suffix)};
    return out;
}

}  // namespace

std::array<Figure, tester_io::kCount> main_value_figures(const TickReading& r) {
    return figures(kMainValueRows, r.tester_sums);
}

std::array<Figure, kValueACount> value_a_figures(const TickReading& r) {
    return figures(kValueARows, r.drive);
}

std::string seek_text(double seconds) { return fmt::format("{:.3f}", seconds); }
std::string tester_cpu_text(double percent) { return fmt::format("{:.1f} %", percent); }
std::string hw_use_text(double percent) { return fmt::format("{:.2f}%", percent); }
std::uint32_t hw_use_colour(double percent) {
    return percent > kHwUseBusyPercent ? kHwUseBusy : kHwUseCalm;
}
std::string cpu_freq_text(double mhz) { return fmt::format("({}MHz)", std::llround(mhz)); }
std::string high_text(double bytes_per_sec) { return format_grouped(bytes_per_sec) + " Bytes"; }

std::string window_caption(const TestParameters& p, const LetterSpec& specs,
                           std::string_view previous) {
    const std::string name = p.drive_entry.size() > 4 ? p.drive_entry.substr(4) : p.drive;
    if (!specs.Rpm.empty() && specs.Rpm != "N/A")
        return "Testing " + name + " RPM: " + specs.Rpm + "  Cache: " + specs.Cache + "  " +
               specs.Interface;
    const char* mode = p.read && p.write ? "Reading and Writing" : p.write ? "Writing" : "Reading";
    const std::string caption = "Testing " + name + " " + mode;
    const int block = p.block_codes.size() == 1 ? block_index_from_code(p.block_codes[0]) : 0;
    if (block >= 1 && block <= 9)
        return caption + " Block size " + std::string(kBlockSizes[block - 1].name);
    // Several blocks: the block part of the caption stays as it was.
    const auto at = previous.find(" Block size ");
    return at == std::string_view::npos ? caption : caption + std::string(previous.substr(at));
}

std::optional<SpeedBar> speed_bar(Side side, double bytes_per_sec) {
    if (bytes_per_sec <= kBarMinBytes) return std::nullopt;
    // The write bar starts a little higher so both bars show when the speeds are alike.
    const double megabytes = bytes_per_sec / kBarMinBytes + (side == Side::Write ? 5 : 0);
    const int height = static_cast<int>(std::lround(megabytes * 10));
    return SpeedBar{height, kBarBaseTwips - height};
}

}  // namespace bw::testengine
