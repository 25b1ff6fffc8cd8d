// The counter steps of the load, the "Windows Error" question and the repair, on a machine of
// files: a disk whose statistics are switched off stands for the damaged counter store.
#include "counters/CounterStartup.h"

#include <gtest/gtest.h>

#include "counters/Counters.h"
#include "counters/counter_machine.h"
#include "counters/frmRepair.h"

namespace bw {
namespace {

class CounterStartup : public test::CountersScenario {
  protected:
    std::string diagnostics() {
        const auto p = folder_.path() / "TestData.txt";
        return std::filesystem::exists(p) ? test::read_file(p) : "";
    }
    void list_disks() {
        library();
        ListPhysicalDisks();
        ListLogicalDisks();
    }
};

TEST_F(CounterStartup, HealthyMachineAsksNothing) {
    list_disks();
    VerifyCounterQueryStep();
    std::vector<std::string> labels;
    EXPECT_TRUE(StartCounterGroupsStep([&](const std::string& l) { labels.push_back(l); }));
    EXPECT_EQ(labels, (std::vector<std::string>{"Chk Memory", "Load Disk", "Processes",
                                                "Processes 2", "Processes 3"}));
    EXPECT_TRUE(prompt_.shown().empty());
    EXPECT_FALSE(app().basic_only_mode);
    EXPECT_EQ(clock_.paused_total(), 0);
}

// Yes repairs the disk and retries the group; No leaves the basic test and the disk as it was.
class CounterStartupAnswer : public CounterStartup, public ::testing::WithParamInterface<bool> {};

TEST_P(CounterStartupAnswer, SwitchedOffDiskIsRepairedOnlyWhenTheAnswerIsYes) {
    const bool yes = GetParam();
    m_.set_iostats("sdb", false);
    list_disks();
    prompt_.answer_yes(yes);
    EXPECT_EQ(StartCounterGroupsStep(), yes);
    ASSERT_EQ(prompt_.count_containing("Would you like Brantwell to try to Repair it?"), 1);
    EXPECT_EQ(prompt_.shown()[0].title, kWindowsErrorTitle);
    EXPECT_EQ(prompt_.shown()[0].text, kWindowsErrorText);
    EXPECT_EQ(prompt_.count_containing("Repair was successful!"), yes ? 1 : 0);
    EXPECT_EQ(m_.iostats("sdb"), yes ? "1\n" : "0\n");
    EXPECT_EQ(app().repair_state, yes ? 1 : 0);
    EXPECT_EQ(app().basic_only_mode, !yes);
    EXPECT_EQ(LastWindowsErrorAnswer(), yes);
    EXPECT_EQ(counters().logical_disk_probe() != 0u, yes);
    EXPECT_EQ(diagnostics(), yes ? "iostats Worked\n" : "");
    // One retry after 100 ms before asking; Yes waits one second more after the repair step.
    EXPECT_EQ(clock_.paused_total(), yes ? 1100 : 100);
}
INSTANTIATE_TEST_SUITE_P(YesNo, CounterStartupAnswer, ::testing::Bool());

TEST_F(CounterStartup, RepairThatCannotHelpSaysSoAndLeavesTheBasicTest) {
    m_.set_iostats("sdb", false);
    list_disks();
    prompt_.answer_yes(true);
    int checks = 0;
    RepairActions actions = DefaultRepairActions();
    actions.run = [](RepairKind, std::string& out) {
        out += "Permission denied\n";
        return false;
    };
    actions.probe = [&] { return ++checks, false; };
    set_repair_window([&] { RepairME(actions); });
    EXPECT_FALSE(WindowsErrorPrompt());
    set_repair_window({});
    EXPECT_EQ(prompt_.count_containing(kRepairFailed), 1);
    EXPECT_EQ(checks, 1);  // only the statistics step had anything to do
    EXPECT_TRUE(app().basic_only_mode);
    EXPECT_EQ(diagnostics(), "");
}

TEST_F(CounterStartup, RepairStepsRunInOrderUntilTheCheckPasses) {
    library();
    std::vector<RepairKind> ran;
    RepairActions actions;
    actions.needed = [](RepairKind, std::vector<std::string>& findings) {
        findings.push_back("broken");
        return true;
    };
    actions.run = [&](RepairKind k, std::string&) { return ran.push_back(k), true; };
    actions.probe = [&] { return ran.size() == 2; };
    std::vector<size_t> growth;
    const RepairLog log =
        RepairME(actions, [&](const RepairLog& l) { growth.push_back(l.DosBox.size()); });
    EXPECT_EQ(ran, (std::vector<RepairKind>{RepairKind::MountProc, RepairKind::MountSys}));
    EXPECT_TRUE(log.repaired);
    EXPECT_EQ(log.diagnostic, "sysfs Worked");
    EXPECT_EQ(log.Label1, kRepairCaption);
    EXPECT_NE(log.DosBox.find("mount -t sysfs sysfs /sys"), std::string::npos);
    EXPECT_EQ(diagnostics(), "sysfs Worked\n");
    EXPECT_EQ(clock_.paused_total(), 2000);
    EXPECT_GE(growth.size(), 4u);
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

TEST_F(CounterStartup, QueryThatCannotOpenAsksAndFallsBackToTheBasicTest) {
    m_.remove("/proc");
    library();
    prompt_.answer_yes(false).answer_yes(false);
    VerifyCounterQueryStep();
    EXPECT_EQ(
        prompt_.count_containing("Windows Error") + prompt_.count_containing("Would you like"), 2);
    EXPECT_TRUE(app().basic_only_mode);
    EXPECT_EQ(counters().SharedQuery, 0u);
}

TEST_F(CounterStartup, MissingMemoryFiguresAskOnceAndTheGroupIsRetriedFirst) {
    m_.remove("/proc/meminfo");
    list_disks();
    prompt_.answer_yes(false).answer_yes(false);
    VerifyCounterQueryStep();
    EXPECT_NE(counters().SharedQuery, 0u);
    EXPECT_EQ(prompt_.shown().size(), 1u);
    EXPECT_TRUE(app().basic_only_mode);
    EXPECT_FALSE(RunCounterGroup(CounterStartupGroups()[0]));  // the memory group
    EXPECT_EQ(clock_.paused_total(), 100);
    EXPECT_EQ(prompt_.shown().size(), 2u);
}

}  // namespace
}  // namespace bw
