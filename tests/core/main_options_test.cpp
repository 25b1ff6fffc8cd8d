// The block-size code, the multi-task colours and the basic-only interlock.
#include <gtest/gtest.h>

#include "core/MainOptions.h"

namespace bw {
namespace {

TEST(BlockCode, CodesAndSelectionsAgree) {
    struct Case {
        std::string code;
        std::vector<int> selected;  // list indexes
    };
    const Case cases[] = {
        {"5", {4}},
        {"15B", {0, 4, 10}},
        {"123456789AB", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"A", {9}},
    };
    for (const auto& c : cases) {
        auto sel = block_selection(c.code);
        std::vector<int> got;
        for (int i = 0; i < 11; ++i)
            if (sel[static_cast<size_t>(i)]) got.push_back(i);
        EXPECT_EQ(got, c.selected) << c.code;
        EXPECT_EQ(block_code(sel), c.code);
    }
}

TEST(BlockCode, StoredCodesAreReadLeniently) {
    struct Case {
        const char* stored;
        const char* means;
    };
    const Case cases[] = {
        {"", "5"},              // never written: 64KB
        {"BA987654321", "123456789AB"},  // eleven characters select everything, in any order
        {"1Z0x", "1"},          // unknown characters select nothing
        {"a", ""},              // lower case is not a code
        {"55", "5"},
    };
    for (const auto& c : cases) EXPECT_EQ(block_code(block_selection(c.stored)), c.means) << c.stored;
}

TEST(MultiTaskColours, BaselineBands) {
    struct Case {
        double baseline;
        MultiTaskColours expected;
    };
    const Case cases[] = {
        {0, {kBlack, kBlack, kBlack}},     {12.5, {kRed, kRed, kRed}},
        {39.99, {kRed, kRed, kRed}},       {40, {kOlive, kRed, kRed}},
        {60, {kOlive, kOlive, kRed}},      {80, {kGreen, kOlive, kOlive}},
        {124.9, {kGreen, kGreen, kOlive}}, {125, {kGreen, kGreen, kGreen}},
        {4000, {kGreen, kGreen, kGreen}},
    };
    for (const auto& c : cases) {
        auto got = multitask_colours(c.baseline);
        EXPECT_EQ(got.ChkMulti, c.expected.ChkMulti) << c.baseline;
        EXPECT_EQ(got.ChkMultiH, c.expected.ChkMultiH) << c.baseline;
        EXPECT_EQ(got.ChkMultiHS, c.expected.ChkMultiHS) << c.baseline;
    }
}

TEST(BasicOnly, LocksAndReleasesTheMultiTaskBoxes) {
    MainOptions o;
    o.ChkMulti.checked = o.TestAllDrv.checked = true;
    o.BasicOnly.checked = true;
    o.apply_basic_only();
    for (const CheckBox* b : {&o.ChkMulti, &o.ChkMultiH, &o.ChkMultiHS, &o.TestAllDrv}) {
        EXPECT_FALSE(b->checked);
        EXPECT_FALSE(b->enabled);
    }
    o.BasicOnly.checked = false;
    o.apply_basic_only();
    for (const CheckBox* b : {&o.ChkMulti, &o.ChkMultiH, &o.ChkMultiHS, &o.TestAllDrv})
        EXPECT_TRUE(b->enabled);

    o.enter_basic_only_mode();
    EXPECT_TRUE(o.BasicOnly.checked);
    EXPECT_FALSE(o.BasicOnly.enabled);
    EXPECT_FALSE(o.ChkMultiH.enabled);
}

}  // namespace
}  // namespace bw
