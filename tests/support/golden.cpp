#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <vector>

#include "support/fakes.h"

namespace bw::test {

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type from = 0;
    while (from < text.size()) {
        auto end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

}  // namespace

std::filesystem::path golden_path(const std::string& relative) {
    return source_dir() / "tests/golden" / relative;
}

// A longest-common-subsequence diff: golden files are a few hundred lines, so the quadratic
// table costs nothing, and a changed row shows as one "-" and one "+" line.
std::string line_diff(const std::string& expected, const std::string& actual) {
    const auto a = lines_of(expected), b = lines_of(actual);
    const size_t n = a.size(), m = b.size();
    std::vector<std::vector<unsigned>> common(n + 1, std::vector<unsigned>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    std::string diff;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            ++i, ++j;
        } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
            diff += "-" + std::to_string(i + 1) + ": " + a[i] + "\n";
            ++i;
        } else {
            diff += "+" + std::to_string(j + 1) + ": " + b[j] + "\n";
            ++j;
        }
    }
    // Same lines, other bytes: a final newline or a carriage return.
    if (diff.empty() && expected != actual)
        diff = "the texts differ only in line endings or the final newline\n";
    return diff;
}

void expect_golden(const std::string& relative, const std::string& actual) {
    const auto path = golden_path(relative);
    if (std::getenv("BW_UPDATE_GOLDEN")) {
        write_file(path, actual);
        std::cerr << "rewrote " << path << "\n";
    }
    const std::string diff = line_diff(read_file(path), actual);
    EXPECT_TRUE(diff.empty()) << path
                              << " differs (-recorded, +now; BW_UPDATE_GOLDEN=1 rewrites it):\n"
                              << diff;
}

}  // namespace bw::test
