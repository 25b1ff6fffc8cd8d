#include "tester/Helpers.h"

#include <fstream>

#include "core/TesterProtocol.h"

namespace bw::tester {

namespace {

// How often the first tester looks at its helpers while it measures: well inside the two
// seconds in which a lost helper must end the job, and rare enough to cost nothing.
constexpr std::int64_t kLookMs = 200;

}  // namespace

bool process_running(int pid) {
    if (pid <= 0) return false;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(in, text)) return false;
    // "pid (name) S ...": the name may hold blanks and brackets, the state follows the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size()) return false;
    const char state = text[close + 2];
    return state != 'Z' && state != 'X' && state != 'x';
}

std::string tester_name(int number) {
    return std::string(kTesterFiles[static_cast<std::size_t>(number - 1)]);
}

std::string not_running_reason(int tester) {
    return tester_name(tester) +
           " is not running, so Brantwell cannot run this multi-task test as asked.";
}

std::string ended_reason(int tester) {
    return tester_name(tester) +
           " stopped during the test, so its multi-task figures would be false.";
}

bool HelperWatch::all_running() {
    next_look_ = monotonic_ms() + kLookMs;
    for (const auto& [tester, pid] : helpers_)
        if (!process_running(pid)) {
            gone_ = tester;
            return false;
        }
    return true;
}

Stop HelperWatch::check() {
    if (Stop s = watch_.check(); s != Stop::None) return s;
    if (gone_ != 0) return Stop::Cancel;
    if (monotonic_ms() >= next_look_ && !all_running()) return Stop::Cancel;
    return Stop::None;
}

}  // namespace bw::tester
