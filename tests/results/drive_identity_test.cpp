// What a drive's history is kept under, over captured machines: the disk's world-wide name or
// serial where the system reports one, else its model and size; the same for every volume of one
// disk; a reason, never a guess, when there is no disk.
#include <gtest/gtest.h>

#include "platform/SystemQuery.h"
#include "results/DriveIdentity.h"
#include "support/sysroot_variant.h"

namespace bw::results {
namespace {

TEST(DriveIdentity, FromTheCapturedMachines) {
    const struct {
        const char* what;
        const char* machine;
        test::SysrootFiles files;
        const char* device;
        const char* key;     // "" when there is none
        const char* reason;  // a part of the reason when there is none
    } rows[] = {
        {"a SATA disk without WWN or serial: model and size", "sata-desktop", {}, "/dev/sdb1",
         "model:WDC WD20EZRX-00D8PB0 ATA Device size:2000398934016", ""},
        {"another volume of the same disk", "sata-desktop", {}, "sdb2",
         "model:WDC WD20EZRX-00D8PB0 ATA Device size:2000398934016", ""},
        {"its world-wide name comes first", "sata-desktop",
         {{"/sys/block/sdb/device/wwid", "naa.50014ee2b5c1e0a0\n"},
          {"/sys/block/sdb/device/serial", "WD-WCC4M1234567\n"}},
         "/dev/sdb1", "wwn:naa.50014ee2b5c1e0a0", ""},
        {"else its serial", "sata-desktop", {{"/sys/block/sdb/device/serial", "WD-WCC4M1234567\n"}},
         "/dev/sdb1", "serial:WD-WCC4M1234567", ""},
        {"else udev's serial", "sata-desktop",
         {{"/run/udev/data/b8:16", "E:ID_SERIAL=WDC_WD20EZRX-00D8PB0_WD-WCC4M7654321\n"}},
         "/dev/sdb1", "serial:WDC_WD20EZRX-00D8PB0_WD-WCC4M7654321", ""},
        {"a logical volume: the NVMe disk beneath it", "nvme-laptop", {}, "/dev/dm-1",
         "wwn:eui.0025385b91b2c3d4", ""},
        {"a USB disk", "usb-external", {}, "/dev/sdb1",
         "model:WD My Passport 25E2 USB Device size:2000365289472", ""},
        {"a RAM disk", "vm", {}, "/dev/zram0", "model:Compressed RAM Disk size:268435456", ""},
        {"a loop device: its file tells two images of one size apart", "vm", {}, "/dev/loop0",
         "model:Loop Device size:67108864 file:/tmp/brantwell-scratch.img", ""},
        {"no block device", "vm", {}, "", "", "has no block device"},
        {"a device the machine does not have", "vm", {}, "/dev/sdq7", "", "no disk was found"},
    };
    for (const auto& r : rows) {
        test::TempDir dir;
        const SystemQuery query{Sysroot(test::sysroot_variant(dir, r.machine, r.files))};
        const DriveIdentity id = drive_identity(query, r.device);
        EXPECT_EQ(id.key, r.key) << r.what;
        if (*r.key == '\0')
            EXPECT_NE(id.reason.find(r.reason), std::string::npos) << r.what << ": " << id.reason;
        else
            EXPECT_EQ(id.reason, "") << r.what;
    }
}

}  // namespace
}  // namespace bw::results
