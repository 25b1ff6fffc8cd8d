#pragma once

// Direct (O_DIRECT) I/O for every test that measures a drive: aligned buffers of data no drive
// can compress, opens of block devices (read only, always) and of test files, and the life of a
// test file: recorded in the working folder before it exists, so files left by a process killed
// outright are removed by the next start, and removed at the end of every test.
//
// Sizes and offsets of direct I/O must be multiples of the device's logical block size; a
// misaligned transfer fails on a file and, on a block device, was seen done buffered. Callers
// round with aligned_block() and keep buffers from IoBuffer.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace bw {

// The record of test files, in the working folder, one path per line. One record serves every
// test that makes test files, so one clean-up at start finds them all; each change of it is made
// under a lock of the working folder, so processes that share it lose no line.
inline constexpr std::string_view kTestFileRecord = "LOADWorker.files";

// The names every test gives its test files. The clean-up after a crash deletes only files of
// these names: a record, however it came about, can then never cost a user a file of their own,
// only a test file left behind.
inline constexpr std::string_view kTestFileNames[] = {"TestB.tmp", "TestR.tmp", "TestMy.SSD"};
bool is_test_file_name(const std::filesystem::path& path);

// "" when `path` is missing or is a file the working folder may trust: a regular file (not a
// link) of this user's, with no other name, that no one else may write. Else the reason, naming
// the file. A file another user planted in the working folder before it was made private must
// not steer what a tester deletes or writes.
std::string untrusted_file_reason(const std::filesystem::path& path);

// An aligned buffer of random bytes. Written data must not compress (zram, some SSDs store
// compressible data faster than they move it), so the buffer starts random, and before each
// write one word per 4 KiB page changes: each written page differs from the last at the cost of
// a store per page.
class IoBuffer {
  public:
    explicit IoBuffer(std::size_t bytes, std::size_t align = 4096);
    ~IoBuffer();
    IoBuffer(const IoBuffer&) = delete;
    IoBuffer& operator=(const IoBuffer&) = delete;

    bool ok() const { return data_ != nullptr; }
    unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }
    // Makes the first `bytes` of the buffer new for the next write.
    void refresh(std::size_t bytes);

  private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::uint64_t state_[4] = {};
    std::uint64_t next();
};

struct OpenTarget {
    UniqueFd fd;
    std::uint64_t size = 0;   // bytes
    std::uint64_t align = 0;  // offsets and sizes of direct I/O must be multiples of this
};

enum class DirectAccess { Read, ReadWrite };

// A block device, opened read-only for direct I/O. A refusal (no root, a system that forbids raw
// reads) comes back as a reason a person can act on, naming the device.
std::optional<OpenTarget> open_device(const std::string& path, std::string* error);

// Why the system refuses to open this block device for direct reads (no root, or a system that
// forbids raw reads of its disk), in open_device's words; "" when it is not refused (it opens, or
// fails for another reason that open_device will give). Lets a caller tell a refusal apart.
std::string raw_open_refusal(const std::string& path);
// The system's reason ("Permission denied") when it refuses to open this device at all, as a
// tool that reads it through the page cache would; "" when it is not refused.
std::string device_open_refusal(const std::string& path);

// An existing regular file for direct I/O (never through a link, never created), refused unless
// the working folder could trust it (untrusted_file_reason).
std::optional<OpenTarget> open_direct_file(const std::filesystem::path& path, DirectAccess access,
                                           std::string* error);

// Direct-I/O alignment of an open descriptor: the logical block size of its device, at least
// 4096 (buffers and sizes are multiples of 4096 anyway).
std::uint64_t direct_io_align(int fd);

// A transfer size that direct I/O accepts on a target of that alignment.
std::uint64_t aligned_block(std::uint64_t bytes, std::uint64_t align);

// Bytes free for this user in `folder` (0 when it cannot be told).
std::uint64_t free_bytes(const std::filesystem::path& folder);

// Records `path` in the working folder's record, then creates it empty for direct read and write
// (never over an existing file of someone else's or through a link; a leftover of ours is removed
// first). Only an absolute path with one of kTestFileNames is made.
std::optional<OpenTarget> create_test_file(const std::filesystem::path& working_folder,
                                           const std::filesystem::path& path, std::string* error);

// Removes one test file (only a regular file of ours) and strikes it from the record: the end of
// one pass or test, while other recorded files stay.
void remove_test_file(const std::filesystem::path& working_folder,
                      const std::filesystem::path& path);

// Removes every test file the record names (only regular files of ours with a test file's name,
// and only when the record itself is trusted), then the record: the clean-up after a crash.
// "", or why the record or a line of it was not followed.
std::string remove_recorded_test_files(const std::filesystem::path& working_folder);

}  // namespace bw
