#pragma once

// The TRIM test: writes the test file in phases (initial write, re-write, then after each delete
// with TRIM on and with TRIM off) and compares each phase's speed with the re-write. TRIM is the
// volume's discard option; it goes back to the state found before the test, and a record in the
// preferences file lets the next start put it back should the test not finish. Plain C++ over
// the clock, the prompt and the volume; the window and the command line show its screen.

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/TrimVolume.h"
#include "standalone/TrimFigures.h"

namespace bw {

// What the window shows, by control.
struct TrimScreen {
    std::string Label1;  // current step
    std::string Label2;  // free space, test size, estimate
    bool Label2_visible = true;
    std::array<std::string, 7> TrimTest;  // result lines; 5 is not used, 6 is the verdict
    bool buttons_enabled = true;          // Command1 and Command2
    std::string switch_note;              // what happens to TRIM on this volume
    std::vector<std::string> notes;       // switches done, failures, in order
};

struct TrimOptions {
    bool Check1 = true;   // include the re-write run
    bool Check2 = false;  // include a second TRIM OFF run
};

class TrimTest {
  public:
    using Changed = std::function<void(const TrimScreen&)>;
    // `prefs` holds the crash record; `working_folder` the test-file record.
    TrimTest(char letter, TrimVolume& volume, std::filesystem::path prefs,
             std::filesystem::path working_folder, Changed changed = {});

    TrimOptions options;
    // Puts back what an earlier test that did not finish left (RestoreAfterTrimTest), before this
    // test reads the state it is to restore; returns what it said.
    std::function<std::vector<std::string>()> restore_leftover;
    // Asked before every write: true stops the run (Ctrl-C at the command line). The phases left
    // are skipped, and the switch and the test file are put back as after a finished run.
    std::function<bool()> stop_requested;

    // Load: the switch note, then PreTEST.
    void Load();
    void PreTEST();
    // Quick write speed of the volume in bytes per second (pattern "#"); 0 when it could not
    // write.
    double QuickTest();
    // Start: the warning, then WriteTest.
    void Command1();
    void WriteTest();

    char letter() const { return letter_; }
    const TrimScreen& screen() const { return screen_; }
    double free_space() const { return free_; }
    double test_area() const { return area_; }
    long writes_per_phase() const { return TrimWritesPerPhase(area_); }
    long long estimate_seconds() const { return estimate_; }
    // Phase speeds (pattern "#"); the second TRIM OFF run reuses the TRIM OFF figure.
    double initial_speed() const { return initial_; }
    double rewrite_speed() const { return rewrite_; }
    double trim_on_speed() const { return trim_on_; }
    double trim_off_speed() const { return trim_off_; }
    // The change that decides the verdict: the TRIM ON change less the (last) TRIM OFF change,
    // both against the reference.
    double deciding_change() const;
    bool verdict_shown() const { return !screen_.TrimTest[kTrimVerdictLine].empty(); }
    bool stopped() const { return stopped_; }
    // The warning Command1 shows.
    std::string crash_warning() const;

  private:
    double run_phase(TrimPhase phase, double reference);
    void delete_file();
    void switch_to(bool on);
    bool stopping();
    bool record_found(const DiscardState& found);
    void note(std::string text);
    void changed();

    char letter_;
    TrimVolume& volume_;
    std::filesystem::path prefs_, work_;
    Changed changed_;
    TrimScreen screen_;
    double free_ = 0, area_ = 0, quick_ = 0;
    long long estimate_ = 0;
    double initial_ = 0, rewrite_ = 0, trim_on_ = 0, trim_off_ = 0;
    bool switching_ = false;
    bool stopped_ = false;
};

}  // namespace bw
