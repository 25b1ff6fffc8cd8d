#include "support/replay_run.h"

#include "core/SettingsKeys.h"
#include "core/TesterProtocol.h"

namespace bw::test {

using namespace bw::testengine;

namespace {

std::string key_of(std::string_view section, std::string_view key) {
    return std::string(section) + "/" + std::string(key);
}

// [Tester Function] as the testers write it for one recorded type and block.
void report_tick(std::map<std::string, std::string>& ini, const RecordedTick& t) {
    const TestTypeRow& row = kTestTypes[t.type - 1];
    const bool read = row.side == Side::Read;
    const std::string block = std::to_string(t.block), level = std::to_string(row.level);
    ini[key_of(keys::kTesterFunction, keys::kReadingBlock)] = read ? block : "0";
    ini[key_of(keys::kTesterFunction, keys::kMultiTaskReading)] = read ? level : "0";
    ini[key_of(keys::kTesterFunction, keys::kWritingBlock)] = read ? "0" : block;
    ini[key_of(keys::kTesterFunction, keys::kMultiTaskWriting)] = read ? "0" : level;
}

}  // namespace

ReplayRun::ReplayRun(RecordedRun run) : run_(std::move(run)) {}

RunEnv ReplayRun::env() {
    state_ = std::make_shared<State>();
    auto state = state_;
    const RecordedRun* run = &run_;
    RunEnv e;
    e.read = [state](std::string_view s, std::string_view k) {
        const auto it = state->ini.find(key_of(s, k));
        return it == state->ini.end() ? std::string() : it->second;
    };
    e.write = [state](std::string_view s, std::string_view k, std::string_view v) {
        state->ini[key_of(s, k)] = std::string(v);
    };
    e.sample = [state, run] {
        TickReading r;
        if (state->next >= run->ticks.size()) {
            state->ini[key_of(keys::kHardDriveTest1, keys::kFinished)] = "1";
            return r;
        }
        const RecordedTick& t = run->ticks[state->next++];
        report_tick(state->ini, t);
        r.figures = t.figures;
        r.drive[logical_disk::kBytesPerSec] = t.figures.read_bytes + t.figures.write_bytes;
        r.drive[logical_disk::kReadBytesPerSec] = t.figures.read_bytes;
        r.drive[logical_disk::kWriteBytesPerSec] = t.figures.write_bytes;
        r.volume_counted = true;
        return r;
    };
    e.tester_running = [] { return true; };
    e.report_facts = [run](const TestParameters&) { return run->facts; };
    return e;
}

}  // namespace bw::test
