#pragma once

// What the testers read and write: the volume's block device (read only, never written) and the
// test file on the volume. Opening, sizes, direct-I/O alignment, and the test file's life: made
// fresh for a job, recorded in the working folder before it exists so a tester killed outright
// leaves a note for the next start to clean up, removed at the end of every job.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/UniqueFd.h"
#include "tester/Job.h"

namespace bw::tester {

inline constexpr std::string_view kTestFileName = "TestB.tmp";
// The record of test files a tester has made, in the working folder, one path per line.
inline constexpr std::string_view kTestFileRecord = "LOADWorker.files";

struct OpenTarget {
    UniqueFd fd;
    std::uint64_t size = 0;   // bytes
    std::uint64_t align = 0;  // offsets and sizes of direct I/O must be multiples of this
};

// The block device, opened read-only for direct I/O. A refusal (no root, a system that forbids
// raw reads) comes back as a reason a person can act on.
std::optional<OpenTarget> open_device(const std::string& path, std::string* error);

// An existing test file for direct I/O.
std::optional<OpenTarget> open_test_file(const std::filesystem::path& path, Side side,
                                         std::string* error);

// Direct-I/O alignment of an open descriptor: the logical block size of its device, at least
// 4096 (the testers' buffers and sizes are multiples of 4096 anyway).
std::uint64_t direct_io_align(int fd);

// A transfer size that direct I/O accepts on a target of that alignment.
std::uint64_t aligned_block(std::uint64_t bytes, std::uint64_t align);

// Where a drive letter's test files go and which device it reads, when the program's job did not
// say: "C" is the volume that holds "/". Empty with a reason for any other letter.
std::string fallback_folder(char drive, std::string* error);
std::string fallback_device(char drive, std::string* error);

// Bytes free for this user in `folder` (0 when it cannot be told).
std::uint64_t free_bytes(const std::filesystem::path& folder);

// The size of the test file for a job: "File Size" MB when given, else a default that fits the
// free space. 0 with a reason when the volume has no room for a useful file.
std::uint64_t test_file_size(const Job& job, std::uint64_t free, std::string* error);

// Records `path` in the working folder's note, then creates it (never over an existing file of
// someone else's; a leftover of ours is removed first).
std::optional<OpenTarget> create_test_file(const std::filesystem::path& working_folder,
                                           const std::filesystem::path& path, std::string* error);

// Removes every test file the note names (only regular files of ours), then the note.
void remove_recorded_test_files(const std::filesystem::path& working_folder);

}  // namespace bw::tester
