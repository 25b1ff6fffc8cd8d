#include "core/MainOptions.h"

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"

namespace bw {

std::string MainOptions::selected_drive() const {
    if (DriveListIndex < 0 || DriveListIndex >= static_cast<int>(DriveList.size())) return {};
    return DriveList[static_cast<size_t>(DriveListIndex)];
}

namespace {

struct BoxField {
    OptionBox which;
    CheckBox MainOptions::*field;
};
inline constexpr BoxField kBoxFields[] = {
    {OptionBox::ChkRead, &MainOptions::ChkRead},
    {OptionBox::ChkWrite, &MainOptions::ChkWrite},
    {OptionBox::ChkMulti, &MainOptions::ChkMulti},
    {OptionBox::ChkMultiH, &MainOptions::ChkMultiH},
    {OptionBox::ChkMultiHS, &MainOptions::ChkMultiHS},
    {OptionBox::BasicOnly, &MainOptions::BasicOnly},
    {OptionBox::TestAllDrv, &MainOptions::TestAllDrv},
    {OptionBox::IgnoreME, &MainOptions::IgnoreME},
};

inline constexpr OptionBox kMultiTaskLevels[] = {OptionBox::ChkMulti, OptionBox::ChkMultiH,
                                                 OptionBox::ChkMultiHS};

// Unchecks every multi-task level but `kept` (a box that is no level keeps none).
void clear_levels_except(MainOptions& o, OptionBox kept) {
    for (OptionBox level : kMultiTaskLevels)
        if (level != kept) o.box(level).checked = false;
}

void basic_only(MainOptions& o, OptionBox) { o.apply_basic_only(); }

// The multi-task levels exclude each other: checking one unchecks the other two.
void one_level(MainOptions& o, OptionBox released) {
    if (o.box(released).checked) clear_levels_except(o, released);
}

// Read and write together leave no room for a multi-task level.
void read_and_write_clear_levels(MainOptions& o, OptionBox released) {
    if (o.ChkRead.checked && o.ChkWrite.checked) clear_levels_except(o, released);
}

struct Interlock {
    OptionBox released;
    void (*apply)(MainOptions& o, OptionBox released);
};
inline constexpr Interlock kInterlocks[] = {
    {OptionBox::BasicOnly, basic_only},
    {OptionBox::ChkMulti, one_level},
    {OptionBox::ChkMultiH, one_level},
    {OptionBox::ChkMultiHS, one_level},
    {OptionBox::ChkRead, read_and_write_clear_levels},
    {OptionBox::ChkWrite, read_and_write_clear_levels},
};

}  // namespace

CheckBox& MainOptions::box(OptionBox which) {
    return const_cast<CheckBox&>(static_cast<const MainOptions&>(*this).box(which));
}

const CheckBox& MainOptions::box(OptionBox which) const {
    for (const auto& b : kBoxFields)
        if (b.which == which) return this->*(b.field);
    return IgnoreME;  // unreachable: every box has a row
}

void MainOptions::box_released(OptionBox which) {
    for (const auto& rule : kInterlocks)
        if (rule.released == which) rule.apply(*this, which);
}

void MainOptions::select_drive(int index) {
    DriveListIndex = index;
    if (selected_drive().find("SSD") != std::string::npos) TestType = 0;
}

void MainOptions::apply_drive_count() {
    if (DriveList.size() < 2) TestAllDrv.enabled = false;
}

bool MainOptions::live_figures_shown() const { return !TestAllDrv.checked; }

void MainOptions::refuse_performance(std::string reason) {
    performance_refusal = std::move(reason);
    if (!performance_refusal.empty()) TestType = 0;
}

void MainOptions::apply_always_ignore(bool always_ignore) {
    IgnoreME = always_ignore ? CheckBox{true, false} : CheckBox{false, true};
}

std::string root_note(bool root) {
    if (root) return {};
    return "Not running as root: raw drive reads (Performance Test), TRIM switching, disk repair "
           "and tweaks are not available.";
}

int last_drive_index(const std::vector<std::string>& drive_list, std::string_view last) {
    if (last.empty()) return -1;
    for (size_t i = 0; i < drive_list.size(); ++i)
        if (drive_list[i] == last) return static_cast<int>(i);
    if (last.size() < 2 || last[1] != ':') return -1;
    for (size_t i = 0; i < drive_list.size(); ++i)
        if (drive_list[i].compare(0, 2, last.substr(0, 2)) == 0) return static_cast<int>(i);
    return -1;
}

std::string_view baseline_key(std::string_view entry) {
    return entry.size() > 4 ? entry.substr(4) : std::string_view{};
}

void MainOptions::apply_basic_only() {
    for (CheckBox* box : {&ChkMulti, &ChkMultiH, &ChkMultiHS, &TestAllDrv}) {
        if (BasicOnly.checked) box->checked = false;
        box->enabled = !BasicOnly.checked;
    }
}

void MainOptions::enter_basic_only_mode() {
    BasicOnly.checked = true;
    BasicOnly.enabled = false;
    apply_basic_only();
}

std::string block_code(const std::array<bool, 11>& selection) {
    std::string code;
    for (size_t i = 0; i < selection.size(); ++i)
        if (selection[i]) code += kBlockSizes[i].code;
    return code;
}

std::array<bool, 11> block_selection(std::string_view code) {
    std::array<bool, 11> sel{};
    if (code.empty()) {
        sel[4] = true;  // 64KB
        return sel;
    }
    if (code.size() == sel.size()) {
        sel.fill(true);
        return sel;
    }
    for (char c : code) {
        int value = block_index_from_code(c);
        if (value > 0) sel[static_cast<size_t>(value - 1)] = true;
    }
    return sel;
}

namespace {

struct ColourRow {
    double below;  // applies to baselines under this figure
    MultiTaskColours colours;
};

// A baseline of 0 means none was measured and keeps the boxes black.
inline constexpr ColourRow kColourRows[] = {
    {40, {kRed, kRed, kRed}},
    {60, {kOlive, kRed, kRed}},
    {80, {kOlive, kOlive, kRed}},
    {100, {kGreen, kOlive, kOlive}},
    {125, {kGreen, kGreen, kOlive}},
};

}  // namespace

MultiTaskColours multitask_colours(double baseline) {
    if (baseline == 0) return {};
    for (const auto& row : kColourRows)
        if (baseline < row.below) return row.colours;
    return {kGreen, kGreen, kGreen};
}

MultiTaskColours CheckCAP(std::string_view baseline_key) {
    return multitask_colours(
        Val(ReadINI(app().program_folder / keys::kBaselineFileName, keys::kDrives, baseline_key)));
}

void restore_options(MainOptions& o) {
    const auto work = app().working_ini();
    const auto prefs = app().prefs_ini();
    if (int i = last_drive_index(o.DriveList, ReadINI(work, keys::kSettings, keys::kLastDrive));
        i >= 0)
        o.DriveListIndex = i;
    o.IgnoreME.checked = ValInt(ReadINI(prefs, keys::kSettings, keys::kSkipUsage)) != 0;
    o.ChkRead.checked = ValInt(ReadINI(prefs, keys::kSettings, keys::kRead)) != 0;
    o.ChkWrite.checked = ValInt(ReadINI(prefs, keys::kSettings, keys::kWrite)) != 0;
    o.TestType = ValInt(ReadINI(prefs, keys::kSettings, keys::kType)) == 2 ? 1 : 0;
    o.BasicOnly.checked = ValInt(ReadINI(prefs, keys::kSettings, keys::kBasicOnly)) != 0;
    o.apply_basic_only();
    o.SelBlock = block_selection(ReadINI(prefs, keys::kSettings, keys::kBlock));
}

void save_options(const MainOptions& o) {
    const auto prefs = app().prefs_ini();
    WriteINI(prefs, keys::kSettings, keys::kRead, o.ChkRead.checked);
    WriteINI(prefs, keys::kSettings, keys::kWrite, o.ChkWrite.checked);
    WriteINI(prefs, keys::kSettings, keys::kBlock, std::string_view(block_code(o.SelBlock)));
    WriteINI(prefs, keys::kSettings, keys::kSkipUsage, o.IgnoreME.checked);
    WriteINI(prefs, keys::kSettings, keys::kType, std::string_view(o.TestType == 0 ? "1" : "2"));
    WriteINI(prefs, keys::kSettings, keys::kBasicOnly, o.BasicOnly.checked);
}

}  // namespace bw
