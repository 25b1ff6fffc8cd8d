// libFuzzer target for the result-line reader: any bytes as a result line, and as the text of a
// result file split into its complete lines, each parsed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "results/ResultLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto check = [](const bw::results::ResultLineFields& f) {
        for (double v : {f.read[0], f.read[1], f.read[2], f.read[3], f.write[0], f.write[1],
                         f.write[2], f.write[3], f.overall, f.peak_read, f.peak_write})
            if (!std::isfinite(v)) std::abort();
    };
    check(bw::results::parse_result_line(text));
    for (const auto& line : bw::results::complete_lines(text))
        check(bw::results::parse_result_line(line));
    return 0;
}
