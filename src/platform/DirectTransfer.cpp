#include "platform/DirectTransfer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/DirectIo.h"
#include "platform/UniqueFd.h"

namespace bw {

namespace {

template <typename Op>
std::uint64_t transfer(Op op, int* error) {
    for (;;) {
        const ssize_t n = op();
        if (n >= 0) {
            if (error) *error = 0;
            return static_cast<std::uint64_t>(n);
        }
        if (errno != EINTR) {
            if (error) *error = errno;
            return 0;
        }
    }
}

}  // namespace

std::uint64_t direct_read(int fd, void* data, std::uint64_t bytes, std::uint64_t offset,
                          int* error) {
    return transfer([&] { return ::pread(fd, data, bytes, static_cast<off_t>(offset)); }, error);
}

std::uint64_t direct_write(int fd, const void* data, std::uint64_t bytes, std::uint64_t offset,
                           int* error) {
    return transfer([&] { return ::pwrite(fd, data, bytes, static_cast<off_t>(offset)); }, error);
}

std::uint64_t folder_direct_align(const std::filesystem::path& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.ok() ? direct_io_align(fd.get()) : 4096;
}

}  // namespace bw
