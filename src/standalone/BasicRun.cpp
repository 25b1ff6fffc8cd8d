#include "standalone/BasicRun.h"

#include <algorithm>
#include <chrono>

#include "platform/DirectIo.h"
#include "platform/TextFiles.h"

namespace bw::basic {

namespace {

constexpr const char* kCrLf = "\r\n";

}  // namespace

SecondsNow steady_seconds() {
    return [] {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    };
}

BasicRun::BasicRun(const BasicParams& params, BasicDrive& drive, SecondsNow now,
                   BasicObserver& observer, const std::atomic<bool>& cancel)
    : params_(params), drive_(drive), now_(std::move(now)), observer_(observer), cancel_(cancel) {}

BasicOutcome BasicRun::run() {
    if (params_.write) WriteTest();
    if (params_.read && !outcome_.cancelled) ReadTEST();
    return outcome_;
}

bool BasicRun::cancelled() const {
    return cancel_.load(std::memory_order_relaxed);
}

void BasicRun::problem(const std::string& reason) {
    outcome_.problems.push_back(reason);
    observer_.problem(reason);
}

void BasicRun::take_sample(Side side, double current, std::uint64_t block_size, Peaks& peaks,
                           std::vector<double>& samples) {
    SampleEvent e;
    e.side = side;
    e.current = current;
    e.new_peak = peaks.offer(current, block_size);
    e.peaks = peaks;
    e.progress = ++progress_;
    samples.push_back(current);
    observer_.sample(e);
}

void BasicRun::end_block(Side side, const BasicBlock& block, std::uint64_t size, const Peaks& peaks,
                         std::vector<double> samples, const std::string& status) {
    BlockResult r;
    r.side = side;
    r.code = block.code;
    r.block_size = size;
    r.figures = block_figures(peaks, samples, size);
    r.samples = std::move(samples);
    const std::string lines = summary_lines(side, status, r.figures);
    OverallText += lines;
    outcome_.summary += lines;
    observer_.block_done(side, basic_block_index(block.code), r.figures);
    outcome_.blocks.push_back(std::move(r));
}

void BasicRun::finish_test() {
    if (outcome_.cancelled || params_.overall_file.empty()) return;
    std::string error;
    if (!text_files::append(params_.overall_file, OverallText + kCrLf + kCrLf, &error))
        problem("The results were not added to " + params_.overall_file.string() + ": " + error);
    OverallText.clear();
}

bool BasicRun::reserve(std::uint64_t size) {
    if (drive_.reserve(size)) return true;
    problem("Brantwell could not set aside memory for blocks of " + std::to_string(size) +
            " bytes.");
    return false;
}

// --- Write test ---

bool BasicRun::write_block(const BasicBlock& block) {
    const std::uint64_t size = block_bytes(block, params_.unit_size, drive_.file_align());
    const std::uint64_t writes = writes_per_pass(block, params_.file_size, size);
    if (!reserve(size)) return false;
    const std::string status = status_text(Side::Write, params_.drive, size);
    observer_.status(status);
    Peaks peaks;
    std::vector<double> samples;
    std::uint64_t failed = 0;
    const double block_start = now_();
    SecondSampler sampler(block_start, kWriteSampleSeconds);
    bool block_over = false;
    while (!block_over) {
        std::string error;
        if (!drive_.open_write_file(&error)) {
            problem(error);
            return false;
        }
        for (std::uint64_t i = 0; i < writes && !block_over; ++i) {
            const std::uint64_t n = drive_.write(size, i * size);
            if (n == 0) ++failed;
            if (auto current = sampler.add(n, now_())) {
                take_sample(Side::Write, *current, size, peaks, samples);
                if (cancelled()) break;
                block_over = now_() - block_start >= params_.seconds_per_block;
            }
        }
        drive_.remove_write_file();
        if (cancelled()) {
            outcome_.cancelled = true;
            return false;
        }
        block_over = block_over || now_() - block_start >= params_.seconds_per_block;
    }
    if (failed)
        problem(std::to_string(failed) + " writes of " + std::to_string(size) +
                " bytes to the test file failed (is the drive full?); they count as 0 bytes.");
    end_block(Side::Write, block, size, peaks, std::move(samples), status);
    return true;
}

void BasicRun::WriteTest() {
    for (char code : params_.block_codes) {
        const BasicBlock* block = basic_block(code);
        if (!block) continue;
        if (!write_block(*block)) break;
    }
    drive_.remove_write_file();
    finish_test();
}

// --- Read test ---

bool BasicRun::make_read_file(std::string* error) {
    const std::uint64_t chunk =
        aligned_block(params_.unit_size * kReadChunkUnits, drive_.file_align());
    std::uint64_t bytes = std::max(kReadFileBytes / chunk, std::uint64_t{1}) * chunk;
    // The read test file is made whatever the write test's free-space check found: on a fuller
    // drive it is made smaller (nine tenths of the free space) rather than filling the drive.
    const std::uint64_t free = drive_.free_bytes();
    const std::uint64_t room = free / 10 * 9 / chunk * chunk;
    if (free && room < bytes) bytes = room;
    if (bytes == 0) {
        *error = "The drive has no room for the read test file.";
        return false;
    }
    return drive_.make_read_file(bytes, chunk, cancel_, error);
}

bool BasicRun::read_block(const BasicBlock& block) {
    const std::uint64_t size = block_bytes(block, params_.unit_size, drive_.read_align());
    if (!reserve(size)) return false;
    const std::string status = status_text(Side::Read, params_.drive, size);
    observer_.status(status);
    Peaks peaks;
    std::vector<double> samples;
    const double block_start = now_();
    SecondSampler sampler(block_start, kReadSampleSeconds);
    // A pass begins one aligned block in, as the first sector of a volume is skipped.
    const std::uint64_t start = drive_.read_align();
    bool block_over = false;
    while (!block_over) {
        std::uint64_t offset = start;
        for (;;) {
            const std::uint64_t n = drive_.read(size, offset);
            if (n == 0) break;
            offset += n;
            if (auto current = sampler.add(n, now_())) {
                take_sample(Side::Read, *current, size, peaks, samples);
                if (cancelled()) break;
                if (now_() - block_start >= params_.seconds_per_block) {
                    block_over = true;
                    break;
                }
            }
        }
        if (cancelled()) {
            outcome_.cancelled = true;
            return false;
        }
        if (offset == start) {
            problem("Brantwell could not read blocks of " + std::to_string(size) +
                    " bytes from the drive.");
            return false;
        }
        block_over = block_over || now_() - block_start >= params_.seconds_per_block;
    }
    end_block(Side::Read, block, size, peaks, std::move(samples), status);
    return true;
}

void BasicRun::ReadTEST() {
    std::string error;
    bool opened = true;
    if (params_.read_source == ReadSource::File) {
        opened = make_read_file(&error);
        if (opened && cancelled()) {
            outcome_.cancelled = true;
            drive_.close_read();
            return;
        }
    }
    if (opened) opened = drive_.open_read(params_.read_source, &error);
    if (!opened) {
        problem(error);
    } else {
        for (char code : params_.block_codes) {
            const BasicBlock* block = basic_block(code);
            if (!block) continue;
            if (!read_block(*block)) break;
        }
    }
    drive_.close_read();
    finish_test();
}

}  // namespace bw::basic
