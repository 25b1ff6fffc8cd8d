#include "cli/StandaloneArgs.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/ExitCodes.h"
#include "core/AppState.h"
#include "core/SettingsKeys.h"
#include "platform/DirectIo.h"  // kTestFileRecord
#include "platform/SystemQuery.h"
#include "platform/folders.h"

namespace bw::cli {

char parse_drive_letter(const std::string& d, std::string* error) {
    const char letter =
        d.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(d.front())));
    if (letter < 'A' || letter > 'Z' || d.size() > 2 || (d.size() == 2 && d[1] != ':')) {
        *error = d + " is not a drive letter (A to Z)";
        return 0;
    }
    return letter;
}

bool ensure_program_folder(std::string* error) {
    if (!app().program_folder.empty()) return true;
    auto prog = choose_program_folder();
    if (prog.path.empty()) {
        *error = prog.error;
        return false;
    }
    app().program_folder = prog.path;
    return true;
}

bool prepare_for_tests(InventoryRun& run, std::string* error) {
    AppState& a = app();
    if (!ensure_program_folder(error)) return false;
    if (a.working_folder.empty()) {
        const std::vector<std::string_view> trusted = {keys::kSettingsFileName, kTestFileRecord};
        auto work = choose_working_folder(process_env, trusted);
        if (work.path.empty()) {
            *error = work.error;
            return false;
        }
        a.hold_working_folder(work.path, std::move(work.fd));
    }
    InventoryRunOptions options;
    options.prefs = a.prefs_ini();
    run = TakeInventory(system_query(), options);
    volume_map() = run.map;
    return true;
}

std::string drive_entry(const InventoryRun& run, char letter) {
    for (const auto& entry : run.inv.DriveList)
        if (!entry.empty() && entry.front() == letter) return entry;
    return {};
}

char drive_for_test(const std::string& drive_text, InventoryRun& run, int* status) {
    std::string error;
    const char letter = parse_drive_letter(drive_text, &error);
    if (!letter || !prepare_for_tests(run, &error)) {
        std::fprintf(stderr, "brantwell-cli: %s\n", error.c_str());
        *status = letter ? kExitFailed : kExitUsage;
        return 0;
    }
    if (drive_entry(run, letter).empty()) {
        std::fprintf(stderr, "brantwell-cli: %c: is not a drive of this machine\n", letter);
        *status = kExitNoDrive;
        return 0;
    }
    return letter;
}

int refused_raw_read(const std::string& device) {
    if (device.empty()) return kExitDone;
    const std::string why = raw_open_refusal(device);
    if (why.empty()) return kExitDone;
    std::fprintf(stderr, "brantwell-cli: %s\n", why.c_str());
    return kExitRefused;
}

}  // namespace bw::cli
