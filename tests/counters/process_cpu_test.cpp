#include <unistd.h>

#include <gtest/gtest.h>

#include "counters/Counters.h"
#include "counters/counter_machine.h"

namespace bw {
namespace {

class ProcessCpuTest : public test::CountersScenario {
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
    EXPECT_EQ(SampleProcessCpu("app", 3), "25.00");  // again within the tick: the text stays
    EXPECT_EQ(SampleProcessCpu("app", 4), "");       // slots are independent
    EXPECT_EQ(SampleProcessCpu("app", 251), "");     // no such slot
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
        const std::string name = "busy" + std::to_string(slot);
        m_.set_process(90 + slot, "/bin/" + name, 0, ticks(10), 5);
        SampleProcessCpu(name, slot);
        m_.set_process(90 + slot, "/bin/" + name, ticks(c.used_seconds), ticks(10), 5);
        clock_.advance(static_cast<std::int64_t>(c.elapsed_seconds * 1000));
        EXPECT_EQ(SampleProcessCpu(name, slot), c.text);
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
    // 1.5 processor-seconds in one second of two processors.
    EXPECT_EQ(counters().TesterCpu[1].text, "75.00");
    m_.end_process(501);
    clock_.advance(1000);
    SampleTesterCpu(2);
    EXPECT_EQ(counters().TesterCpu[1].text, "75.00");
    EXPECT_EQ(counters().TesterCpu[1].elapsed_seconds, 1.0);
}

}  // namespace
}  // namespace bw
