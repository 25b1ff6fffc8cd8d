#include <gtest/gtest.h>

#include "core/LiveFigures.h"

namespace bw {
namespace {

TEST(LiveFigures, TransferRatesChangeUnitAtEachThousand) {
    const std::pair<double, const char*> cases[] = {
        {0, "0 Bytes"},        {999, "999 Bytes"},   {1000, "1.0 KB"},
        {999'949, "999.9 KB"}, {1'000'000, "1.0 MB"}, {4'321'000'000, "4321.0 MB"}};
    for (const auto& [rate, text] : cases) EXPECT_EQ(transfer_text(rate), text) << rate;
}

TEST(LiveFigures, ProcessorLoadTurnsRedAboveTen) {
    EXPECT_EQ(cpu_text(10.0), "CPU: 10.0%");
    EXPECT_EQ(cpu_colour(10.0), 32768u) << "exactly 10 stays green";
    EXPECT_EQ(cpu_colour(10.05), 255u);
}

TEST(LiveFigures, MemoryLinesInMegabytesOf1048576) {
    EXPECT_EQ(memory_text(2 * 1048576.0, 1048576.0 * 1.6, 0, 1048576.0 * 3.4, 12.4),
              "Memory   Used: 2 MB   Free: 2 MB\nCache  Current: 0 MB   Peak: 3 MB\n"
              "Memory Page Faults: 12 Sec");
}

}  // namespace
}  // namespace bw
