// The counter steps of the load, the "Windows Error" question and the repair, on a machine of
// files: a disk whose statistics are switched off stands for the damaged counter store.
#include "counters/CounterStartup.h"

#include <gtest/gtest.h>

#include "counters/Counters.h"
#include "support/counter_machine.h"
#include "counters/frmRepair.h"

namespace bw {
namespace {

class CounterStartup : public test::CountersScenario {
  protected:
    std::string diagnostics() {
        const auto p = folder_.path() / "TestData.txt";
        return std::filesystem::exists(p) ? test::read_file(p) : "";
    }
};

struct Load {
    const char* why;
    bool switched_off, answer, repair_works, started;
    int paused_ms;  // one retry after 100 ms before asking; a repair step waits one second more
    const char* diagnostic;
};
class CounterLoad : public CounterStartup, public ::testing::WithParamInterface<Load> {};

TEST_P(CounterLoad, OnlyARepairedMachineLeavesTheBasicTest) {
    const Load& c = GetParam();
    SCOPED_TRACE(c.why);
    if (c.switched_off) m_.set_iostats("sdb", false);
    if (!c.repair_works)
        set_repair_window([] {
            RepairActions a = DefaultRepairActions();
            a.run = [](RepairKind, std::string&) { return false; };
            a.probe = [] { return false; };
            RepairME(a);
        });
    library();
    ListPhysicalDisks();
    ListLogicalDisks();
    prompt_.answer_yes(c.answer);
    VerifyCounterQueryStep();
    std::vector<std::string> labels;
    EXPECT_EQ(StartCounterGroupsStep([&](const std::string& l) { labels.push_back(l); }),
              c.started);
    set_repair_window({});
    EXPECT_EQ(labels, (std::vector<std::string>{"Chk Memory", "Load Disk", "Processes",
                                                "Processes 2", "Processes 3"}));
    EXPECT_EQ(prompt_.count_containing(kWindowsErrorText), c.switched_off ? 1 : 0);
    EXPECT_EQ(prompt_.count_containing(kRepairFailed), c.answer && !c.started ? 1 : 0);
    EXPECT_EQ(m_.iostats("sdb"), c.switched_off && !c.started ? "0\n" : "1\n");
    EXPECT_EQ(app().repair_state, c.switched_off && c.started ? 1 : 0);
    EXPECT_EQ(app().basic_only_mode, !c.started);
    EXPECT_EQ(counters().logical_disk_probe() != 0u, c.started);
    EXPECT_EQ(diagnostics(), c.diagnostic);
    EXPECT_EQ(clock_.paused_total(), c.paused_ms);
}
INSTANTIATE_TEST_SUITE_P(
    Answers, CounterLoad,
    ::testing::Values(Load{"healthy", false, false, true, true, 0, ""},
                      Load{"yes", true, true, true, true, 1100, "iostats Worked\n"},
                      Load{"no", true, false, true, false, 100, ""},
                      Load{"yes, but the repair fails", true, true, false, false, 1100, ""}));

TEST_F(CounterStartup, RepairStepsRunInOrderUntilTheCheckPasses) {
    struct Case {
        bool needed;
        size_t passes_after;  // steps run before the check passes
        std::vector<RepairKind> ran;
        const char* diagnostic;
        int paused_ms;
    };
    using K = RepairKind;
    const Case kCases[] = {
        {true, 2, {K::MountProc, K::MountSys}, "sysfs Worked", 2000},
        {true, 9, {K::MountProc, K::MountSys, K::EnableIostats}, "", 3000},
        {false, 0, {}, "check Worked", 1000},  // came back by itself
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.diagnostic);
        std::vector<RepairKind> ran;
        RepairActions actions;
        actions.needed = [&](RepairKind, std::vector<std::string>&) { return c.needed; };
        actions.run = [&](RepairKind k, std::string&) { return ran.push_back(k), true; };
        actions.probe = [&] { return ran.size() == c.passes_after; };
        const auto paused_before = clock_.paused_total();
        int repaints = 0;
        const RepairLog log = RepairME(actions, [&](const RepairLog&) { ++repaints; });
        EXPECT_GT(repaints, 1);
        EXPECT_EQ(ran, c.ran);
        EXPECT_EQ(log.diagnostic, c.diagnostic);
        EXPECT_EQ(log.repaired, *c.diagnostic != '\0');
        EXPECT_EQ(log.List1.back(), log.repaired ? kRepairSuccess : kRepairFailed);
        EXPECT_EQ(clock_.paused_total() - paused_before, c.paused_ms);
    }
    EXPECT_EQ(diagnostics(), "sysfs Worked\ncheck Worked\n");
}

TEST_F(CounterStartup, RepairFindsWhatIsWrongOnTheMachine) {
    m_.set_iostats("sda", false);
    library();
    std::vector<std::string> findings;
    const RepairActions actions = DefaultRepairActions();
    EXPECT_FALSE(actions.needed(RepairKind::MountProc, findings));
    EXPECT_TRUE(actions.needed(RepairKind::EnableIostats, findings));
    EXPECT_EQ(findings,
              (std::vector<std::string>{"/proc is mounted",
                                        "sda: disk statistics are off (queue/iostats = 0)"}));
    // Mounting is for the running system only.
    std::string out;
    EXPECT_FALSE(actions.run(RepairKind::MountProc, out));
    EXPECT_NE(out.find("not the running system"), std::string::npos);
}

TEST_F(CounterStartup, QueryThatCannotOpenAsksTwiceAndFallsBackToTheBasicTest) {
    m_.remove("/proc");
    library();
    prompt_.answer_yes(false).answer_yes(false);
    VerifyCounterQueryStep();
    EXPECT_EQ(prompt_.count_containing(kWindowsErrorText), 2);
    EXPECT_TRUE(app().basic_only_mode);
}

TEST_F(CounterStartup, MissingMemoryFiguresAskOnceAndTheGroupIsRetriedFirst) {
    m_.remove("/proc/meminfo");
    library();
    prompt_.answer_yes(false).answer_yes(false);
    VerifyCounterQueryStep();
    EXPECT_EQ(prompt_.shown().size(), 1u);
    EXPECT_FALSE(RunCounterGroup(CounterStartupGroups()[0]));  // the memory group
    EXPECT_EQ(clock_.paused_total(), 100);
    EXPECT_EQ(prompt_.shown().size(), 2u);
}

}  // namespace
}  // namespace bw
