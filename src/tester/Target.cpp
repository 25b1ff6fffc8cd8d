#include "tester/Target.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/SystemQuery.h"

namespace bw::tester {

namespace {

constexpr std::uint64_t kMB = 1000000;
constexpr std::uint64_t kMiB = 1 << 20;
// A test file of the tester's own choice: this size when the volume has room for twice as much.
constexpr std::uint64_t kDefaultFileBytes = 200 * kMB;
// Three testers on distinct regions of the largest block need at least this much.
constexpr std::uint64_t kMinFileBytes = 3 * 4 * kMiB;

// The block device of the filesystem mounted on "/" (the last mount there is the one seen), or
// "" when it has none (tmpfs, overlay) or the mount table cannot be read.
std::string root_device() {
    const SystemQuery& query = system_query();
    std::string device;
    for (const MountEntry& m : query.mounts())
        if (m.target == "/") {
            device = query.device_node(m.major, m.minor, m.source);
        }
    return device;
}

}  // namespace

std::string fallback_folder(char drive, std::string* error) {
    if (drive == 'C' && ::access("/", W_OK) == 0) return "/";
    *error = std::string("Brantwell did not say where drive ") + drive + ": is mounted.";
    return {};
}

std::string fallback_device(char drive, std::string* error) {
    if (drive == 'C')
        if (std::string device = root_device(); !device.empty()) return device;
    *error = std::string("Brantwell did not say which device holds drive ") + drive + ":.";
    return {};
}

std::string job_folder(const TesterJob& job, std::string* error) {
    return job.test_folder.empty() ? fallback_folder(job.drive, error) : job.test_folder;
}

std::string job_device(const TesterJob& job, std::string* error) {
    return job.device.empty() ? fallback_device(job.drive, error) : job.device;
}

std::string job_test_file(const TesterJob& job) {
    std::string unused;
    const std::string folder = job_folder(job, &unused);
    return folder.empty() ? std::string()
                          : (std::filesystem::path(folder) / kTestFileName).string();
}

std::uint64_t test_file_size(const TesterJob& job, std::uint64_t free, std::string* error) {
    std::uint64_t want = job.file_size_mb > 0 ? static_cast<std::uint64_t>(job.file_size_mb) * kMB
                                              : std::min(kDefaultFileBytes, free / 2);
    want = want / (4 * kMiB) * (4 * kMiB);
    if (want < kMinFileBytes || want > free) {
        *error = std::string("Drive ") + job.drive + ": does not have enough free space for a " +
                 std::to_string(std::max(want, kMinFileBytes) / kMB) + " MB test file.";
        return 0;
    }
    return want;
}

}  // namespace bw::tester
