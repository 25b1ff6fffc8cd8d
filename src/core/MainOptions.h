#pragma once

// The main window's test options as plain state: the check boxes with their enabled flags, the
// test type, the block-size selection and its code, the drive list. The window shows this state;
// start-up restores it and the unload saves it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TesterProtocol.h"

namespace bw {

// The block list's entries, in list order, from the block table.
inline constexpr std::array<std::string_view, kBlockCount> kBlockNames = [] {
    std::array<std::string_view, kBlockCount> names{};
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = kBlockSizes[i].name;
    return names;
}();

struct CheckBox {
    bool checked = false;
    bool enabled = true;
};

// The option boxes, by the control that shows each.
enum class OptionBox {
    ChkRead,
    ChkWrite,
    ChkMulti,
    ChkMultiH,
    ChkMultiHS,
    BasicOnly,
    TestAllDrv,
    IgnoreME,
};

struct MainOptions {
    CheckBox ChkRead, ChkWrite, ChkMulti, ChkMultiH, ChkMultiHS, BasicOnly, TestAllDrv, IgnoreME;
    int TestType = 1;                    // option index: 0 "Functional Test", 1 "Performance Test"
    std::array<bool, 11> SelBlock{};     // selected block sizes, list order
    std::vector<std::string> DriveList;  // entries of the drive list
    int DriveListIndex = -1;             // selected entry, -1 for none
    // Why "Performance Test" cannot read the selected drive ("/dev/vda: Operation not
    // permitted"); "" when it can.
    std::string performance_refusal;
    // What is unavailable without root, said under the options once per start; "" as root.
    std::string root_note;

    std::string selected_drive() const;
    CheckBox& box(OptionBox which);
    const CheckBox& box(OptionBox which) const;

    // The interlocks applied when the user releases a box; its new state is already set.
    void box_released(OptionBox which);
    void apply_basic_only();  // BasicOnly's state decides the four multi-task/all-drive boxes
    // Counters unusable: BasicOnly checked and locked, the other four off and locked.
    void enter_basic_only_mode();
    // Selecting a drive entry: a solid-state drive is tested through a file ("Functional Test").
    void select_drive(int index);
    // With fewer than two drives in the list there is nothing to test all of.
    void apply_drive_count();
    // The selected drive's raw device cannot be read (`reason`, "" when it can): the drive is
    // tested through a file ("Functional Test") and "Performance Test" is locked with the reason.
    void refuse_performance(std::string reason);
    // The "Always Ignore Disk Usage" preference: on checks and locks "Ignore Usage", off frees and
    // unchecks it.
    void apply_always_ignore(bool always_ignore);
    // The live figures of the selected drive (Label3..5, DQueue, DTransfer) show unless every
    // drive is to be tested.
    bool live_figures_shown() const;
};

// The key of a drive entry's baseline in Baseline.dat: the entry from its fifth character on.
std::string_view baseline_key(std::string_view entry);

// Block-selection code: one character per selected entry in list order, "1".."9", "A", "B".
std::string block_code(const std::array<bool, 11>& selection);
// The selection a stored code stands for: "" selects 64KB only, 11 characters select all, other
// characters outside "1".."9", "A", "B" select nothing.
std::array<bool, 11> block_selection(std::string_view code);

// Text colours (0x00BBGGRR) of the three multi-task boxes, from the drive's quick read baseline.
inline constexpr std::uint32_t kBlack = 0, kRed = 192, kOlive = 32896, kGreen = 32768;
struct MultiTaskColours {
    std::uint32_t ChkMulti = kBlack, ChkMultiH = kBlack, ChkMultiHS = kBlack;
};
MultiTaskColours multitask_colours(double baseline);
// Reads the baseline stored under `baseline_key` in [Drives] of Baseline.dat.
MultiTaskColours CheckCAP(std::string_view baseline_key);

// The note under the options for a user who is not root ("" for root).
std::string root_note(bool root);

// The entry to select for the stored `Last Drive`: the same text, else the entry of the same
// letter (the rest of an entry changes with the disk's size or number); -1 when neither is listed.
int last_drive_index(const std::vector<std::string>& drive_list, std::string_view last);

// Restores the options from the settings files (the "Read Data" step) and saves them at exit.
void restore_options(MainOptions& options);
void save_options(const MainOptions& options);

}  // namespace bw
