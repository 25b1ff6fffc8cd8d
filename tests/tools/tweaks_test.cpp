// The tweaks page on a SATA desktop of files: every row read, the order and numbers of a save,
// refusals shown beside their rows, and a restore that puts back what was found at open. The
// registry store is a file of the test's own; remounts are recorded, never made.
#include "tools/Tweaks.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/tweak_machine.h"

namespace bw {
namespace {

namespace fs = std::filesystem;
constexpr RegHive HKLM = RegHive::HKEY_LOCAL_MACHINE;

// The registry store in a folder of the test, for the scope.
struct OwnStore {
    explicit OwnStore(const fs::path& p) { set_registry_store_path(p); }
    ~OwnStore() { set_registry_store_path({}); }
};

std::uint32_t stored(std::string_view key, std::string_view name) {
    const RegValue v = QueryKeyValue(HKLM, key, name);
    EXPECT_EQ(v.type, REG_DWORD) << name;
    return v.number;
}

const TweakWrite* write_of(const std::vector<TweakWrite>& log, std::string_view what) {
    for (const auto& w : log)
        if (w.what.find(what) != std::string::npos) return &w;
    return nullptr;
}

class TweaksOnFiles : public ::testing::Test, public test::TweakFiles {
  protected:
    TweaksOnFiles() : store_(dir_ / "Registry.dat"), page_(machine()) {}
    TweakChoice opened() {
        page_.open();
        return page_.current();
    }

    test::TempDir dir_;
    OwnStore store_;
    TweaksPage page_;
};

TEST(DriveMix, DecidedBySsdEntriesAndTheSystemMarker) {
    struct Case {
        std::vector<std::string> list;
        const char* text;
    };
    const Case kCases[] = {
        {{"C: 240 GB SSD [PD 0] {OS-SWAP}", "D: 120 GB SSD [PD 1]"}, "SSD Only"},
        {{"C: 1000 GB [PD 0] {OS}", "E: 16 GB USB [PD 1]"}, "Hard Drive Only"},
        {{}, "Hard Drive Only"},
        {{"C: 240 GB SSD [PD 0] {OS}", "D: 2000 GB [PD 1] {SWAP}"},
         "SSD and Hard Drive MIX - Boot SSD"},
        {{"C: 2000 GB [PD 0] {OS-SWAP}", "D: 240 GB SSD [PD 1]"},
         "SSD and Hard Drive MIX - Boot Hard Drive"},
        // A swap marker alone does not make the system drive; without one the cautious choice.
        {{"D: 240 GB SSD [PD 1] {SWAP}", "E: 2000 GB [PD 0]"},
         "SSD and Hard Drive MIX - Boot Hard Drive"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(drive_mix_text(drive_mix(c.list)), c.text);
    }
}

TEST(TweakRowsTable, EveryRowAndListHasItsTextsAndValidRecommendations) {
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        const TweakRow& row = kTweakRows[i];
        SCOPED_TRACE(row.caption);
        EXPECT_EQ(row.index, static_cast<int>(i));  // saves go in index order
        EXPECT_FALSE(row.help.empty());
        for (auto r : row.recommended)
            EXPECT_TRUE(r == kChecked || r == kUnchecked || r == kDisable) << r;
        // A row without a Linux setting says so in its help.
        if (!row.linux_setting) {
            EXPECT_NE(row.help.find(kNoEffectOnLinux), std::string_view::npos);
        }
        // Checked and unchecked must be told apart when read back.
        EXPECT_NE(row.values[0].checked, row.values[0].unchecked);
    }
    for (const auto& list : kTweakLists)
        for (auto item : list.recommended) EXPECT_LT(item, std::size(kListItems));
}

TEST_F(TweaksOnFiles, EveryRowIsReadFromItsLinuxSettingOrTheStore) {
    SetKeyValue(HKLM, kFileSystem, "NtfsDisable8dot3NameCreation", RegValue::dword(1));
    SetKeyValue(HKLM, "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\Memory Management",
                "NtfsMemoryUsage", RegValue::dword(2));
    m_.write("/proc/sys/vm/dirty_ratio", "40\n");
    m_.write("/sys/class/scsi_host/host0/link_power_management_policy", "medium_power\n");
    const TweakChoice c = opened();
    const bool kExpected[] = {false, true, true, true, false, false, true, false, true};
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        SCOPED_TRACE(kTweakRows[i].caption);
        EXPECT_EQ(c.checked[i], kExpected[i]);
        EXPECT_EQ(page_.rows()[i].has_effect, kTweakRows[i].linux_setting.has_value());
        if (!kTweakRows[i].linux_setting) {
            EXPECT_EQ(page_.rows()[i].found, kNoEffectOnLinux);
        }
    }
    EXPECT_EQ(page_.rows()[4].found, "/ relatime, /home noatime, /srv strictatime");
    EXPECT_EQ(c.items[0], 1u);  // read-ahead: two disks of three at 128 KB
    EXPECT_TRUE(page_.lists()[0].has_effect);
    // No superfetch value: its list stays empty.
    EXPECT_EQ(c.items[1], std::nullopt);
    EXPECT_EQ(page_.lists()[1].found, kNoEffectOnLinux);
}

TEST_F(TweaksOnFiles, StoreRowsReadTheirNumbersAsThePageDoes) {
    struct Case {
        std::size_t row;
        std::uint32_t number;
        bool checked;
    };
    const Case kCases[] = {
        {2, 2, true}, {2, 1, false}, {2, 0, false},  // NtfsMemoryUsage: 2 is checked
        {6, 2, true}, {6, 3, true},  {6, 4, false},  // the indexer's start type, no indexer here
        {7, 2, true}, {7, 1, false},                 // Attributes, no SATA host here
    };
    m_.remove("/usr/lib/systemd");
    m_.remove("/sys/class/scsi_host");
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::to_string(c.row) + " = " + std::to_string(c.number));
        const TweakValue& v = kTweakRows[c.row].values[0];
        SetKeyValue(HKLM, v.key, v.name, RegValue::dword(c.number));
        EXPECT_EQ(opened().checked[c.row], c.checked);
        EXPECT_FALSE(page_.rows()[c.row].has_effect);
        EXPECT_NE(page_.rows()[c.row].found.find("no effect on"), std::string::npos);
    }
}

TEST_F(TweaksOnFiles, SaveWritesRowsInIndexOrderThenTheLists) {
    TweakChoice c = opened();
    c.items[1] = 2;  // a superfetch item chosen: the value is written like any other
    const auto log = page_.save(c);
    std::vector<std::string> order;
    for (const auto& w : log)
        if (order.empty() || order.back() != w.control) order.push_back(w.control);
    const std::vector<std::string> kOrder = {"OptionT(0)", "OptionT(1)", "OptionT(2)", "OptionT(3)",
                                             "OptionT(4)", "OptionT(5)", "OptionT(6)", "OptionT(7)",
                                             "OptionT(8)", "Combo1",     "Combo2"};
    EXPECT_EQ(order, kOrder);
    EXPECT_EQ(stored(kPrefetchParameters, "EnableSuperfetch"), 2u);
}

TEST_F(TweaksOnFiles, UncheckedRowsWriteTheirOwnNumbersNeverZeroBlindly) {
    m_.remove("/usr/lib/systemd");  // no indexer: the start type goes to the store
    TweakChoice c = opened();
    c.checked.fill(false);
    page_.save(c);
    EXPECT_EQ(stored("SYSTEM\\CurrentControlSet\\Control\\FileSystem\\Memory Management",
                     "NtfsMemoryUsage"),
              1u);
    EXPECT_EQ(stored("\\SYSTEM\\CurrentControlSet\\Services\\cisvc", "Start"), 4u);
    EXPECT_EQ(stored(kMemoryManagement, "ClearPageFileAtShutdown"), 0u);
    c.checked.fill(true);
    page_.save(c);
    EXPECT_EQ(stored("\\SYSTEM\\CurrentControlSet\\Services\\cisvc", "Start"), 2u);
    EXPECT_EQ(stored(kFileSystem, "NtfsDisable8dot3NameCreation"), 1u);
}

TEST_F(TweaksOnFiles, UncheckedIndexingMasksTheInstalledIndexer) {
    TweakChoice c = opened();
    ASSERT_TRUE(page_.rows()[6].has_effect);
    c.checked[6] = false;
    page_.save(c);
    EXPECT_EQ(fs::read_symlink(m_.at("/etc/systemd/user/tracker-miner-fs-3.service")), "/dev/null");
    EXPECT_FALSE(page_.rows()[6].checked);
    EXPECT_FALSE(page_.rows()[6].refused);
}

TEST_F(TweaksOnFiles, NoSuperfetchValueLeavesTheListEmptyAndWritesNothing) {
    const TweakChoice c = opened();
    ASSERT_EQ(c.items[1], std::nullopt);
    const auto log = page_.save(c);
    EXPECT_TRUE(QueryKeyValue(HKLM, kPrefetchParameters, "EnableSuperfetch").empty());
    EXPECT_NE(write_of(log, "EnableSuperfetch: no item chosen, nothing written"), nullptr);
    EXPECT_EQ(page_.lists()[1].item, std::nullopt);
}

TEST_F(TweaksOnFiles, RefusedWritesAreShownBesideTheirRows) {
    runner_.answer = EPERM;
    TweakChoice c = opened();
    c.checked[4] = true;  // noatime: needs a remount, which is refused
    // The store lies where no file can be made: a folder under a regular file.
    test::write_file(dir_ / "file", "x");
    set_registry_store_path(dir_ / "file" / "Registry.dat");
    page_.save(c);
    const auto& last_access = page_.rows()[4];
    EXPECT_TRUE(last_access.refused);
    EXPECT_NE(last_access.result.find("refused: /: remount"), std::string::npos)
        << last_access.result;
    EXPECT_NE(last_access.result.find("needs root"), std::string::npos);
    const auto& clear_page_file = page_.rows()[0];
    EXPECT_TRUE(clear_page_file.refused);
    EXPECT_NE(clear_page_file.result.find("was not written"), std::string::npos)
        << clear_page_file.result;
    // Writes that went through are not marked.
    EXPECT_FALSE(page_.lists()[0].refused);
}

TEST_F(TweaksOnFiles, RestorePutsBackWhatWasFoundAtOpen) {
    SetKeyValue(HKLM, kFileSystem, "NtfsDisable8dot3NameCreation", RegValue::dword(1));
    TweakChoice c = opened();
    c.checked = {true, true, true, false, false, true, false, true, true};
    c.items[0] = 0;
    page_.save(c);
    ASSERT_EQ(read_ahead_of("sda"), "0\n");
    ASSERT_EQ(test::host_policy(m_, "host0"), "med_power_with_dipm\n");
    ASSERT_EQ(stored(kMemoryManagement, "ClearPageFileAtShutdown"), 1u);

    const auto log = page_.restore();
    EXPECT_TRUE(std::all_of(log.begin(), log.end(), [](const TweakWrite& w) { return w.ok; }));
    EXPECT_EQ(read_ahead_of("sda"), "128\n");
    EXPECT_EQ(read_ahead_of("sdc"), "4096\n");
    EXPECT_EQ(test::host_policy(m_, "host0"), "max_performance\n");
    EXPECT_EQ(test::read_file(m_.at("/proc/sys/vm/dirty_ratio")), "20\n");
    EXPECT_EQ(stored(kFileSystem, "NtfsDisable8dot3NameCreation"), 1u);
    // A value that was missing at open is missing again.
    EXPECT_TRUE(QueryKeyValue(HKLM, kMemoryManagement, "ClearPageFileAtShutdown").empty());
    EXPECT_FALSE(
        fs::exists(fs::symlink_status(m_.at("/etc/systemd/user/tracker-miner-fs-3.service"))));
    EXPECT_EQ(page_.current().checked, opened().checked);
}

TEST_F(TweaksOnFiles, ARowTheSystemReadsOtherwiseAfterTheSaveSaysSo) {
    // DIPM checked with HIPM unchecked: the kernel has no such pair, HIPM's write ends DIPM.
    TweakChoice c = opened();
    c.checked[7] = true;
    c.checked[8] = false;
    page_.save(c);
    EXPECT_EQ(test::host_policy(m_, "host0"), "max_performance\n");
    EXPECT_TRUE(page_.rows()[7].refused);
    EXPECT_NE(page_.rows()[7].result.find("the system reads unchecked after the save"),
              std::string::npos)
        << page_.rows()[7].result;
}

}  // namespace
}  // namespace bw
