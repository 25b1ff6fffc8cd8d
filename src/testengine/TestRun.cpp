#include "testengine/TestRun.h"

#include <cmath>

#include <fmt/format.h>

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "testengine/TestPlanning.h"

namespace bw::testengine {

namespace {

// `TLabel` per test type 1..8.
inline constexpr std::string_view kStatusTexts[] = {
    "Performing Read Test on ",
    "Performing Lite MultiTask Read Test on ",
    "Performing Heavy MultiTask Read Test on ",
    "Performing Heavy MultiTask Read Test with Write on ",
    "Performing Write Test on ",
    "Performing Lite MultiTask Write Test on ",
    "Performing Heavy MultiTask Write Test on ",
    "Performing Heavy MultiTask Write Test with Read on ",
};
static_assert(std::size(kStatusTexts) == kTestTypeCount);

inline constexpr std::string_view kTesterSections[] = {keys::kHardDriveTest1, keys::kHardDriveTest2,
                                                       keys::kHardDriveTest3};

// A block value as the testers write it: "1".."11", anything else is idle.
int block_of(const std::string& value) {
    const long long v = ValInt(value);
    return v >= 1 && v <= kBlockCount ? static_cast<int>(v) : 0;
}

int level_of(const std::string& value) {
    const long long v = ValInt(value);
    return v >= 0 && v <= kMaxMultiLevel ? static_cast<int>(v) : -1;
}

TesterJob job_of(const TestParameters& p) {
    TesterJob job;
    job.drive = p.drive.empty() ? 0 : p.drive.front();
    for (char code : p.block_codes)
        if (int index = block_index_from_code(code)) job.blocks.push_back(index);
    job.type = p.type;
    job.file_size_mb = p.file_size_mb;
    job.cluster_size = p.cluster_size;
    job.multi = p.multi;
    job.read = p.read;
    job.write = p.write;
    job.seconds = p.seconds_per_block;
    job.test_folder = p.test_folder;
    job.device = p.device;
    return job;
}

}  // namespace

const std::vector<std::string> kTestTips = {
    "Close other programs while a test runs: their disk and processor use lowers the figures.",
    "A Functional Test reads and writes a test file; a Performance Test reads the drive itself.",
    "Multi-Task tests show how the drive copes with two or three programs at once.",
    "Results are kept for comparison: run the same test again after changing a setting.",
};

int running_type(const TesterState& state, bool read_on) {
    if (read_on && state.read_block > 0) {
        const int level = level_of(state.multi_reading);
        if (const TestTypeRow* row = level < 0 ? nullptr : test_type(Side::Read, level))
            return row->number;
    }
    if (state.write_block > 0) {
        const int level = level_of(state.multi_writing);
        if (const TestTypeRow* row = level < 0 ? nullptr : test_type(Side::Write, level))
            return row->number;
    }
    return 0;
}

std::string status_text(int type, std::string_view drive, int block) {
    const BlockSize* size = block_size(block);
    if (type < 1 || type > kTestTypeCount || !size) return {};
    return fmt::format("{}{} Drive at {}KB", kStatusTexts[type - 1], drive,
                       std::llround(static_cast<double>(size->report_bytes) / 1000.0));
}

std::string tester_line(const TesterState& s, int counter_index) {
    return fmt::format("{}-{}-{}-{}-{}", s.reading, s.multi_reading, s.writing, s.multi_writing,
                       counter_index);
}

std::string progress_percent_text(std::int64_t elapsed, std::int64_t maximum) {
    const double share = maximum > 0 ? static_cast<double>(elapsed) / maximum * 100.0 : 0.0;
    return fmt::format("{:.1f}%", share);
}

std::string time_left_text(std::int64_t elapsed, std::int64_t maximum) {
    return "Est: " + time_text(maximum - elapsed);
}

TestRun::TestRun(TestParameters params, RunEnv env)
    : params_(std::move(params)), env_(std::move(env)) {
    if (env_.tips.empty()) env_.tips = kTestTips;
}

void TestRun::open() {
    if (env_.prepare) env_.prepare();
    env_.write(keys::kSettings, keys::kOpenTest, "1");
    for (auto section : kTesterSections) env_.write(section, keys::kFinished, "0");
    env_.write(keys::kSettings, keys::kRunStatus, "0");
    samples_ = TestSamples{};
    tip_index_ = static_cast<int>(ValInt(env_.read(keys::kSettings, keys::kShowIt)));
    if (tip_index_ < 0 || tip_index_ >= static_cast<int>(env_.tips.size())) tip_index_ = 0;
    tip_ = env_.tips[static_cast<size_t>(tip_index_)];
    // A reason left by an earlier job must not be taken for this one's.
    env_.write(keys::kHardDriveTest1, keys::kError, "");
    write_job(job_of(params_), [this](std::string_view key, std::string_view value) {
        env_.write(keys::kHardDriveTest1, key, value);
    });
    opened_ = true;
    process_data(false);
}

RunEnd TestRun::tick() {
    if (!opened_ || end_ != RunEnd::Running) return end_;
    ++ticks_;
    reading_ = env_.sample();
    rise_ = raise_overall_peaks(samples_, reading_.figures);

    // A tester that refused the job says why at once: waiting for the start check would only
    // hide the reason behind the generic message.
    if (std::string reason = env_.read(keys::kHardDriveTest1, keys::kError); !reason.empty()) {
        message_ = std::string(kTesterRefusedPrefix) + reason;
        return end_ = RunEnd::TesterError;
    }

    // Start check.
    const double disk_bytes = reading_.drive[logical_disk::kBytesPerSec];
    if (disk_bytes < 1 && active_ticks_ < kStartCheckTicks) {
        ++idle_ticks_;
        going_ = false;
        if (idle_ticks_ > kMaxFailedStarts) {
            message_ = std::string(kStartFailed);
            return end_ = RunEnd::NoActivity;
        }
    } else if (active_ticks_ < kStartCheckTicks) {
        idle_ticks_ = 0;
        going_ = true;
        ++active_ticks_;
    }

    // Completion check.
    if (env_.read(keys::kHardDriveTest1, keys::kFinished) == "1") {
        idle_ticks_ = 0;
        // The report is built from what was filed; the testers learn it is taken.
        for (auto section : kTesterSections) env_.write(section, keys::kFinished, "2");
        return end_ = RunEnd::Finished;
    }
    // Only the first tester sets "Finished": without it the run would wait for ever.
    if (env_.tester_running && !env_.tester_running()) {
        message_ = std::string(kTesterGone);
        return end_ = RunEnd::TesterGone;
    }

    process_data(true);
    if (ticks_ % kTipEveryTicks == 0) next_tip();
    ++elapsed_;
    return end_;
}

void TestRun::close() {
    if (!opened_) return;
    env_.write(keys::kSettings, keys::kOpenTest, "1");
    env_.write(keys::kSettings, keys::kRunStatus, "1");
    opened_ = false;
}

void TestRun::process_data(bool file) {
    tester_.reading = env_.read(keys::kTesterFunction, keys::kReadingBlock);
    tester_.multi_reading = env_.read(keys::kTesterFunction, keys::kMultiTaskReading);
    tester_.multi_writing = env_.read(keys::kTesterFunction, keys::kMultiTaskWriting);
    tester_.writing = env_.read(keys::kTesterFunction, keys::kWritingBlock);
    tester_.read_block = block_of(tester_.reading);
    tester_.write_block = block_of(tester_.writing);
    line_ = tester_line(tester_, params_.counter_index);

    type_ = running_type(tester_, params_.read);
    block_ = type_ == 0 ? 0 : TestSamples::main_side(type_) == Side::Read ? tester_.read_block
                                                                           : tester_.write_block;
    if (type_ == 0) return;
    status_ = status_text(type_, params_.drive, block_);
    if (file) file_tick(samples_, type_, block_, reading_.figures);
}

void TestRun::next_tip() {
    if (env_.tips.empty()) return;
    tip_index_ = (tip_index_ + 1) % static_cast<int>(env_.tips.size());
    tip_ = env_.tips[static_cast<size_t>(tip_index_)];
    env_.write(keys::kSettings, keys::kShowIt, std::to_string(tip_index_));
}

}  // namespace bw::testengine
