#include "standalone/BasicPlan.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "drives/VolumeMap.h"
#include "platform/DirectIo.h"
#include "platform/SystemQuery.h"
#include "platform/prompt.h"

namespace bw::basic {

namespace {

// Free megabytes above which a file of that size is written.
struct FileSizeRule {
    double above_mb;
    int file_mb;
};
inline constexpr FileSizeRule kFileSizeRules[] = {{5000, 500}, {1000, 300}, {500, 200}};
inline constexpr std::uint64_t kMinWriteFreeBytes = 500'000'000;

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

std::optional<int> write_file_size(std::uint64_t free_bytes) {
    if (free_bytes <= kMinWriteFreeBytes) return std::nullopt;
    const double mb = std::round(static_cast<double>(free_bytes) / 1'000'000);
    for (const auto& rule : kFileSizeRules)
        if (mb > rule.above_mb) return rule.file_mb;
    return std::nullopt;
}

int seconds_per_block(int blocks, int test_time, bool adjust) {
    if (!adjust || blocks <= 5) return test_time;
    return static_cast<int>(std::lround(test_time / (blocks == kBasicBlockCount ? 2.0 : 1.25)));
}

std::optional<BasicParams> PlanBasicTest(const MainOptions& o, const PlanFacts& facts) {
    const std::string entry = o.selected_drive();
    if (entry.empty()) {
        MsgBox("No drive is selected.", PromptIcon::Exclamation);
        return std::nullopt;
    }
    BasicParams p;
    p.drive = upper(entry.front());
    p.read = o.ChkRead.checked;
    p.write = o.ChkWrite.checked;
    p.block_codes = block_code(o.SelBlock);
    if (p.block_codes.empty()) {
        MsgBox(kNoBlockSelected);
        return std::nullopt;
    }
    const int n = static_cast<int>(p.block_codes.size());
    p.seconds_per_block = seconds_per_block(n, facts.test_time, facts.adjust_test_time);
    p.read_source = o.TestType == 0 ? ReadSource::File : ReadSource::Volume;
    if (p.write) {
        if (auto mb = write_file_size(facts.free_bytes)) {
            p.file_size = *mb;
        } else if (prompt().yes_no(std::string(1, p.drive) + std::string(kFreeSpaceQuestion),
                                   kFreeSpaceTitle, PromptIcon::Question)) {
            p.write = false;
            p.file_size = 0;
        } else {
            return std::nullopt;
        }
    }
    if (p.write && entry.find("USB") != std::string::npos) p.file_size = kUsbFileSize;
    if (const long long unit = ValInt(facts.cluster_size); unit > 0)
        p.unit_size = static_cast<std::uint64_t>(unit);
    if (o.TestAllDrv.checked) p.overall_file = facts.program_folder / kOverallFileName;
    p.total_seconds = p.seconds_per_block * n * ((p.write ? 1 : 0) + (p.read ? 1 : 0));
    return p;
}

BasicTarget ResolveTarget(char letter) {
    BasicTarget t;
    letter = upper(letter);
    std::vector<std::string> candidates;
    if (const char* home = std::getenv("HOME"); home && *home) candidates.push_back(home);
    if (!app().working_folder.empty()) candidates.push_back(app().working_folder.string());
    candidates.push_back("/var/tmp");
    candidates.push_back("/tmp");
    t.test_folder = LetterTestFolder(system_query(), volume_map(), letter, candidates, &t.reason);
    t.device = LetterDevice(volume_map(), letter);
    return t;
}

PlanFacts MachinePlanFacts(char letter, const BasicTarget& target,
                           const std::vector<std::string>& cluster_list) {
    PlanFacts f;
    letter = upper(letter);
    if (!target.test_folder.empty()) f.free_bytes = free_bytes(target.test_folder);
    for (const auto& row : cluster_list)
        if (!row.empty() && upper(row.front()) == letter) {
            f.cluster_size = row.substr(1);
            break;
        }
    f.test_time = static_cast<int>(ValInt(app().test_time));
    if (f.test_time <= 0) f.test_time = 30;
    f.adjust_test_time = app().adjust_test_time;
    f.program_folder = app().program_folder;
    return f;
}

}  // namespace bw::basic
