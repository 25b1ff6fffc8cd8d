#pragma once

// Whether the helper testers a step needs are still there, as the first tester sees them. A
// multi-task figure measured by fewer processes than it claims is a false figure, so a helper
// that is not running when a step needs it, or that ends during the step, ends the job with an
// error naming it instead of being quietly left out.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tester/Transfer.h"
#include "tester/Watch.h"

namespace bw::tester {

// True while process `pid` exists and has not ended (a killed process not yet reaped by its
// parent is a zombie: it has ended).
bool process_running(int pid);

// The executable name of tester `number` (1..3).
std::string tester_name(int number);

// Why a helper cannot do its part: it was never running, or it ended.
std::string not_running_reason(int tester);
std::string ended_reason(int tester);

// The first tester's stop check while it measures its own part of a step: the watch's rules,
// and a look at each helper's process a few times a second. A helper gone cancels the transfer
// and is named by gone().
class HelperWatch : public StopCheck {
  public:
    // `helpers`: tester number and process id of each helper in the step.
    HelperWatch(Watch& watch, std::vector<std::pair<int, int>> helpers)
        : watch_(watch), helpers_(std::move(helpers)) {}

    Stop check() override;
    bool signalled() const override { return watch_.signalled(); }
    // The helper found gone (0: none).
    int gone() const { return gone_; }
    // Looks at the helpers now; true when all are running.
    bool all_running();

  private:
    Watch& watch_;
    std::vector<std::pair<int, int>> helpers_;
    int gone_ = 0;
    std::int64_t next_look_ = 0;
};

}  // namespace bw::tester
