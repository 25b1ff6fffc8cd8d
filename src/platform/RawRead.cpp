#include "platform/RawRead.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/UniqueFd.h"

namespace bw {

namespace {

std::string open_and_close(const std::string& device) {
    if (device.empty()) return "no block device";
    // Read-only and direct, as the test opens it; nothing is read.
    UniqueFd fd(::open(device.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC));
    if (fd.ok()) return {};
    return device + ": " + std::strerror(errno);
}

RawReadProbe& installed() {
    static RawReadProbe probe;
    return probe;
}

}  // namespace

std::string probe_raw_read(const std::string& device) {
    return installed() ? installed()(device) : open_and_close(device);
}

void set_raw_read_probe(RawReadProbe probe) { installed() = std::move(probe); }

bool running_as_root() { return ::geteuid() == 0; }

}  // namespace bw
