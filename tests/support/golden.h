#pragma once

// Golden files under tests/golden: what a report, a table or a settings file must look like,
// compared as text. A mismatch fails with a line diff; BW_UPDATE_GOLDEN=1 rewrites the file from
// what the code gives now instead (review that diff before committing it).

#include <filesystem>
#include <string>

namespace bw::test {

std::filesystem::path golden_path(const std::string& relative);  // tests/golden/<relative>

// The lines that differ: "-N: text" as recorded (line N of `expected`), "+N: text" as given now
// (line N of `actual`); "" when the texts are equal.
std::string line_diff(const std::string& expected, const std::string& actual);

// Fails the current test, with the diff, unless `actual` equals tests/golden/<relative>.
void expect_golden(const std::string& relative, const std::string& actual);

}  // namespace bw::test
