#pragma once

#include <cstdint>
#include <string>

namespace bw {

// What the main window's periodic display shows on one tick.
struct LiveFigures {
    double cpu_percent = 0;     // averaged over the processors
    bool physical = true;       // the drive was found among the physical disks ("Drive (P)")
    double disk_time_percent = 0;
    double bytes_per_sec = 0;
    std::string memory_text;    // the three memory lines for Label7
};

// "CPU: 12.5%", its colour (0x00BBGGRR): green, red above 10.
std::string cpu_text(double percent);
std::uint32_t cpu_colour(double percent);
// A transfer rate as the main window shows it: "512 Bytes", "12.3 KB", "140.5 MB".
std::string transfer_text(double bytes_per_sec);
// The memory lines; bytes become megabytes by dividing by 1,048,576.
std::string memory_text(double used_bytes, double free_bytes, double cache_bytes,
                        double cache_peak_bytes, double page_faults_per_sec);

}  // namespace bw
