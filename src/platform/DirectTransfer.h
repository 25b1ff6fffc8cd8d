#pragma once

// Single direct transfers for the tests that time their own I/O (the basic test, the quick read
// baseline): one pread or pwrite at an offset on a descriptor from DirectIo, retried when a
// signal interrupts it.

#include <cstdint>
#include <filesystem>

namespace bw {

// Bytes moved; 0 at the end of the target or when the transfer failed (`error` then holds errno,
// else 0).
std::uint64_t direct_read(int fd, void* data, std::uint64_t bytes, std::uint64_t offset,
                          int* error = nullptr);
std::uint64_t direct_write(int fd, const void* data, std::uint64_t bytes, std::uint64_t offset,
                           int* error = nullptr);

// Direct-I/O alignment of the file system that holds `folder` (at least 4096): block sizes are
// chosen before the test file they go to exists.
std::uint64_t folder_direct_align(const std::filesystem::path& folder);

}  // namespace bw
