#pragma once

#include <cstdint>

namespace bw {

// Time and waiting. The desktop program waits in its event loop (windows keep repainting and
// timers keep firing during a Pause); the command-line program sleeps; tests use a fake clock so a
// 15-second watch costs no test time.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since an arbitrary start.
    virtual std::int64_t now_ms() const = 0;
    // Returns once `ms` have passed, letting pending events run meanwhile.
    virtual void pause(std::int64_t ms) = 0;
    // Lets pending events run once without waiting (the message-loop pass between steps).
    virtual void do_events() {}
};

// Monotonic clock that sleeps; used by the command-line program and the tester.
class SteadyClock : public Clock {
public:
    std::int64_t now_ms() const override;
    void pause(std::int64_t ms) override;
};

Clock& clock();
void set_clock(Clock* c);  // nullptr restores the steady clock

// The message-friendly wait every caller uses.
inline void Pause(std::int64_t ms) { clock().pause(ms); }

}  // namespace bw
