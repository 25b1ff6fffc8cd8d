#include "standalone/TrimTest.h"

#include <cctype>
#include <cstring>

#include "drives/DriveText.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "standalone/TrimRecord.h"

namespace bw {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Pauses of the run, in milliseconds: they let the drive's garbage collection and the file
// system's discards take effect between runs.
constexpr std::int64_t kAfterReWriteMs = 500;
constexpr std::int64_t kAfterSwitchOffMs = 2000;
constexpr std::int64_t kAfterDeleteOffMs = 10000;
constexpr std::int64_t kBeforeSecondOffMs = 2000;
constexpr std::int64_t kAfterRestoreMs = 1000;

double round_speed(double bytes, double seconds) {
    if (!(seconds > 0)) return 0;
    const std::string text = format_hash(bytes / seconds);
    return text.empty() ? 0 : std::stod(text);
}

std::string switch_note_for(const DiscardState& s, const std::string& mount_point) {
    if (!s.cannot_switch.empty())
        return "TRIM is not switched on this volume (" + s.cannot_switch +
               "): the phases will run without switching it.";
    std::string note = "TRIM is the discard option of " + mount_point + ", now " +
                       std::string(discard_option(s.discard));
    if (s.timer_enabled) note += " (fstrim.timer also trims the system periodically)";
    return note +
           ". The test switches it on and off and then sets it back to the state found "
           "before the test: " +
           std::string(discard_option(s.discard)) + ".";
}

}  // namespace

TrimTest::TrimTest(char letter, TrimVolume& volume, fs::path prefs, fs::path working_folder,
                   Changed changed)
    : letter_(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))),
      volume_(volume),
      prefs_(std::move(prefs)),
      work_(std::move(working_folder)),
      changed_(std::move(changed)) {}

void TrimTest::changed() {
    if (changed_) changed_(screen_);
}

void TrimTest::note(std::string text) {
    if (text.empty()) return;
    screen_.notes.push_back(std::move(text));
    changed();
}

void TrimTest::Load() {
    screen_.switch_note = switch_note_for(volume_.discard_state(), volume_.mount_point());
    changed();
    clock().do_events();
    PreTEST();
}

void TrimTest::PreTEST() {
    screen_.Label1 = "Initializing Test Data";
    changed();
    free_ = static_cast<double>(volume_.free_bytes());
    std::string label2 = "Drive Free Space: " + format_grouped(free_ / 1'000'000) + " MB";
    label2 += kCrLf;
    area_ = TrimTestArea(volume_.free_bytes());
    label2 += "Test Size: " + format_grouped(area_ / 1'000'000) + " MB";
    label2 += kCrLf;
    screen_.Label2 = label2;
    changed();
    quick_ = QuickTest();
    if (quick_ > 0) {
        const std::string phase = format_hash(area_ / quick_);
        estimate_ = TrimEstimateSeconds(phase.empty() ? 0 : std::stoll(phase), options.Check1,
                                        options.Check2);
        label2 += "Estimated Test Time: " + SecToT(estimate_);
    } else {
        estimate_ = 0;
        label2 += "Estimated Test Time: unknown (the quick write test could not write)";
    }
    label2 += kCrLf;
    screen_.Label2 = label2;
    changed();
}

double TrimTest::QuickTest() {
    std::string error;
    if (!volume_.open(&error)) {
        note(error);
        return 0;
    }
    double bytes = 0, seconds = 0;
    for (int i = 0; i < kQuickTestWrites; ++i) {
        const WriteTiming t = volume_.write('X', kTrimWriteBytes);
        bytes += static_cast<double>(t.bytes);
        seconds += t.seconds;
        if (t.error != 0) {
            note("The quick write test stopped: " + std::string(std::strerror(t.error)));
            break;
        }
    }
    seconds += volume_.close().seconds;
    volume_.remove();
    return round_speed(bytes, seconds);
}

std::string TrimTest::crash_warning() const {
    const std::string l(1, letter_);
    return "Should Brantwell crash or for nay reason the Test does not complete, go to " + l +
           " Drive and " + "delete the file " + l + ":\\TestMy.SSD" + std::string(kCrLf) +
           "(here " + volume_.test_file().string() +
           "). The next start of Brantwell deletes it and sets TRIM back as it was found.";
}

void TrimTest::Command1() {
    screen_.Label2_visible = false;
    changed();
    MsgBox(crash_warning(), PromptIcon::Critical);
    WriteTest();
}

double TrimTest::run_phase(TrimPhase phase, double reference) {
    const TrimPhaseDef& def = trim_phase(phase);
    screen_.Label1 = TrimPhaseCaption(def, letter_);
    changed();
    clock().do_events();
    double bytes = 0, seconds = 0;
    std::string error;
    if (volume_.open(&error)) {
        const long writes = writes_per_phase();
        for (long i = 0; i < writes && !stopping(); ++i) {
            const WriteTiming t = volume_.write(def.fill, kTrimWriteBytes);
            seconds += t.seconds;
            bytes += static_cast<double>(t.bytes);
            if (t.error != 0) {
                note(TrimPhaseCaption(def, letter_) +
                     ": a write failed: " + std::strerror(t.error));
                break;
            }
            screen_.TrimTest[def.line] =
                TrimResultLine(def, seconds > 0 ? bytes / seconds : 0, reference);
            changed();
            clock().do_events();
        }
        const WriteTiming last = volume_.close();
        seconds += last.seconds;
        if (last.error != 0)
            note("The test file's last write failed: " + std::string(std::strerror(last.error)));
    } else {
        note(error);
    }
    const double speed = round_speed(bytes, seconds);
    screen_.TrimTest[def.line] = TrimResultLine(def, speed, reference);
    changed();
    return speed;
}

void TrimTest::delete_file() {
    volume_.cut_to_one_byte();
}

bool TrimTest::stopping() {
    if (!stopped_ && stop_requested && stop_requested()) stopped_ = true;
    return stopped_;
}

void TrimTest::switch_to(bool on) {
    if (!switching_) return;
    const MountResult r = volume_.set_discard(on);
    note(r.ok ? "TRIM " + std::string(on ? "on: " : "off: ") + r.message
              : "TRIM could not be switched " + std::string(on ? "on" : "off") + ": " + r.message);
}

// Both the TRIM ON and the TRIM OFF runs delete and then write into the space set free, so what a
// file system pays to allocate (on Linux an in-place re-write is far cheaper than any write after
// a delete) is in both changes and cancels in their difference; what is left is the switch's own
// effect. Measured against the re-write alone, every delete-then-write run of ext4 on a loop
// device or zram lost 40 to 70 % with TRIM on and off alike, and the verdict could never show.
double TrimTest::deciding_change() const {
    const double reference = options.Check1 ? rewrite_ : initial_;
    return TrimChange(trim_on_, reference) - TrimChange(trim_off_, reference);
}

// Writes the crash record of `found` (the switch only when this test switches); true when the
// record is this test's. Without a record the switch is not used: nothing could put it back.
bool TrimTest::record_found(const DiscardState& found) {
    // A record an earlier test left and that could not be put back holds the state to restore:
    // writing this test's over it would lose that.
    if (const auto left = ReadTrimRecord(prefs_); left && !left->mount_point.empty()) {
        switching_ = false;
        screen_.switch_note = "TRIM is not switched: " + left->mount_point +
                              " still waits to be set back to " +
                              std::string(discard_option(left->discard_found)) +
                              " after an earlier test. The phases will run without switching.";
        return false;
    }
    const TrimRecord record{switching_ ? volume_.mount_point() : "", found.discard,
                            volume_.test_file()};
    std::string error;
    const bool written = WriteTrimRecord(prefs_, record, &error);
    if (!written && switching_) {
        switching_ = false;
        screen_.switch_note =
            "TRIM is not switched: Brantwell could not note the state to put back after a "
            "crash (" +
            error + "). The phases will run without switching it.";
    }
    return written;
}

void TrimTest::WriteTest() {
    screen_.buttons_enabled = false;
    for (auto& line : screen_.TrimTest) line.clear();
    changed();
    // The window's load measured the area; a run started without it measures it now.
    if (!(area_ > 0)) area_ = TrimTestArea(volume_.free_bytes());
    if (restore_leftover)
        for (auto& said : restore_leftover()) note(said);
    if (volume_.test_file_exists()) volume_.remove();

    // The state found is recorded before anything is switched: it is what the end of this test,
    // or the next start after a crash, puts back.
    const DiscardState found = volume_.discard_state();
    screen_.switch_note = switch_note_for(found, volume_.mount_point());
    switching_ = found.cannot_switch.empty();
    const bool record_ours = record_found(found);
    changed();
    switch_to(true);

    stopped_ = false;
    rewrite_ = trim_on_ = trim_off_ = 0;  // a phase a stop skips shows no speed of a run before
    initial_ = run_phase(TrimPhase::InitialWrite, 0);
    if (options.Check1 && !stopping()) {
        rewrite_ = run_phase(TrimPhase::ReWrite, initial_);
        Pause(kAfterReWriteMs);
    } else {
        rewrite_ = initial_;
    }
    if (!stopping()) {
        delete_file();
        trim_on_ = run_phase(TrimPhase::TrimOn, rewrite_);
    }
    if (!stopping()) {
        screen_.Label1 = "Disabling the TRIM Function";
        changed();
        switch_to(false);
        Pause(kAfterSwitchOffMs);
        delete_file();
        Pause(kAfterDeleteOffMs);
        trim_off_ = run_phase(TrimPhase::TrimOff1, rewrite_);
    }
    if (options.Check2 && !stopping()) {
        delete_file();
        Pause(kBeforeSecondOffMs);
        trim_off_ = run_phase(TrimPhase::TrimOff2, rewrite_);
    }

    bool restored = true;
    if (switching_) {
        const MountResult r = volume_.set_discard(found.discard);
        restored = r.ok;
        note(r.ok ? "TRIM set back to the state found before the test: " + r.message
                  : "TRIM could not be set back to " + std::string(discard_option(found.discard)) +
                        ": " + r.message + ". Brantwell tries again at its next start.");
    }
    Pause(kAfterRestoreMs);
    const double reference = options.Check1 ? rewrite_ : initial_;
    // A stopped run's phases are cut short: their speeds decide nothing.
    if (!stopped_ && reference > 0 && trim_on_ > 0 && trim_off_ > 0 &&
        deciding_change() > kTrimVerdictFloor)
        screen_.TrimTest[kTrimVerdictLine] = std::string(kTrimVerdict);
    volume_.remove();
    if (record_ours && restored) ClearTrimRecord(prefs_);
    screen_.buttons_enabled = true;
    screen_.Label1 = stopped_ ? "TRIM Test stopped" : "TRIM Test Complete";
    changed();
}

}  // namespace bw
