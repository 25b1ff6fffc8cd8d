#pragma once

// A copy of a captured machine (tests/fixtures/sysroots/<machine>) with some files replaced, added
// or taken away, so a case states only what differs from a real machine.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "support/fakes.h"

namespace bw::test {

// Path (from the sysroot's "/") -> new text; nullopt: the file is gone.
using SysrootFiles = std::map<std::string, std::optional<std::string>>;

// Copies the machine into `dir` (links kept as links), applies `files` and returns `dir`.
std::filesystem::path sysroot_variant(const TempDir& dir, const std::string& machine,
                                      const SysrootFiles& files);

}  // namespace bw::test
