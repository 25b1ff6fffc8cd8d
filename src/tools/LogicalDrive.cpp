#include "tools/LogicalDrive.h"

#include <fmt/format.h>

#include <cmath>
#include <numeric>

#include "platform/PdhQuery.h"

namespace bw {

namespace {

// "1234567.891" with `decimals` -> "1,234,567.891": the integer part grouped by thousands.
std::string grouped(double value, int decimals) {
    std::string s = fmt::format("{:.{}f}", value, decimals);
    const bool negative = !s.empty() && s.front() == '-';
    if (negative) s.erase(0, 1);
    const size_t point = s.find('.');
    const size_t int_end = point == std::string::npos ? s.size() : point;
    std::string out;
    for (size_t i = 0; i < int_end; ++i) {
        if (i > 0 && (int_end - i) % 3 == 0) out += ',';
        out += s[i];
    }
    out += s.substr(int_end);
    // "-0" is what rounding a tiny negative reading leaves; it is 0.
    if (negative && out.find_first_not_of("0.,") != std::string::npos) out.insert(0, "-");
    return out;
}

struct FormatDef {
    MonitorFormat format;
    std::string (*write)(double);
};

inline constexpr FormatDef kFormats[] = {
    {MonitorFormat::Grouped, [](double v) { return grouped(v, 0); }},
    {MonitorFormat::Grouped2, [](double v) { return grouped(v, 2); }},
    {MonitorFormat::Grouped4, [](double v) { return grouped(v, 4); }},
    {MonitorFormat::Fixed2, [](double v) { return fmt::format("{:.2f}", v); }},
    {MonitorFormat::Fixed0, [](double v) { return fmt::format("{:.0f}", v); }},
    {MonitorFormat::Plain, [](double v) { return fmt::format("{:.15g}", v); }},
};

std::string write_number(MonitorFormat format, double value) {
    if (!std::isfinite(value)) value = 0;
    for (const auto& f : kFormats)
        if (f.format == format) return f.write(value);
    return fmt::format("{}", value);
}

double sum(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0);
}

// What each source reads from a tick.
struct SourceDef {
    MonitorSource source;
    double (*read)(const MonitorFigureDef&, const MonitorSnapshot&);
};

inline constexpr SourceDef kSources[] = {
    {MonitorSource::Disk,
     [](const MonitorFigureDef& d, const MonitorSnapshot& s) {
         return s.disk[static_cast<size_t>(d.disk_counter)];
     }},
    // Averaged only when there is something to average: no division by a count of 0.
    {MonitorSource::InterruptTimeAverage,
     [](const MonitorFigureDef&, const MonitorSnapshot& s) {
         const double total = sum(s.interrupt_time);
         return total > 0 ? total / static_cast<double>(s.interrupt_time.size()) : total;
     }},
    {MonitorSource::InterruptsSum,
     [](const MonitorFigureDef&, const MonitorSnapshot& s) { return sum(s.interrupts); }},
    {MonitorSource::SystemCalls,
     [](const MonitorFigureDef&, const MonitorSnapshot& s) { return s.system_calls; }},
    {MonitorSource::AvailableBytes,
     [](const MonitorFigureDef&, const MonitorSnapshot& s) { return s.available_bytes; }},
    {MonitorSource::PageFaults,
     [](const MonitorFigureDef&, const MonitorSnapshot& s) { return s.page_faults; }},
};

// When a shown value turns red.
struct RedDef {
    MonitorRed red;
    bool (*holds)(double value, double limit, const MonitorSnapshot&);
};

inline constexpr RedDef kRedRules[] = {
    {MonitorRed::Never, [](double, double, const MonitorSnapshot&) { return false; }},
    {MonitorRed::Below, [](double v, double limit, const MonitorSnapshot&) { return v < limit; }},
    {MonitorRed::Above, [](double v, double limit, const MonitorSnapshot&) { return v > limit; }},
    {MonitorRed::QueueWhileBusy,
     [](double v, double limit, const MonitorSnapshot& s) {
         return v > limit && s.disk[logical_disk::kDiskTime] > kBusyDiskTime;
     }},
};

double reading(const MonitorFigureDef& def, const MonitorSnapshot& s) {
    for (const auto& r : kSources)
        if (r.source == def.source) return r.read(def, s);
    return 0;
}

bool is_red(const MonitorFigureDef& def, double value, const MonitorSnapshot& s) {
    for (const auto& r : kRedRules)
        if (r.red == def.red) return r.holds(value, def.limit, s);
    return false;
}

MonitorFigure figure_of(const MonitorFigureDef& def, const MonitorSnapshot& s) {
    MonitorFigure f;
    if (!MonitorFigureHasSource(def)) {
        // A 0 here would read as a quiet drive or a quiet system; it is no reading at all.
        f.available = false;
        f.text = std::string(kNoSourceText);
        return f;
    }
    f.value = reading(def, s) / def.divisor;
    if (def.cap > 0 && f.value > def.cap) f.value = def.cap;
    f.red = is_red(def, f.value, s);
    f.text = write_number(def.format, f.value) + std::string(def.suffix);
    return f;
}

}  // namespace

bool MonitorFigureHasSource(const MonitorFigureDef& def) {
    struct Counter {
        MonitorSource source;
        std::string_view object, counter;
    };
    static constexpr Counter kCounters[] = {
        {MonitorSource::InterruptTimeAverage, "Processor Information", "% Interrupt Time"},
        {MonitorSource::InterruptsSum, "Processor Information", "Interrupts/sec"},
        {MonitorSource::SystemCalls, "System", "System Calls/sec"},
        {MonitorSource::AvailableBytes, "Memory", "Available Bytes"},
        {MonitorSource::PageFaults, "Memory", "Page Faults/sec"},
    };
    if (def.source == MonitorSource::Disk)
        return PdhLibrary::CounterHasSource(
            "LogicalDisk", kLogicalDiskCounterNames[static_cast<size_t>(def.disk_counter)]);
    for (const auto& c : kCounters)
        if (c.source == def.source) return PdhLibrary::CounterHasSource(c.object, c.counter);
    return false;
}

MonitorFigures MonitorFiguresOf(const MonitorSnapshot& s) {
    MonitorFigures out;
    for (int i = 0; i < kMonitorRows; ++i) {
        out.left[static_cast<size_t>(i)] = figure_of(kMonitorLeft[static_cast<size_t>(i)], s);
        out.right[static_cast<size_t>(i)] = figure_of(kMonitorRight[static_cast<size_t>(i)], s);
    }
    return out;
}

}  // namespace bw
