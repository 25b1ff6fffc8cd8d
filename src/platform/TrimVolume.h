#pragma once

// What the TRIM test does to the volume it tests: its free space, its test file written
// unbuffered in writes of one size, the file cut to one byte (a delete that gives the file
// system blocks to discard), and the volume's discard switch. The program uses the live volume;
// tests use a fake that counts writes and answers with chosen timings.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/DiscardSwitch.h"
#include "platform/DirectIo.h"

namespace bw {

struct WriteTiming {
    std::size_t bytes = 0;  // bytes the write counts as written (0 when it failed)
    double seconds = 0;     // time spent in the write calls only
    int error = 0;          // errno of a failed write
};

class TrimVolume {
  public:
    virtual ~TrimVolume() = default;
    virtual std::uint64_t free_bytes() = 0;
    virtual const std::filesystem::path& test_file() const = 0;
    virtual const std::string& mount_point() const = 0;
    virtual bool test_file_exists() const = 0;
    // Opens the test file (made when missing, kept when there) for unbuffered writes from its
    // first byte on. False with `error` set.
    virtual bool open(std::string* error) = 0;
    // Writes `bytes` bytes of `fill` after what this open wrote so far.
    virtual WriteTiming write(char fill, std::size_t bytes) = 0;
    // Ends the open: writes what is left of the last write and sets the file's length to the
    // bytes written since the open. Returns the time of that last write.
    virtual WriteTiming close() = 0;
    // Replaces the test file's content by the single character "Z": the file system frees every
    // other block of it.
    virtual void cut_to_one_byte() = 0;
    virtual void remove() = 0;

    virtual DiscardState discard_state() = 0;
    virtual MountResult set_discard(bool on) = 0;
};

// The live volume: the test file through direct I/O, recorded in the working folder's test-file
// record while it exists, and the discard option of `mount_point` through the live mount runner.
std::unique_ptr<TrimVolume> live_trim_volume(const std::filesystem::path& working_folder,
                                             const std::filesystem::path& test_file,
                                             const std::string& mount_point);

// Offsets and lengths of the direct writes that carry `bytes` more after `written` bytes, on a
// device of alignment `align`: the aligned part is written now, the rest waits for the next write
// (or for close, padded to a whole block and cut back by the file's length). Exposed for tests.
struct AlignedSpan {
    std::uint64_t offset = 0, length = 0;
};
AlignedSpan aligned_span(std::uint64_t written, std::uint64_t bytes, std::uint64_t align);

}  // namespace bw
