#pragma once

// Whether a drive can be read directly (the Performance Test reads the volume's block device,
// not a file), asked by opening it as the test would and closing it at once. Tests install a
// probe of their own; the program uses the real open.

#include <functional>
#include <string>

namespace bw {

// "" when `device` opens for direct reading; else the reason, naming the device
// ("/dev/vda: Operation not permitted").
using RawReadProbe = std::function<std::string(const std::string& device)>;

std::string probe_raw_read(const std::string& device);
void set_raw_read_probe(RawReadProbe probe);  // empty: the real open again

// The effective user is root (raw reads, TRIM switching, disk repair and tweaks need it).
bool running_as_root();

}  // namespace bw
