// The block-size code, the multi-task colours and the option rules: the interlocks of a released
// box, the SSD rule of a drive selection, the drive count and the live figures. The window
// (ui/frmmain_test) only shows what these rules decide.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <string>
#include <string_view>
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

// Boxes as a string in the order R W L H I B A (read, write, the multi-task levels Lite, Heavy,
// Intense, basic only, all drives): the letter when checked, in lower case when also locked;
// "-" when off, "x" when off and locked.
constexpr OptionBox kShown[] = {OptionBox::ChkRead,   OptionBox::ChkWrite,   OptionBox::ChkMulti,
                                OptionBox::ChkMultiH, OptionBox::ChkMultiHS, OptionBox::BasicOnly,
                                OptionBox::TestAllDrv};
constexpr std::string_view kLetters = "RWLHIBA";

MainOptions from(std::string_view boxes) {
    MainOptions o;
    for (size_t i = 0; i < std::size(kShown); ++i) {
        const char c = boxes[i];
        o.box(kShown[i]).checked = c != '-' && c != 'x';
        o.box(kShown[i]).enabled = c == '-' || std::isupper(static_cast<unsigned char>(c));
    }
    return o;
}

std::string shown(const MainOptions& o) {
    std::string s;
    for (size_t i = 0; i < std::size(kShown); ++i) {
        const CheckBox& b = o.box(kShown[i]);
        const char letter = b.enabled ? kLetters[i] : static_cast<char>(std::tolower(kLetters[i]));
        s += b.checked ? letter : (b.enabled ? '-' : 'x');
    }
    return s;
}

// The user releases a box whose new state is already in `before`; the interlocks leave `after`.
TEST(OptionInterlocks, ReleasedBoxAndStateBeforeGiveStateAfter) {
    const struct {
        OptionBox released;
        const char *before, *after;
    } kCases[] = {
        // The multi-task levels exclude each other; unchecking one leaves the others alone.
        {OptionBox::ChkMultiHS, "R-L-I--", "R---I--"},
        {OptionBox::ChkMulti, "R-LH---", "R-L----"},
        {OptionBox::ChkMultiH, "R-L----", "R-L----"},  // released while unchecked
        // Read and write together clear every level; either one alone keeps it.
        {OptionBox::ChkWrite, "RW--I--", "RW-----"},
        {OptionBox::ChkRead, "RWL----", "RW-----"},
        {OptionBox::ChkWrite, "R---I--", "R---I--"},
        // Basic only unchecks and locks the levels and all drives; unchecked, it frees them.
        {OptionBox::BasicOnly, "R-L--BA", "R-xxxBx"},
        {OptionBox::BasicOnly, "R-xxx-x", "R------"},
        // Boxes without an interlock change nothing else.
        {OptionBox::TestAllDrv, "RWL---A", "RWL---A"},
        {OptionBox::IgnoreME, "R-L----", "R-L----"},
    };
    for (const auto& c : kCases) {
        MainOptions o = from(c.before);
        o.box_released(c.released);
        EXPECT_EQ(shown(o), c.after) << c.before << " released " << static_cast<int>(c.released);
    }
}

TEST(OptionInterlocks, CountersUnusableLockBasicOnlyOn) {
    MainOptions o = from("RWL---A");
    o.enter_basic_only_mode();
    EXPECT_EQ(shown(o), "RWxxxbx");
}

// Selecting a drive: an SSD entry selects "Functional Test"; any other keeps the test type.
TEST(DriveSelection, SsdSelectsTheFunctionalTest) {
    const struct {
        const char* entry;
        int type_before, type_after;
        const char* baseline_key;
    } kCases[] = {
        {"C:  500GB SSD [PD 3 (Volume)]  Samsung SSD", 1, 0,
         "500GB SSD [PD 3 (Volume)]  Samsung SSD"},
        {"E:  250GB SSD SATA3 [PD 2]", 0, 0, "250GB SSD SATA3 [PD 2]"},
        {"D:  2.00TB HDD [PD 12 (Volume)]  X", 1, 1, "2.00TB HDD [PD 12 (Volume)]  X"},
        {"D:  ssd in lower case", 1, 1, "ssd in lower case"},
        {"F:", 1, 1, ""},
    };
    for (const auto& c : kCases) {
        MainOptions o;
        o.DriveList = {"Z:  other", c.entry};
        o.TestType = c.type_before;
        o.select_drive(1);
        EXPECT_EQ(o.selected_drive(), c.entry);
        EXPECT_EQ(o.TestType, c.type_after) << c.entry;
        EXPECT_EQ(baseline_key(c.entry), c.baseline_key);
    }
}

// Testing all drives needs two of them, and hides the live figures of the selected one.
TEST(TestAllDrives, NeedsTwoDrivesAndHidesTheLiveFigures) {
    for (const auto& [drives, enabled] : {std::pair{0, false}, {1, false}, {2, true}, {3, true}}) {
        MainOptions o;
        o.DriveList.assign(static_cast<size_t>(drives), "C:  x");
        o.apply_drive_count();
        EXPECT_EQ(o.TestAllDrv.enabled, enabled) << drives;
    }
    MainOptions o;
    EXPECT_TRUE(o.live_figures_shown());
    o.TestAllDrv.checked = true;
    EXPECT_FALSE(o.live_figures_shown());
}

}  // namespace
}  // namespace bw

namespace bw {
namespace {

// The stored `Last Drive` selects its entry; when that exact text is gone (another size, another
// disk number), the entry of the same letter; nothing for a text that names no letter.
TEST(LastDrive, ExactTextElseTheLetter) {
    const std::vector<std::string> list = {"C:  275GB VirtIO [PD 0 (Volume)]  VirtIO Block Device {OS}",
                                           "D:  67MB Loop [PD 1 (Volume)]  Loop Device",
                                           "E:  67MB Loop [PD 2 (Volume)]  Loop Device"};
    const struct {
        const char* last;
        int index;
    } kCases[] = {
        {"D:  67MB Loop [PD 1 (Volume)]  Loop Device", 1},
        {"E:  67MB SCSI [PD 0 (Volume)]  Loop Device", 2},  // written before the numbers moved
        {"E:", 2},
        {"F:  1GB HDD [PD 3 (Volume)]  Gone", -1},
        {"", -1},
        {"D", -1},
        {"Dx 67MB", -1},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.index, last_drive_index(list, c.last)) << c.last;
}

// A refused raw device chooses the functional test and keeps the reason; a drive that opens
// clears it without taking the user's choice back. "Always Ignore" locks "Ignore Usage" checked,
// and frees it unchecked.
TEST(DriveSelection, RefusedDeviceAndAlwaysIgnore) {
    MainOptions o;
    o.TestType = 1;
    o.refuse_performance("/dev/vda: Operation not permitted");
    EXPECT_EQ(0, o.TestType);
    EXPECT_EQ("/dev/vda: Operation not permitted", o.performance_refusal);
    o.refuse_performance("");
    EXPECT_EQ(0, o.TestType);
    EXPECT_EQ("", o.performance_refusal);
    o.TestType = 1;
    o.refuse_performance("");
    EXPECT_EQ(1, o.TestType);

    o.apply_always_ignore(true);
    EXPECT_TRUE(o.IgnoreME.checked && !o.IgnoreME.enabled);
    o.apply_always_ignore(false);
    EXPECT_TRUE(!o.IgnoreME.checked && o.IgnoreME.enabled);
    EXPECT_EQ("", root_note(true));
    for (const char* what : {"raw drive reads", "TRIM switching", "disk repair", "tweaks"})
        EXPECT_NE(std::string::npos, root_note(false).find(what)) << what;
}

}  // namespace
}  // namespace bw
