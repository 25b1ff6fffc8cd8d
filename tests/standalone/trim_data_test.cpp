// The companion window's checks: which machines can trim, and the console command that switches a
// volume's TRIM on, quoted so that any mount point reaches it whole.
#include "standalone/TrimData.h"

#include <gtest/gtest.h>

#include "core/DOSOutputs.h"
#include "support/fakes.h"

namespace bw {
namespace {

TEST(TrimData, AnAhciControllerOrAnNvmeDriveCanTrim) {
    struct Case {
        const char* machine;
        int flag;
    };
    const Case kCases[] = {
        {"sata-desktop", 1},  // AHCI controller
        {"nvme-laptop", 1},   // no AHCI, but NVMe trims without it
        {"vm", 0},            // virtio, loop, zram
        {"odd-sysfs", 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.machine);
        const SystemQuery query{Sysroot(test::fixture(std::string("sysroots/") + c.machine))};
        EXPECT_EQ(CheckTRIM(query), c.flag);
        EXPECT_EQ(ahci_flag(), c.flag);
    }
}

TEST(TrimData, TheMountPointReachesTheCommandWhole) {
    const char* kMountPoints[] = {"/data", "/mnt/my disk", "/mnt/it's", "/mnt/a\\b", "/mnt/$(x)"};
    for (const char* mp : kMountPoints) {
        SCOPED_TRACE(mp);
        const auto args = DOSOutputs::split_command_line(SetTrimCommand(mp));
        EXPECT_EQ(args, (std::vector<std::string>{"mount", "-o", "remount,discard", mp}));
    }
}

}  // namespace
}  // namespace bw
