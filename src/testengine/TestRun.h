#pragma once

// The run controller of one main test: hands the job to the testers through the working settings
// file, then once a second (`GetVALUES`) reads the counters, checks that the testers started and
// whether they finished, follows the test type and block they report and files the tick's samples
// under them (`ProcessDATA`). Plain C++ over a reading function and the settings file, so the test
// window and brantwell-cli drive the same controller, each with its own timer.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testengine/Report.h"
#include "testengine/TestCounters.h"
#include "testengine/TestParameters.h"
#include "testengine/TestSamples.h"

namespace bw::testengine {

// What [Tester Function] says the testers are doing.
struct TesterState {
    std::string reading, multi_reading, writing, multi_writing;  // as read
    int read_block = 0, write_block = 0;                         // 0 idle, 1..11
};
// The running test type 1..8 from the tester state, 0 when none: a read block with reading on
// wins over a write block.
int running_type(const TesterState& state, bool read_on);
// `TLabel`: "Performing Read Test on C: Drive at 4KB".
std::string status_text(int type, std::string_view drive, int block);
// `TestLb`: the four tester values and the drive's counter index, joined by "-".
std::string tester_line(const TesterState& state, int counter_index);

// Why a run stopped ticking.
enum class RunEnd {
    Running,     // still going
    Finished,    // the testers set "Finished" = "1"
    NoActivity,  // five ticks without disk activity: the testers never started
    TesterError, // a tester refused or failed the job and said why
    TesterGone,  // the first tester's process is no longer there
};

struct RunEnv {
    // The working settings file.
    std::function<std::string(std::string_view section, std::string_view key)> read;
    std::function<void(std::string_view section, std::string_view key, std::string_view value)>
        write;
    // Before the job goes out: the counters made ready for this run's testers.
    std::function<void()> prepare;
    // One tick's counters (collects the query).
    std::function<TickReading()> sample;
    // Whether the first tester still runs (it alone can set "Finished").
    std::function<bool()> tester_running;
    // The main window's tip list; empty: no tips.
    std::vector<std::string> tips;
    // The facts the report needs about the drive and the machine, taken when the run ends;
    // empty: this machine's, at that moment. A replayed recording brings its own.
    std::function<ReportFacts(const TestParameters&)> report_facts;
};

inline constexpr std::string_view kTesterRefusedPrefix = "The test could not run: ";
inline constexpr std::string_view kTesterGone =
    "The test stopped: the tester LOADWorker.exe is no longer running. No results were kept for "
    "the blocks it did not finish.";

// The start check runs until this many ticks showed disk activity (kMaxFailedStarts idle ticks
// before that end the run).
inline constexpr int kStartCheckTicks = 6;
inline constexpr int kTipEveryTicks = 30;

class TestRun {
public:
    TestRun(TestParameters params, RunEnv env);

    // The opening steps: the window marked open, counters and lists reset, the current tip, the
    // job written with "Run" = "1" last.
    void open();
    // Whether a tick runs at once after opening (with write off the first tick does not wait).
    bool tick_at_open() const { return !params_.write; }
    // One tick (`GetVALUES`). Returns Running until the run ends; then the reason.
    RunEnd tick();
    // The window closes: the testers are told to stop at once.
    void close();

    const TestParameters& params() const { return params_; }
    const RunEnv& env() const { return env_; }
    const TestSamples& samples() const { return samples_; }
    const TickReading& reading() const { return reading_; }
    PeakRise last_rise() const { return rise_; }
    const TesterState& tester_state() const { return tester_; }
    int type() const { return type_; }
    int block() const { return block_; }
    const std::string& status() const { return status_; }       // `TLabel`
    const std::string& line() const { return line_; }           // `TestLb`
    const std::string& message() const { return message_; }     // why it ended, for the user
    RunEnd end() const { return end_; }
    // The run state of the start button: failed start checks (above 4 is a failed start).
    int failed_start_ticks() const { return idle_ticks_; }
    bool going() const { return going_; }  // "G": the drive showed activity
    std::int64_t elapsed() const { return elapsed_; }
    std::int64_t maximum() const { return params_.estimate_seconds; }
    const std::string& tip() const { return tip_; }
    int ticks() const { return ticks_; }

private:
    void process_data(bool file);
    void next_tip();

    TestParameters params_;
    RunEnv env_;
    TestSamples samples_;
    TickReading reading_;
    PeakRise rise_;
    TesterState tester_;
    int type_ = 0, block_ = 0;
    std::string status_, line_, message_, tip_;
    RunEnd end_ = RunEnd::Running;
    int idle_ticks_ = 0, active_ticks_ = 0, ticks_ = 0, tip_index_ = 0;
    bool going_ = false, opened_ = false;
    std::int64_t elapsed_ = 0;
};

// "12.5%" of the progress bar, "Est: 0:01:05" of the time left.
std::string progress_percent_text(std::int64_t elapsed, std::int64_t maximum);
std::string time_left_text(std::int64_t elapsed, std::int64_t maximum);

// The tips the test window shows when the main window gives none.
extern const std::vector<std::string> kTestTips;

}  // namespace bw::testengine
