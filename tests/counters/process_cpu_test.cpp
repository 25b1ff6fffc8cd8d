#include <unistd.h>

#include <gtest/gtest.h>

#include "counters/Counters.h"
#include "support/counter_machine.h"

namespace bw {
namespace {

class ProcessCpuTest : public test::CountersScenario {
  protected:
    ProcessCpuTest() { library(); }
    // Processor time in ticks of this system's clock.
    static std::uint64_t ticks(double seconds) {
        return static_cast<std::uint64_t>(seconds * ::sysconf(_SC_CLK_TCK) + 0.5);
    }
};

TEST_F(ProcessCpuTest, UseIsTheProcessorTimeBetweenTwoCallsPerSecondAndProcessor) {
    struct Case {
        const char* why;
        int processors, tester;  // tester 0: a slot of the process check
        double before_s, after_s, elapsed_s;
        const char* text;
    };
    static constexpr Case kCases[] = {
        {"a quarter", 1, 0, 1, 1.25, 1, "25.00"},
        {"capped for the process check", 1, 0, 0, 5.49, 4, "100"},
        {"two places", 1, 0, 0, 1.99, 2, "99.50"},
        {"idle", 1, 0, 0, 0, 1, "0.00"},
        {"replaced by a younger process: no figure", 1, 0, 5, 1, 1, ""},
        {"a tester: per processor, not capped", 2, 2, 0, 3, 1, "150.00"},
    };
    int slot = 0;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        app().processor_count = c.processors;
        const std::string image =
            c.tester ? std::string(kTesterImages[c.tester - 1]) : "app" + std::to_string(slot);
        const auto sample = [&] {
            if (!c.tester) return SampleProcessCpu(image, slot);
            SampleTesterCpu(c.tester);
            return counters().TesterCpu[c.tester - 1].text;
        };
        m_.set_process(100 + slot, "/opt/" + image, ticks(c.before_s), 0, 5);
        EXPECT_EQ(sample(), "");  // the first call only sets the baseline
        // All user time before, all system time after: both count.
        m_.set_process(100 + slot, "/opt/" + image, 0, ticks(c.after_s), 5);
        clock_.advance(static_cast<std::int64_t>(c.elapsed_s * 1000));
        EXPECT_EQ(sample(), c.text);
        ++slot;
    }
}

TEST_F(ProcessCpuTest, TextStaysWithinTheTickAndWhenTheProcessIsGone) {
    app().processor_count = 1;
    EXPECT_EQ(SampleProcessCpu("app", 3), "");  // not running yet
    m_.set_process(77, "/opt/x/app", ticks(1), 0, 5);
    clock_.advance(1000);
    SampleProcessCpu("app", 3);
    m_.set_process(77, "/opt/x/app", ticks(1.5), 0, 5);
    clock_.advance(1000);
    EXPECT_EQ(SampleProcessCpu("app", 3), "50.00");
    EXPECT_EQ(SampleProcessCpu("app", 3), "50.00");  // again within the tick
    EXPECT_EQ(SampleProcessCpu("app", 4), "");       // slots are independent
    EXPECT_EQ(SampleProcessCpu("app", 251), "");     // no such slot
    m_.end_process(77);
    clock_.advance(1000);
    EXPECT_EQ(SampleProcessCpu("app", 3), "50.00");
}

}  // namespace
}  // namespace bw
