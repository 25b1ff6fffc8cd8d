#pragma once

// A recorded run played back through the run controller's environment, as the testers and the
// counters would have played it: each tick the testers report the recorded type and block in
// [Tester Function] and the counters read the recorded figures; after the last tick the first
// tester sets "Finished". The report facts are the recording's, so the report does not depend on
// the machine or the hour the test runs at.

#include <map>
#include <memory>
#include <string>

#include "support/recorded_run.h"
#include "testengine/TestRun.h"

namespace bw::test {

class ReplayRun {
public:
    explicit ReplayRun(RecordedRun run);

    // An environment over this replay's settings (kept in memory); each call starts the
    // recording again from its first tick.
    testengine::RunEnv env();
    const RecordedRun& recorded() const { return run_; }

private:
    struct State {
        std::map<std::string, std::string> ini;
        size_t next = 0;
    };
    RecordedRun run_;
    std::shared_ptr<State> state_;
};

}  // namespace bw::test
