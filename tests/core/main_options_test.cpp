// The block-size code and the multi-task colours. The basic-only interlock is tried through the
// window (ui/frmmain_test) and through a start with unusable counters (startup_test).
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/MainOptions.h"

namespace bw {
namespace {

// A stored code, the list entries it selects, and the code those are saved as again.
TEST(BlockCode, StoredCodesSelectAndSaveAgain) {
    const struct {
        const char* stored;
        std::vector<int> selected;
        const char* saved;
    } kCases[] = {
        {"5", {4}, "5"},
        {"15B", {0, 4, 10}, "15B"},
        {"A", {9}, "A"},
        {"", {4}, "5"},  // never written: 64KB
        {"BA987654321", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "123456789AB"},  // eleven: everything
        {"1Z0x", {0}, "1"},  // unknown characters select nothing
        {"a", {}, ""},       // lower case is not a code
        {"55", {4}, "5"},
    };
    for (const auto& c : kCases) {
        const auto sel = block_selection(c.stored);
        std::vector<int> got;
        for (int i = 0; i < 11; ++i)
            if (sel[static_cast<size_t>(i)]) got.push_back(i);
        EXPECT_EQ(got, c.selected) << c.stored;
        EXPECT_EQ(block_code(sel), c.saved) << c.stored;
    }
}

TEST(MultiTaskColours, BaselineBands) {
    const struct {
        double baseline;
        MultiTaskColours expected;
    } kCases[] = {
        {0, {kBlack, kBlack, kBlack}},     {12.5, {kRed, kRed, kRed}},
        {39.99, {kRed, kRed, kRed}},       {40, {kOlive, kRed, kRed}},
        {60, {kOlive, kOlive, kRed}},      {80, {kGreen, kOlive, kOlive}},
        {124.9, {kGreen, kGreen, kOlive}}, {125, {kGreen, kGreen, kGreen}},
    };
    for (const auto& c : kCases) {
        const auto got = multitask_colours(c.baseline);
        EXPECT_EQ((std::array{got.ChkMulti, got.ChkMultiH, got.ChkMultiHS}),
                  (std::array{c.expected.ChkMulti, c.expected.ChkMultiH, c.expected.ChkMultiHS}))
            << c.baseline;
    }
}

}  // namespace
}  // namespace bw
