#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/UniqueFd.h"

namespace bw {

// Values established at start-up and kept for the whole run.
struct AppState {
    std::string version;     // "0.705"
    std::string build_date;  // "1 Jul 13"
    // Settings shared with the testers, tester executables. Absolute with every symlink resolved
    // (choose_working_folder): the testers start from it and are found by their executables' paths.
    std::filesystem::path working_folder;
    // The working folder held open since it was checked: the testers and their copies are made
    // and started through it, never through the path, which another user might swap. Copies of
    // the state share it; `working_fd_path` is the path it was held for.
    std::shared_ptr<const UniqueFd> working_fd;
    std::filesystem::path working_fd_path;
    std::filesystem::path program_folder;  // preferences, reports, result files
    std::string computer_name;             // host name; counter paths begin "\\" + this
    int processor_count = 1;               // online processors
    char windows_drive = 'C';              // the letter of the volume that holds "/"
    std::string win_ver;                   // cached OS name (`Win Ver`)
    int repair_state = 0;                  // 1 once the counter repair succeeded
    bool basic_only_mode = false;          // counters unusable: only the basic test is offered
    int pass_counter = 0;                  // test passes run in this session
    bool busy = false;  // a test, the monitor or the disk check is open: the main display rests

    // Preferences read at start-up.
    std::string test_time = "30";  // seconds per block
    bool adjust_test_time = true;
    bool always_ignore = false;
    bool download_results = true;
    bool check_update = true;

    // Cached system facts (working file), read at start-up.
    std::string mems, mb, win_type, bios, cpu, cpu_speed, cpu_name, cpu_descript, socket, cpu_man;
    long long available_memory_mb = 0;

    // The held working folder's descriptor, -1 when it cannot be opened. A state given only a
    // path (tests, tools) has that folder opened at first use, never through a symlink, and held
    // from then on.
    int working_dir();
    void hold_working_folder(const std::filesystem::path& path, UniqueFd fd);

    // The two settings files.
    std::filesystem::path working_ini() const { return working_folder / "DariDozodaz.dat"; }
    std::filesystem::path prefs_ini() const { return program_folder / "DariDozodaz.dat"; }
};

// The program-wide instance.
AppState& app();

}  // namespace bw
