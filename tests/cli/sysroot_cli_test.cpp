// brantwell-cli over a captured tree that someone planted links and FIFOs in: it answers (with
// the drives it can read, or an error) at once and in little memory, instead of reading /dev/zero
// until memory runs out or waiting forever on a FIFO.
#include <sys/stat.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "support/cli.h"
#include "support/fakes.h"

namespace bw {
namespace {

namespace fs = std::filesystem;

TEST(SysrootCli, PlantedLinksAndFifosAnswerQuickly) {
    const struct {
        const char* entry;  // in the vm fixture
        const char* link;   // planted link target; nullptr: a FIFO
    } cases[] = {
        {"proc/self/mountinfo", "/dev/zero"},
        {"proc/self/mountinfo", nullptr},
        {"proc/swaps", "../../../../../../../../dev/zero"},
        {"sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda/size", "/dev/zero"},
        {"sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda/size", nullptr},
        {"etc/os-release", nullptr},
    };
    // What the same verbs cost over the untouched fixture: a sanitizer build alone takes tens of
    // MB, so the bound is on what a planted entry adds.
    long baseline_kb = 0;
    for (const char* verb : {"drives", "sysinfo"}) {
        test::CliCost cost;
        test::run_cli({verb, "--sysroot", test::fixture("sysroots/vm").string()},
                      std::chrono::seconds(5), &cost);
        baseline_kb = std::max(baseline_kb, static_cast<long>(cost.max_rss_kb));
    }
    ASSERT_GT(baseline_kb, 0);
    for (const auto& c : cases) {
        test::TempDir tree;
        fs::copy(test::fixture("sysroots/vm"), tree.path(),
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const fs::path planted = tree / c.entry;
        ASSERT_TRUE(fs::remove(planted)) << c.entry;
        if (c.link)
            fs::create_symlink(c.link, planted);
        else
            ASSERT_EQ(0, ::mkfifo(planted.c_str(), 0600)) << c.entry;
        for (const char* verb : {"drives", "sysinfo"}) {
            const std::string what = std::string(verb) + " with " + c.entry +
                                     (c.link ? std::string(" -> ") + c.link : " a FIFO");
            test::CliCost cost;
            const test::CliRun run = test::run_cli({verb, "--sysroot", tree.path().string()},
                                                   std::chrono::seconds(5), &cost);
            EXPECT_LT(cost.took, std::chrono::seconds(1)) << what;
            EXPECT_LT(static_cast<long>(cost.max_rss_kb), baseline_kb + 50 * 1024) << what;
            EXPECT_TRUE(run.status == 0 ? !run.out.empty() : !run.err.empty())
                << what << ": status " << run.status << "\n" << run.out << run.err;
        }
    }
}

}  // namespace
}  // namespace bw
