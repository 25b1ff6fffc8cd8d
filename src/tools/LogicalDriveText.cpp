#include "tools/LogicalDriveText.h"

#include <fmt/format.h>

namespace bw {

namespace {

double number(const nlohmann::json& j, const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_number() ? it->get<double>() : 0.0;
}

std::vector<double> numbers(const nlohmann::json& j, const char* key) {
    std::vector<double> out;
    const auto it = j.find(key);
    if (it == j.end() || !it->is_array()) return out;
    for (const auto& v : *it) out.push_back(v.is_number() ? v.get<double>() : 0.0);
    return out;
}

nlohmann::ordered_json column(const std::array<MonitorFigureDef, kMonitorRows>& defs,
                              const std::array<MonitorFigure, kMonitorRows>& figures) {
    auto out = nlohmann::ordered_json::array();
    for (size_t i = 0; i < defs.size(); ++i) {
        const MonitorFigure& f = figures[i];
        out.push_back({{"caption", defs[i].caption},
                       {"text", f.text},
                       {"value", f.available ? nlohmann::ordered_json(f.value) : nullptr},
                       {"red", f.red}});
    }
    return out;
}

// Caption padded to the longest caption, value right-aligned.
std::string cell(const MonitorFigureDef& def, const MonitorFigure& f, bool colour) {
    constexpr int kCaptionWidth = 29, kValueWidth = 18;
    std::string value = fmt::format("{:>{}}", f.text, kValueWidth);
    if (colour && f.red) value = "\x1b[31m" + value + "\x1b[0m";
    return fmt::format("{:<{}}{}", def.caption, kCaptionWidth, value);
}

}  // namespace

nlohmann::ordered_json MonitorSnapshotJson(const MonitorSnapshot& s) {
    nlohmann::ordered_json disk = nlohmann::ordered_json::object();
    for (size_t i = 0; i < s.disk.size(); ++i)
        disk[std::string(kLogicalDiskCounterNames[i])] = s.disk[i];
    return {{"drive", s.drive},
            {"counted", s.counted},
            {"disk", disk},
            {"interrupt_time_percent", s.interrupt_time},
            {"interrupts_per_s", s.interrupts},
            {"available_bytes", s.available_bytes},
            {"page_faults_per_s", s.page_faults}};
}

MonitorSnapshot MonitorSnapshotFromJson(const nlohmann::json& j) {
    MonitorSnapshot s;
    if (!j.is_object()) return s;
    if (const auto it = j.find("drive"); it != j.end() && it->is_string()) s.drive = *it;
    if (const auto it = j.find("counted"); it != j.end() && it->is_boolean()) s.counted = *it;
    if (const auto it = j.find("disk"); it != j.end() && it->is_object())
        for (size_t i = 0; i < s.disk.size(); ++i)
            s.disk[i] = number(*it, kLogicalDiskCounterNames[i].data());
    s.interrupt_time = numbers(j, "interrupt_time_percent");
    s.interrupts = numbers(j, "interrupts_per_s");
    s.available_bytes = number(j, "available_bytes");
    s.page_faults = number(j, "page_faults_per_s");
    return s;
}

nlohmann::ordered_json MonitorJson(const MonitorSnapshot& s, const MonitorFigures& f) {
    return {{"drive", s.drive},
            {"readings", MonitorSnapshotJson(s)},
            {"left", column(kMonitorLeft, f.left)},
            {"right", column(kMonitorRight, f.right)}};
}

std::string MonitorTable(const MonitorSnapshot& s, const MonitorFigures& f, bool colour) {
    std::string out = "Logical Drive Monitor: " + s.drive +
                      (s.counted ? "" : " (no counters for this drive: its figures read 0)") +
                      "\n\n";
    for (size_t i = 0; i < kMonitorRows; ++i)
        out += cell(kMonitorLeft[i], f.left[i], colour) + "   " +
               cell(kMonitorRight[i], f.right[i], colour) + "\n";
    return out;
}

}  // namespace bw
