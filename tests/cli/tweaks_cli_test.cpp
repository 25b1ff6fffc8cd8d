// brantwell-cli tweaks over a captured SATA desktop: every setting listed with its Linux setting,
// what the machine has, the recommendation for its drive mix and whether it has an effect.
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

// The program folder (and so the registry store) in a folder of the test's own.
struct OwnHome {
    OwnHome() { ::setenv("BRANTWELL_HOME", home.path().c_str(), 1); }
    ~OwnHome() { ::unsetenv("BRANTWELL_HOME"); }
    test::TempDir home;
};

nlohmann::json tweaks_of(const fs::path& sysroot) {
    const test::CliRun run = test::run_cli({"tweaks", "--json", "--sysroot", sysroot.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out, nullptr, false);
}

TEST(TweaksCli, ListsEverySettingWithItsLinuxMeaningAndRecommendation) {
    OwnHome home;
    test::TempDir tree;
    fs::copy(test::fixture("sysroots/sata-desktop"), tree.path(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    // A SATA host with link power management, and the dirty-page limit.
    fs::create_directories(tree / "proc/sys/vm");
    test::write_file(tree / "proc/sys/vm/dirty_ratio", "40\n");
    fs::create_directories(tree / "sys/class/scsi_host/host0");
    test::write_file(tree / "sys/class/scsi_host/host0/link_power_management_policy",
                     "medium_power\n");

    const nlohmann::json j = tweaks_of(tree.path());
    ASSERT_FALSE(j.is_discarded());
    EXPECT_EQ(j["drive_mix"], "SSD and Hard Drive MIX - Boot SSD");
    const auto& s = j["settings"];
    ASSERT_EQ(s.size(), 11u);
    struct Row {
        std::size_t at;
        const char* control;
        bool effect;
        const char* current;
        const char* recommendation;
    };
    const Row kRows[] = {
        {0, "OptionT(0)", false, "Unchecked", "Unchecked"},
        {1, "OptionT(1)", true, "Checked", "Unchecked"},
        {4, "OptionT(4)", true, "Unchecked", "Checked"},
        {6, "OptionT(6)", false, "Unchecked", "Disable"},  // no indexer installed
        {7, "OptionT(7)", true, "Unchecked", "Checked"},   // medium_power: no device-initiated part
        {8, "OptionT(8)", true, "Checked", "Checked"},
        {9, "Combo1", false, "", "Application Launch Prefetching Enabled"},
        {10, "Combo2", false, "", "Disabled"},
    };
    for (const auto& r : kRows) {
        SCOPED_TRACE(r.control);
        EXPECT_EQ(s[r.at]["control"], r.control);
        EXPECT_EQ(s[r.at]["effect_on_linux"], r.effect);
        EXPECT_EQ(s[r.at]["current"], r.current);
        EXPECT_EQ(s[r.at]["recommendation"], r.recommendation);
    }
    EXPECT_EQ(s[0]["linux_setting"], "no effect on Linux");
    EXPECT_EQ(s[4]["found"], "/ relatime, /home relatime, /srv/data relatime");
    // The registry numbers follow the state: NtfsMemoryUsage unchecked is 1.
    EXPECT_EQ(s[2]["registry"][0]["value"], "NtfsMemoryUsage");
    EXPECT_EQ(s[2]["registry"][0]["number"], 1);
    EXPECT_EQ(s[7]["registry"].size(), 2u);  // Attributes and DipmEnabled
    EXPECT_TRUE(s[10]["registry"][0]["number"].is_null());
}

TEST(TweaksCli, TextNamesTheDriveMixAndEachRow) {
    OwnHome home;
    const test::CliRun run =
        test::run_cli({"tweaks", "--sysroot", test::fixture("sysroots/sata-desktop").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Drive mix: SSD and Hard Drive MIX - Boot SSD"), std::string::npos);
    EXPECT_NE(
        run.out.find(
            "5 Enable Boot Tracing: Unchecked (recommended Unchecked)\n    no effect on Linux"),
        std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace bw
