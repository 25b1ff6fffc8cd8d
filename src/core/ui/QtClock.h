#pragma once

#include "platform/clock.h"

namespace bw {

// Waits in the Qt event loop: windows repaint and timers fire while the program pauses.
class QtClock : public Clock {
public:
    std::int64_t now_ms() const override;
    void pause(std::int64_t ms) override;
    void do_events() override;
};

}  // namespace bw
