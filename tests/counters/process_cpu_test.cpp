#include <unistd.h>

#include <gtest/gtest.h>

#include "counters/Counters.h"
#include "counters/counters_scenario.h"

namespace bw {
namespace {

using test::CountersScenario;

class ProcessCpuTest : public CountersScenario {
  protected:
    ProcessCpuTest() {
        app().processor_count = 1;
        library();
    }
    // Processor time in ticks of this system's clock.
    static std::uint64_t ticks(double seconds) {
        return static_cast<std::uint64_t>(seconds * ::sysconf(_SC_CLK_TCK) + 0.5);
    }
};

TEST_F(ProcessCpuTest, FirstCallSetsTheBaselineSecondGivesTheUse) {
    m_.set_process(77, "/opt/x/app", ticks(1), 0, 5);
    EXPECT_EQ(SampleProcessCpu("app", 3), "");
    m_.set_process(77, "/opt/x/app", ticks(1.25), 0, 5);
    clock_.advance(1000);
    EXPECT_EQ(SampleProcessCpu("app", 3), "25.00");
    EXPECT_EQ(counters().ProcessCpuSlots[3].elapsed_seconds, 1.0);
    // Slots are independent.
    EXPECT_EQ(SampleProcessCpu("app", 4), "");
}

TEST_F(ProcessCpuTest, UseAboveAHundredIsCappedForTheProcessCheck) {
    struct Case {
        double used_seconds, elapsed_seconds;
        const char* text;
    };
    static constexpr Case kCases[] = {{5.49, 4, "100"}, {1.99, 2, "99.50"}, {0, 1, "0.00"}};
    int slot = 0;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        m_.set_process(90 + slot, "/bin/busy" + std::to_string(slot), 0, ticks(10), 5);
        SampleProcessCpu("busy" + std::to_string(slot), slot);
        m_.set_process(90 + slot, "/bin/busy" + std::to_string(slot), ticks(c.used_seconds),
                       ticks(10), 5);
        clock_.advance(static_cast<std::int64_t>(c.elapsed_seconds * 1000));
        EXPECT_EQ(SampleProcessCpu("busy" + std::to_string(slot), slot), c.text);
        ++slot;
    }
}

TEST_F(ProcessCpuTest, TesterTextIsNotCappedAndStaysWhenTheTesterIsGone) {
    app().processor_count = 2;
    SampleTesterCpu(2);
    EXPECT_EQ(counters().TesterCpu[1].text, "");  // not running: nothing to say
    m_.set_process(501, "/w/LOADWorker2.exe", 0, 0, 7);
    SampleTesterCpu(2);
    m_.set_process(501, "/w/LOADWorker2.exe", ticks(1.5), 0, 7);
    clock_.advance(1000);
    SampleTesterCpu(2);
    EXPECT_EQ(counters().TesterCpu[1].text,
              "75.00");  // 1.5 processor-seconds in one second of two processors
    m_.end_process(501);
    clock_.advance(1000);
    SampleTesterCpu(2);
    EXPECT_EQ(counters().TesterCpu[1].text, "75.00");
    EXPECT_EQ(counters().TesterCpu[1].elapsed_seconds, 1.0);
}

TEST_F(ProcessCpuTest, TwoCallsInOneTickLeaveTheText) {
    m_.set_process(8, "/bin/app", 0, 0, 5);
    SampleProcessCpu("app", 0);
    m_.set_process(8, "/bin/app", ticks(0.5), 0, 5);
    clock_.advance(1000);
    EXPECT_EQ(SampleProcessCpu("app", 0), "50.00");
    EXPECT_EQ(SampleProcessCpu("app", 0), "50.00");
    EXPECT_EQ(SampleProcessCpu("app", 251), "");  // no such slot
}

}  // namespace
}  // namespace bw
