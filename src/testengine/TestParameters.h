#pragma once

// The parameters of one main test, as the start button turns the main window's options into
// them: what the test window, the sampling, the evaluation and the result files read.

#include <cstdint>
#include <string>

#include "core/TesterProtocol.h"

namespace bw::testengine {

struct TestParameters {
    std::string drive;        // "C:": the first two characters of the drive list entry
    std::string drive_entry;  // the whole drive list entry
    bool is_ssd = false, is_ram = false, is_usb = false;  // "SSD" / "RAM" / "USB" in the entry
    bool read = false, write = false;
    int multi = 0;                         // multi-task level 0..3
    JobType type = JobType::Functional;    // "Functional" or "Performance"
    std::string block_codes;               // one code character per block, in list order
    int seconds_per_block = 0;
    std::int64_t file_size_mb = 0;         // 0, or 500 / 300 / 200 after the free-space check, 250 on USB
    std::string cluster_size = "512";
    std::int64_t estimate_seconds = 0;     // the estimated total
    // Where the drive lives on this machine: the folder for test files and the block device.
    std::string test_folder, device;
    int counter_index = -1;  // the volume's row in the logical-disk counters (the status line)
};

// "Functional" or "Performance", as reports name a test type.
inline const char* type_name(JobType type) {
    return type == JobType::Performance ? "Performance" : "Functional";
}

}  // namespace bw::testengine
