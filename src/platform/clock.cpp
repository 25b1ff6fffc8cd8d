#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace bw {

std::int64_t SteadyClock::now_ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::pause(std::int64_t ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
SteadyClock g_steady;
Clock* g_clock = &g_steady;
}  // namespace

Clock& clock() { return *g_clock; }
void set_clock(Clock* c) { g_clock = c ? c : &g_steady; }

}  // namespace bw
