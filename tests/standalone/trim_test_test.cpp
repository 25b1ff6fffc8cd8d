// The TRIM test over a fake volume (writes counted, speeds chosen per fill character, the
// discard switch as a flag) and a fake clock, so a whole run costs no time and no disk.
#include "standalone/TrimTest.h"

#include <map>

#include <gtest/gtest.h>

#include "core/SettingsKeys.h"
#include "core/private_profile.h"
#include "standalone/TrimMenu.h"
#include "standalone/TrimRecord.h"
#include "support/fake_trim_volume.h"
#include "support/fakes.h"

namespace bw {
namespace {

using test::FakeVolume;

class TrimRun : public ::testing::Test {
  protected:
    test::TempDir dir_;
    std::filesystem::path prefs_ = dir_ / "DariDozodaz.dat";
    FakeVolume volume_{prefs_};
    test::FakeClock clock_;
    test::UseClock use_clock_{clock_};
    test::ScriptedPrompt prompt_;
    test::UsePrompt use_prompt_{prompt_};
    std::vector<std::string> label1_seen_;
    TrimTest test_{'d', volume_, prefs_, dir_.path(), [this](const TrimScreen& s) {
                       if (label1_seen_.empty() || label1_seen_.back() != s.Label1)
                           label1_seen_.push_back(s.Label1);
                   }};
};

TEST_F(TrimRun, FullRunWithBothBoxesShowsEveryLineAndPutsTheSwitchBack) {
    test_.options = {true, true};
    test_.Load();
    test_.Command1();
    const TrimScreen& s = test_.screen();
    EXPECT_FALSE(s.Label2_visible);
    EXPECT_EQ(prompt_.count_containing("delete the file D:\\TestMy.SSD"), 1);
    EXPECT_EQ(s.TrimTest[0], "Initial Write: 100,000,000 Bps");
    EXPECT_EQ(s.TrimTest[1], "Re-Write: 95,000,000 Bps  (-5.00%)");
    EXPECT_EQ(s.TrimTest[2], "Delete/Re-Write TRIM ON: 90,000,000 Bps  (-5.26%)");
    EXPECT_EQ(s.TrimTest[3], "Delete/Write 1 TRIM OFF: 50,000,000 Bps  (-47.37%)");
    EXPECT_EQ(s.TrimTest[4], "Delete/Write 2 TRIM OFF: 50,000,000 Bps  (-47.37%)");
    EXPECT_EQ(s.TrimTest[5], "");
    EXPECT_EQ(s.TrimTest[6], kTrimVerdict);
    EXPECT_TRUE(s.buttons_enabled);
    // 1760 writes per phase, each phase its fill; the quick test's 1600 are "X" too.
    EXPECT_EQ(volume_.writes['X'], 1600 + 1760);
    EXPECT_EQ(volume_.writes['Y'], 1760);
    EXPECT_EQ(volume_.writes['Z'], 1760);
    EXPECT_EQ(volume_.writes['B'], 2 * 1760);
    // On, off, and back to the state found (off): never left on when it was found off.
    EXPECT_EQ(volume_.events,
              (std::vector<std::string>{"discard", "cut", "nodiscard", "cut", "cut", "nodiscard"}));
    EXPECT_FALSE(volume_.discard);
    EXPECT_EQ(volume_.recorded_at_switch, (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_FALSE(ReadTrimRecord(prefs_));  // the run finished: nothing for the next start
    EXPECT_FALSE(volume_.exists);
    EXPECT_EQ(clock_.paused_total(), 500 + 2000 + 10000 + 2000 + 1000);
    EXPECT_EQ(label1_seen_,
              (std::vector<std::string>{
                  "", "Initializing Test Data", "Performing Initial Write Test on D Drive",
                  "Performing Re-Write Test on D Drive", "Performing TRIM Test on D Drive TRIM ON",
                  "Disabling the TRIM Function", "Performing Test on D Drive with TRIM OFF",
                  "Performing Test 2 on D Drive with TRIM OFF", "TRIM Test Complete"}));
}

TEST_F(TrimRun, WithoutTheReWriteLaterChangesAreAgainstTheInitialWrite) {
    test_.options = {false, false};
    volume_.discard = true;  // found on: it ends on
    test_.WriteTest();
    const TrimScreen& s = test_.screen();
    EXPECT_EQ(s.TrimTest[1], "");
    EXPECT_EQ(s.TrimTest[2], "Delete/Re-Write TRIM ON: 90,000,000 Bps  (-10.00%)");
    EXPECT_EQ(s.TrimTest[3], "Delete/Write 1 TRIM OFF: 50,000,000 Bps  (-50.00%)");
    EXPECT_EQ(s.TrimTest[4], "");
    EXPECT_EQ(volume_.writes['Y'], 0);
    EXPECT_EQ(volume_.events,
              (std::vector<std::string>{"discard", "cut", "nodiscard", "cut", "discard"}));
    EXPECT_TRUE(volume_.discard);
    EXPECT_EQ(clock_.paused_total(), 2000 + 10000 + 1000);
}

TEST_F(TrimRun, VerdictIsDecidedByTrimOnAgainstTrimOff) {
    struct Case {
        double trim_on, trim_off;
        bool shown;
    };
    // Against a re-write of 95: the TRIM ON change less the TRIM OFF change.
    const Case kCases[] = {
        {90e6, 50e6, true},   // -5.26 - -47.37: TRIM on keeps the speed that off loses
        {50e6, 50e6, true},   // 0: both lose alike (the firmware's own collection decides)
        {81e6, 95e6, true},   // -14.74
        {80e6, 95e6, false},  // -15.79: deletes with TRIM on cost more than without
        {50e6, 90e6, false},  // -42.11
        {0, 95e6, false},     // nothing written with TRIM on
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.trim_on);
        FakeVolume v{prefs_};
        v.speed['Z'] = c.trim_on;
        v.speed['B'] = c.trim_off;
        if (c.trim_on == 0) v.fail_after = 1760 + 1760;  // X and Y phases write, Z fails at once
        TrimTest t('d', v, prefs_, dir_.path());
        t.WriteTest();
        EXPECT_EQ(t.verdict_shown(), c.shown) << t.deciding_change();
    }
}

TEST_F(TrimRun, AVolumeThatCannotSwitchRunsThePhasesWithoutSwitchingAndSaysSo) {
    volume_.cannot_switch = "switching TRIM needs root";
    test_.Load();
    EXPECT_EQ(test_.screen().switch_note,
              "TRIM is not switched on this volume (switching TRIM needs root): the phases will "
              "run without switching it.");
    test_.WriteTest();
    EXPECT_TRUE(volume_.recorded_at_switch.empty());
    EXPECT_EQ(volume_.events, (std::vector<std::string>{"cut", "cut"}));
    EXPECT_FALSE(test_.screen().TrimTest[3].empty());
}

TEST_F(TrimRun, SwitchNoteSaysTheStateFoundIsPutBack) {
    volume_.discard = false;
    test_.Load();
    EXPECT_EQ(test_.screen().switch_note,
              "TRIM is the discard option of /ssd, now nodiscard. The test switches it on and "
              "off and then sets it back to the state found before the test: nodiscard.");
}

TEST_F(TrimRun, AFailedOpenLeavesThePhaseAtZeroAndTheRunGoesOn) {
    volume_.refuse_open = true;
    test_.WriteTest();
    EXPECT_EQ(test_.screen().TrimTest[0], "Initial Write: 0 Bps");
    EXPECT_EQ(test_.screen().TrimTest[1], "Re-Write: 0 Bps  (n/a%)");
    EXPECT_FALSE(test_.verdict_shown());
    EXPECT_FALSE(volume_.discard);
    EXPECT_FALSE(test_.screen().notes.empty());
}

TEST_F(TrimRun, ALeftoverRecordIsPutBackFirstAndOneThatStaysStopsTheSwitching) {
    // An earlier test left the switch off; its record holds "on". When the restore cannot set it
    // back, this test must not record the wrong state over it.
    WriteTrimRecord(prefs_, {"/ssd", true, "/ssd/TestMy.SSD"}, nullptr);
    test_.restore_leftover = [] { return std::vector<std::string>{"could not set back"}; };
    test_.WriteTest();
    EXPECT_TRUE(volume_.recorded_at_switch.empty());
    const auto left = ReadTrimRecord(prefs_);
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->discard_found);
    EXPECT_EQ(test_.screen().notes.front(), "could not set back");
}

// A stop (Ctrl-C at the command line) in any phase skips the rest, puts the switch back to the
// state found, removes the file and shows no verdict from phases cut short.
TEST_F(TrimRun, AStopSkipsThePhasesLeftAndPutsEverythingBack) {
    struct Case {
        char stop_in;  // the fill of the phase the stop comes in
        std::vector<std::string> events;
        int last_line;  // the last result line with a speed
    };
    const Case kCases[] = {
        {'Y', {"discard", "nodiscard"}, 1},
        {'Z', {"discard", "cut", "nodiscard"}, 2},
        {'B', {"discard", "cut", "nodiscard", "cut", "nodiscard"}, 3},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.stop_in);
        FakeVolume v{prefs_};
        TrimTest t('d', v, prefs_, dir_.path());
        t.options = {true, true};
        t.stop_requested = [&] { return v.writes[c.stop_in] >= 10; };
        t.WriteTest();
        const TrimScreen& s = t.screen();
        EXPECT_TRUE(t.stopped());
        EXPECT_EQ(v.events, c.events);
        EXPECT_FALSE(v.discard);
        EXPECT_FALSE(v.exists);
        EXPECT_FALSE(ReadTrimRecord(prefs_));
        EXPECT_EQ(v.writes[c.stop_in], 10);
        for (int line = 0; line <= 4; ++line)
            EXPECT_EQ(s.TrimTest[line].empty(), line > c.last_line) << line;
        EXPECT_FALSE(t.verdict_shown());
        EXPECT_EQ(s.Label1, "TRIM Test stopped");
        EXPECT_TRUE(s.buttons_enabled);
    }
}

TEST(TrimMenu, QuestionsByWhatTheEntrySays) {
    struct Case {
        const char* entry;
        const char* question;  // "" when none is asked
    };
    const Case kCases[] = {
        {"D: 500GB SSD [PD 1]", ""},
        {"E: 2TB Raid 0 [PD 2]",
         "E Drive appears to be a Raid Drive Configuration. TRIM does "
         "not work on a Raid Drive although the Firmware may perform "
         "the function quite well. "},
        {"F: 1TB SSD Stripe",
         "F Drive appears to be a Raid Drive Configuration. TRIM does not "
         "work on a Raid Drive although the Firmware may perform the "
         "function quite well. "},
        {"G: 1TB RAID+0",
         "G Drive appears to be a Raid Drive Configuration. TRIM does not work "
         "on a Raid Drive although the Firmware may perform the function quite "
         "well. "},
        {"H: 1TB [PD 3]",
         "H Drive does not show as an SSD. If this is not an SSD you do not "
         "want to run this test on it. If this is an SSD then proceed."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(TrimQuestionFor(c.entry), c.question);
    }
}

TEST(TrimMenu, NoCancelsAndYesWarnsOfFlashWear) {
    test::ScriptedPrompt no;
    no.answer_yes(false);
    EXPECT_FALSE(ConfirmTrimTest("H: 1TB", no));
    EXPECT_EQ(no.shown().size(), 1u);
    EXPECT_EQ(no.shown()[0].title, "TRIM Test");

    test::ScriptedPrompt yes;
    yes.answer_yes(true);
    EXPECT_TRUE(ConfirmTrimTest("H: 1TB", yes));
    ASSERT_EQ(yes.shown().size(), 2u);
    EXPECT_EQ(yes.shown()[1].text,
              "You should not run Repeated Test on the same drive as Brantwell will write a "
              "large amount of data and Flash Memory can break down with high traffic. Drive "
              "failure due to high traffice is not always covered by the warranty!");
    EXPECT_EQ(yes.shown()[1].icon, PromptIcon::Critical);
}

}  // namespace
}  // namespace bw
