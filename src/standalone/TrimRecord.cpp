#include "standalone/TrimRecord.h"

#include <system_error>

#include "core/SettingsKeys.h"
#include "core/private_profile.h"
#include "platform/DirectIo.h"

namespace bw {

namespace fs = std::filesystem;

bool WriteTrimRecord(const fs::path& prefs, const TrimRecord& record, std::string* error) {
    const bool ok = profile::write_strings(
        prefs, keys::kTrimTest,
        {{std::string(keys::kTrimMountPoint), record.mount_point},
         {std::string(keys::kTrimDiscardFound), record.discard_found ? "1" : "0"},
         {std::string(keys::kTrimTestFile), record.test_file.string()}});
    if (!ok && error) *error = profile::last_error();
    return ok;
}

std::optional<TrimRecord> ReadTrimRecord(const fs::path& prefs) {
    TrimRecord r;
    r.mount_point = profile::get_string(prefs, keys::kTrimTest, keys::kTrimMountPoint);
    r.test_file = profile::get_string(prefs, keys::kTrimTest, keys::kTrimTestFile);
    const std::string found = profile::get_string(prefs, keys::kTrimTest, keys::kTrimDiscardFound);
    if (r.mount_point.empty() && r.test_file.empty()) return std::nullopt;
    r.discard_found = found == "1";
    return r;
}

void ClearTrimRecord(const fs::path& prefs) {
    profile::write_string(prefs, keys::kTrimTest, std::nullopt, std::nullopt);
}

std::vector<std::string> RestoreAfterTrimTest(const fs::path& prefs, DiscardSwitch& sw,
                                              const fs::path& working_folder) {
    std::vector<std::string> said;
    const auto record = ReadTrimRecord(prefs);
    if (!record) return said;
    bool switch_back = true;
    // The preferences file is the user's to edit: only an absolute mount point is remounted,
    // and only a file with a test file's name is deleted.
    const std::string& mp = record->mount_point;
    if (!mp.empty() && mp.front() == '/') {
        const DiscardState now = sw.read(mp);
        if (now.mounted && now.discard != record->discard_found) {
            const std::string option(discard_option(record->discard_found));
            const MountResult r = sw.set(mp, record->discard_found);
            if (r.ok) {
                said.push_back("The last TRIM test did not finish: TRIM of " + mp +
                               " (its discard option) is set back to " + option +
                               ", as it was before the test.");
            } else {
                switch_back = false;
                said.push_back("The last TRIM test did not finish and TRIM of " + mp +
                               " could not be set back to " + option + ": " + r.message +
                               ". Brantwell tries again at its next start.");
            }
        }
    }
    const fs::path& file = record->test_file;
    std::error_code ec;
    if (file.is_absolute() && is_test_file_name(file) &&
        fs::is_regular_file(fs::symlink_status(file, ec))) {
        remove_test_file(working_folder, file);
        said.push_back(fs::exists(fs::symlink_status(file, ec))
                           ? "The test file " + file.string() +
                                 " left by the last TRIM test could not be deleted: delete it "
                                 "yourself."
                           : "The test file " + file.string() +
                                 " left by the last TRIM test is deleted.");
    }
    if (switch_back) ClearTrimRecord(prefs);
    return said;
}

}  // namespace bw
