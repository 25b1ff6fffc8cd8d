#include "core/MainOptions.h"

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"

namespace bw {

std::string MainOptions::selected_drive() const {
    if (DriveListIndex < 0 || DriveListIndex >= static_cast<int>(DriveList.size())) return {};
    return DriveList[static_cast<size_t>(DriveListIndex)];
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
        Val(ReadINI(app().program_folder / "Baseline.dat", keys::kDrives, baseline_key)));
}

void restore_options(MainOptions& o) {
    const auto work = app().working_ini();
    const auto prefs = app().prefs_ini();
    if (std::string last = ReadINI(work, keys::kSettings, keys::kLastDrive); !last.empty()) {
        for (size_t i = 0; i < o.DriveList.size(); ++i)
            if (o.DriveList[i] == last) o.DriveListIndex = static_cast<int>(i);
    }
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
