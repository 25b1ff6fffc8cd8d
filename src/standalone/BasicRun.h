#pragma once

// The basic test: for each chosen block size, write a test file and read a test file (or the raw
// volume) for a set number of seconds, timing its own transfers and sampling the throughput once
// a second. Runs on whatever thread calls it (the window's worker thread, the command line's main
// thread); it reports through an observer and stops at the next sampled second after `cancel`.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/TesterProtocol.h"
#include "standalone/BasicBlocks.h"
#include "standalone/BasicDrive.h"
#include "standalone/BasicFigures.h"

namespace bw::basic {

// The run parameters, as the caller sets them before the window opens.
struct BasicParams {
    char drive = 0;           // the letter
    std::string block_codes;  // "1".."9", "A", "B" in test order
    double seconds_per_block = 30;
    std::uint64_t unit_size = 512;  // the drive's sector size from the inventory
    double file_size = 0;           // write test file in MB: 500, 300, 200, or 250 on USB
    bool write = false, read = false;
    ReadSource read_source = ReadSource::File;
    std::filesystem::path overall_file;  // the summary is appended here when not empty
    double total_seconds = 0;            // the estimate: the progress bar's maximum
};

// The read test file: 7630 chunks of 128 units, which is 500,039,680 bytes with 512-byte units.
// Larger units make larger chunks, not a larger file.
inline constexpr std::uint64_t kReadFileBytes = 7630ull * 128 * 512;
inline constexpr std::uint64_t kReadChunkUnits = 128;

struct SampleEvent {
    Side side = Side::Write;
    double current = 0;     // bytes per second of the second just closed
    bool new_peak = false;  // it beat the block's peak
    Peaks peaks;            // the block's peaks after it
    int progress = 0;       // sampled seconds of the whole run so far
};

class BasicObserver {
  public:
    virtual ~BasicObserver() = default;
    virtual void status(const std::string& /*text*/) {}
    virtual void sample(const SampleEvent& /*event*/) {}
    // A block is done: `index` 0..10 is the code's panel.
    virtual void block_done(Side /*side*/, int /*index*/, const BlockFigures& /*figures*/) {}
    // Something the user must be told: a test that could not run, transfers that failed.
    virtual void problem(const std::string& /*reason*/) {}
};

struct BlockResult {
    Side side = Side::Write;
    char code = 0;
    std::uint64_t block_size = 0;
    BlockFigures figures;
    std::vector<double> samples;
};

struct BasicOutcome {
    bool cancelled = false;
    std::vector<std::string> problems;
    std::vector<BlockResult> blocks;
    std::string summary;  // every block's summary lines of the run, in order
};

// Seconds on a steady clock.
using SecondsNow = std::function<double()>;
SecondsNow steady_seconds();

class BasicRun {
  public:
    BasicRun(const BasicParams& params, BasicDrive& drive, SecondsNow now, BasicObserver& observer,
             const std::atomic<bool>& cancel);

    // The write test, then the read test, as the flags ask.
    BasicOutcome run();

    void WriteTest();
    void ReadTEST();

  private:
    bool cancelled() const;
    void problem(const std::string& reason);
    // Closes a test: the summary goes to the overall file unless the run was cancelled.
    void finish_test();
    void end_block(Side side, const BasicBlock& block, std::uint64_t size, const Peaks& peaks,
                   std::vector<double> samples, const std::string& status);
    // One sampled second; false when the run was cancelled.
    void take_sample(Side side, double current, std::uint64_t block_size, Peaks& peaks,
                     std::vector<double>& samples);
    bool read_block(const BasicBlock& block);
    bool write_block(const BasicBlock& block);
    bool make_read_file(std::string* error);
    // Memory for transfers of `size`; false with the problem reported.
    bool reserve(std::uint64_t size);

    const BasicParams& params_;
    BasicDrive& drive_;
    SecondsNow now_;
    BasicObserver& observer_;
    const std::atomic<bool>& cancel_;
    BasicOutcome outcome_;
    std::string OverallText;  // the summary not yet appended to the overall file
    int progress_ = 0;
};

}  // namespace bw::basic
