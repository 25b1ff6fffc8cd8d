#pragma once

// What the basic test and the quick read baseline do to a drive, behind one interface: the test
// files TestB.tmp and TestR.tmp in the drive's test folder, and the volume's block device (read
// only). The measuring loops see only transfers; tests give them a drive of their own.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace bw::basic {

inline constexpr std::string_view kWriteTestFile = "TestB.tmp";
inline constexpr std::string_view kReadTestFile = "TestR.tmp";

// Where a read test reads: 1 a test file it writes first, 2 the raw volume.
enum class ReadSource { File = 1, Volume = 2 };

class BasicDrive {
  public:
    virtual ~BasicDrive() = default;
    // Direct-I/O alignment of the test folder's file system (block sizes are multiples of it).
    virtual std::uint64_t file_align() const = 0;
    // Bytes free in the test folder (0 when unknown).
    virtual std::uint64_t free_bytes() const = 0;
    // Makes room for transfers of up to `bytes`; false when the memory is not there.
    virtual bool reserve(std::uint64_t bytes) = 0;

    // The write test file: created empty (a leftover of ours is replaced), written, closed and
    // removed. False with `error` when it cannot be made.
    virtual bool open_write_file(std::string* error) = 0;
    // Bytes written (new data every time); 0 when the write failed.
    virtual std::uint64_t write(std::uint64_t bytes, std::uint64_t offset) = 0;
    virtual void remove_write_file() = 0;

    // The read test file, written to `bytes` (a multiple of `chunk`) and closed again; writing
    // stops early (true, a shorter file) once `cancel` is set. False with `error`.
    virtual bool make_read_file(std::uint64_t bytes, std::uint64_t chunk,
                                const std::atomic<bool>& cancel, std::string* error) = 0;
    virtual bool open_read(ReadSource source, std::string* error) = 0;
    // Alignment of what open_read opened.
    virtual std::uint64_t read_align() const = 0;
    // Bytes read; 0 at the end or when the read failed (both end a pass).
    virtual std::uint64_t read(std::uint64_t bytes, std::uint64_t offset) = 0;
    // Closes what open_read opened and removes the read test file.
    virtual void close_read() = 0;
};

// The drive as it is: test files in `test_folder` (recorded in `working_folder` so a crash's
// leftovers are removed at the next start), the volume read from `device`.
std::unique_ptr<BasicDrive> make_direct_drive(const std::filesystem::path& working_folder,
                                              const std::filesystem::path& test_folder,
                                              const std::string& device);

}  // namespace bw::basic
