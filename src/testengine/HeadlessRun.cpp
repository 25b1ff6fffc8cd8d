#include "testengine/HeadlessRun.h"

namespace bw::testengine {

HeadlessEnd run_headless(TestRun& run, const HeadlessHooks& hooks) {
    HeadlessEnd out;
    run.open();
    for (bool wait = !run.tick_at_open(); out.end == RunEnd::Running; wait = true) {
        if (hooks.stop && hooks.stop()) {
            out.stopped = true;
            break;
        }
        if (wait && hooks.wait) hooks.wait();
        out.end = run.tick();
        if (out.end == RunEnd::Running && hooks.each_tick) hooks.each_tick(run);
    }
    run.close();
    if (out.end == RunEnd::Finished) out.finished = EndOfRun(run);
    return out;
}

}  // namespace bw::testengine
